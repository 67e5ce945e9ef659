#include "ui/Radwache.h"

#include <QAbstractSpinBox>
#include <QChildEvent>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

namespace qb {

namespace {

bool nimmtRad(const QWidget* teil) {
    return qobject_cast<const QComboBox*>(teil) != nullptr || qobject_cast<const QAbstractSpinBox*>(teil) != nullptr;
}

} // namespace

void Radwache::schuetze(QWidget* seite) {
    new Radwache(seite);
}

Radwache::Radwache(QWidget* seite) : QObject(seite) {
    bewache(seite);
}

void Radwache::bewache(QWidget* teil) {
    teil->installEventFilter(this);
    if (nimmtRad(teil)) {
        // Focus by click or Tab only: a wheel turned over it must not hand it the focus.
        teil->setFocusPolicy(Qt::StrongFocus);
    }
    for (QObject* kind : teil->children()) {
        auto* unterteil = qobject_cast<QWidget*>(kind);
        // Popups (a picker's list, a date field's calendar) are windows of their own and keep
        // the wheel.
        if (unterteil != nullptr && !unterteil->isWindow()) {
            bewache(unterteil);
        }
    }
}

bool Radwache::eventFilter(QObject* ziel, QEvent* ereignis) {
    switch (ereignis->type()) {
    case QEvent::ChildAdded:
    case QEvent::ChildPolished: {
        // A child is fully built only once polished; one reparented whole is built already.
        auto* kind = qobject_cast<QWidget*>(static_cast<QChildEvent*>(ereignis)->child());
        if (kind != nullptr && !kind->isWindow()) {
            bewache(kind);
        }
        break;
    }
    case QEvent::Wheel: {
        auto* teil = qobject_cast<QWidget*>(ziel);
        if (teil != nullptr && nimmtRad(teil) && !teil->hasFocus()) {
            // Ignored and not handed to the control: Qt passes the wheel on to the parents,
            // up to the scrolled page.
            ereignis->ignore();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(ziel, ereignis);
}

} // namespace qb
