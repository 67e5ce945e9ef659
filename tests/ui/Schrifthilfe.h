#pragma once

#include <string>

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include "ui/Fenstergroesse.h"
#include "ui/Textbruecke.h"

namespace qbtest {

// The application's font at `punkte` points while it lives, as a larger system font sets it.
struct Anwendungsschrift {
    QFont vorher = QApplication::font();
    explicit Anwendungsschrift(qreal punkte) {
        QFont schrift = vorher;
        schrift.setPointSizeF(punkte);
        QApplication::setFont(schrift);
    }
    ~Anwendungsschrift() { QApplication::setFont(vorher); }
};

// What of a shown sheet the eye misses sideways: a sideways scroll bar or offset, a label of its
// scrolled part past the visible width or narrower than its text needs (a title or text of the
// part itself: than it asks for), the sheet past the screen. Empty when all is in sight.
inline std::string seitlichVerdeckt(const QWidget& blatt) {
    const auto* flaeche = blatt.findChild<QScrollArea*>();
    const QScrollBar* leiste = flaeche->horizontalScrollBar();
    const int sichtbar = flaeche->viewport()->width();
    std::string fehler = leiste->isVisible() || leiste->value() != 0 ? "rollt seitwärts; " : "";
    for (const QLabel* text : flaeche->widget()->findChildren<QLabel*>()) {
        const QRect ort(text->mapTo(flaeche->viewport(), QPoint()), text->size());
        const int braucht =
            (text->parentWidget() == flaeche->widget() ? text->sizeHint() : text->minimumSizeHint()).width();
        if (text->isVisible() && (ort.left() < 0 || ort.right() >= sichtbar || ort.width() < braucht)) {
            fehler += "abgeschnitten: " + qb::utf8(text->text()) + "; ";
        }
    }
    const QSize platz = qb::Fenstergroesse::verfuegbar(blatt) - qb::Fenstergroesse::rahmen;
    const bool zuGross = blatt.width() > platz.width() || blatt.height() > platz.height();
    return fehler + (zuGross ? "größer als der Bildschirm" : "");
}

} // namespace qbtest
