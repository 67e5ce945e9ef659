#pragma once

#include <QObject>

class QWidget;

namespace qb {

// Keeps the mouse wheel from changing a picker, a number spinner or a date field that the user
// is only scrolling past: such a control takes the wheel only while it has the focus;
// otherwise the wheel goes on to the page around it and scrolls it. It watches the whole page,
// controls added later included, and lives as long as the page.
class Radwache : public QObject {
    Q_OBJECT
public:
    // Guards every such control under the page, now and later.
    static void schuetze(QWidget* seite);

protected:
    bool eventFilter(QObject* ziel, QEvent* ereignis) override;

private:
    explicit Radwache(QWidget* seite);

    void bewache(QWidget* teil);
};

} // namespace qb
