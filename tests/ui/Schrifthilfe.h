#pragma once

#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include "ui/Fenstergroesse.h"
#include "ui/Textbruecke.h"

namespace qbtest {

// The application's font at `punkte` points while it lives, as a larger system font sets it;
// widgets made meanwhile take it.
class Anwendungsschrift {
public:
    explicit Anwendungsschrift(qreal punkte) : vorher_(QApplication::font()) {
        QFont schrift = vorher_;
        schrift.setPointSizeF(punkte);
        QApplication::setFont(schrift);
    }
    ~Anwendungsschrift() { QApplication::setFont(vorher_); }
    Anwendungsschrift(const Anwendungsschrift&) = delete;
    Anwendungsschrift& operator=(const Anwendungsschrift&) = delete;

private:
    QFont vorher_;
};

// What of a shown sheet the eye misses sideways, a line each: a sideways scroll bar or offset, a
// label of its scrolled part reaching past the visible width or narrower than its text needs (a
// title or text of the part itself: narrower than it asks for), the sheet reaching past the
// screen's available area. Empty when all is in sight.
inline std::vector<std::string> seitlichVerdeckt(const QWidget& blatt) {
    std::vector<std::string> fehler;
    const auto* flaeche = blatt.findChild<QScrollArea*>();
    const QScrollBar* leiste = flaeche->horizontalScrollBar();
    if (leiste->isVisible() || leiste->value() != 0) {
        fehler.push_back("rollt seitwärts um " + std::to_string(leiste->value()));
    }
    for (const QLabel* text : flaeche->widget()->findChildren<QLabel*>()) {
        const QRect ort(text->mapTo(flaeche->viewport(), QPoint()), text->size());
        const int braucht = (text->parentWidget() == flaeche->widget() ? text->sizeHint() : text->minimumSizeHint()).width();
        if (text->isVisible() && (ort.left() < 0 || ort.right() >= flaeche->viewport()->width() || ort.width() < braucht)) {
            fehler.push_back("abgeschnitten: " + qb::utf8(text->text()));
        }
    }
    const QSize platz = qb::Fenstergroesse::verfuegbar(blatt) - qb::Fenstergroesse::rahmen;
    if (blatt.width() > platz.width() || blatt.height() > platz.height()) {
        fehler.push_back("größer als der Bildschirm");
    }
    return fehler;
}

} // namespace qbtest
