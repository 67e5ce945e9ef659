#pragma once

#include <string>

#include <QObject>
#include <QTimer>

namespace qb {

// Tells a page that shows today, or a range that ends today, when the local day has changed
// while it is open. A timer counts only the time the machine runs, while the wall clock jumps (a
// suspend, a clock set by hand or by the network), so a timer aimed at midnight could ring hours
// late. The day is therefore looked at besides whenever it may have moved unseen: at least once a
// minute, when the page is shown or its window becomes active again, and by the page itself
// before it takes the day.
class Tageswechsel : public QObject {
    Q_OBJECT
public:
    // Watches the page's showing and its window's activation.
    explicit Tageswechsel(QObject* seite);

    // Looks at the clock now; a new day is told before this returns, so that what takes the day
    // next takes the new one.
    void pruefe();

signals:
    void neuerTag();

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    void stelleWecker();

    // The local day of the last look, as "2026-12-07".
    std::string tag_;
    QTimer wecker_{this};
};

} // namespace qb
