#include "ui/Blattbreite.h"

#include <algorithm>

#include <QEvent>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>

namespace qb {

Blattbreite::Blattbreite(QWidget* blatt, QScrollArea* flaeche)
    : QObject(blatt), blatt_(blatt), flaeche_(flaeche) {
    // The content says when its rows change, the sheet when what stands beside it changes (a
    // message by the buttons) and when it is shown with the fonts and style it is drawn in.
    if (flaeche_->widget() != nullptr) {
        flaeche_->widget()->installEventFilter(this);
    }
    blatt_->installEventFilter(this);
}

Fenstergroesse Blattbreite::fuer(QSize verfuegbar, QSize wunsch, QSize minimum) {
    verfuegbar_ = verfuegbar;
    grundbreite_ = minimum.width();
    const int breite = noetig();
    return Fenstergroesse::fuer(verfuegbar, QSize(std::max(wunsch.width(), breite), wunsch.height()),
                                QSize(std::max(minimum.width(), breite), minimum.height()));
}

int Blattbreite::noetig() const {
    const QWidget* inhalt = flaeche_->widget();
    int breite = 2 * flaeche_->frameWidth();
    if (inhalt != nullptr) {
        breite += inhalt->minimumSizeHint().expandedTo(inhalt->minimumSize()).width();
    }
    if (flaeche_->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
        breite += flaeche_->verticalScrollBar()->sizeHint().width();
    }
    const QLayout* stapel = blatt_->layout();
    if (stapel == nullptr) {
        return breite;
    }
    // What else the sheet's layout holds, such as the buttons below the scrolled part, shows
    // whole too. Asked of each part, not of the layout: the layout would keep the figures of
    // this moment, before the sheet is shown, and open the sheet at their width.
    for (int i = 0; i < stapel->count(); ++i) {
        const QWidget* teil = stapel->itemAt(i)->widget();
        if (teil != nullptr && teil != flaeche_ && !teil->isHidden()) {
            breite = std::max(breite, teil->minimumSizeHint().expandedTo(teil->minimumSize()).width());
        }
    }
    const QMargins raender = stapel->contentsMargins();
    return breite + raender.left() + raender.right();
}

bool Blattbreite::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (ereignis->type() == QEvent::LayoutRequest || (objekt == blatt_ && ereignis->type() == QEvent::Show)) {
        folge();
    }
    return QObject::eventFilter(objekt, ereignis);
}

void Blattbreite::folge() {
    // Raising the smallest width widens a narrower sheet at once; a lower need leaves the
    // sheet as wide as it is, for the user to narrow.
    const QSize breite(std::max(grundbreite_, noetig()), 0);
    const int mindestens = Fenstergroesse::fuer(verfuegbar_, QSize(), breite).minimum.width();
    if (mindestens != blatt_->minimumWidth()) {
        blatt_->setMinimumWidth(mindestens);
    }
}

} // namespace qb
