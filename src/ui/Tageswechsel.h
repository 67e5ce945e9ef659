#pragma once

#include <string>

#include <QObject>
#include <QTimer>

namespace qb {

// Tells a page that shows today, or a range that ends today, when the local day has changed
// while it is open. It looks at the next local midnight, and at least once a minute besides: a
// timer counts only the time the machine runs, while the wall clock jumps (a suspend, a clock
// set by hand or by the network), so a timer aimed at midnight alone could ring hours late.
class Tageswechsel : public QObject {
    Q_OBJECT
public:
    explicit Tageswechsel(QObject* eltern = nullptr);

signals:
    void neuerTag();

private:
    void pruefe();
    void stelleWecker();

    // The local day of the last look, as "2026-12-07".
    std::string tag_;
    QTimer wecker_;
};

} // namespace qb
