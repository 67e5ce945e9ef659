#include "ui/Fenstergroesse.h"

#include <QScreen>
#include <QWidget>

namespace qb {

Fenstergroesse Fenstergroesse::fuer(QSize verfuegbar, QSize wunsch, QSize inhaltMinimum) {
    if (verfuegbar.isEmpty()) {
        return {wunsch, inhaltMinimum};
    }
    const QSize platz = (verfuegbar - rahmen).expandedTo(QSize(1, 1));
    return {wunsch.boundedTo(platz), inhaltMinimum.boundedTo(platz)};
}

QSize Fenstergroesse::verfuegbar(const QWidget& fenster) {
    const QWidget* zeigend =
        !fenster.isVisible() && fenster.parentWidget() != nullptr ? fenster.parentWidget() : &fenster;
    const QScreen* bildschirm = zeigend->screen();
    return bildschirm != nullptr ? bildschirm->availableGeometry().size() : QSize();
}

} // namespace qb
