#pragma once

#include <QApplication>
#include <QSpontaneKeyEvent>
#include <QWheelEvent>
#include <QWidget>

namespace qbtest {

// One notch of the mouse wheel, downwards, over the middle of the widget; delivered as the
// window system delivers it, to the innermost widget there. Only such a wheel goes on to the
// parents when a widget leaves it.
inline void dreheRad(QWidget* teil) {
    const QPoint mitte = teil->rect().center();
    QWidget* ziel = teil->childAt(mitte) != nullptr ? teil->childAt(mitte) : teil;
    const QPointF ort = ziel->mapFrom(teil, mitte);
    QWheelEvent rad(ort, ziel->mapToGlobal(ort), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&rad);
    QApplication::instance()->notify(ziel, &rad);
}

} // namespace qbtest
