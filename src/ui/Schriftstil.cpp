#include "ui/Schriftstil.h"

#include <algorithm>

#include <QFontDatabase>

namespace qb {

namespace {

QFont skaliert(QFont schrift, double faktor, double mindestens) {
    if (schrift.pointSizeF() > 0) {
        schrift.setPointSizeF(std::max(mindestens, schrift.pointSizeF() * faktor));
    } else if (schrift.pixelSize() > 0) {
        schrift.setPixelSize(std::max(static_cast<int>(mindestens * 4 / 3), static_cast<int>(schrift.pixelSize() * faktor)));
    }
    return schrift;
}

} // namespace

QFont Schriftstil::ueberschrift(const QFont& grund) {
    QFont schrift = grund;
    schrift.setWeight(QFont::DemiBold);
    return schrift;
}

QFont Schriftstil::hervorhebung(const QFont& grund) {
    return skaliert(grund, 0.93, 8);
}

QFont Schriftstil::beschriftung(const QFont& grund) {
    return skaliert(grund, 0.85, 7.5);
}

QFont Schriftstil::festbreite(const QFont& grund) {
    QFont schrift = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont groesse = hervorhebung(grund);
    if (groesse.pointSizeF() > 0) {
        schrift.setPointSizeF(groesse.pointSizeF());
    } else if (groesse.pixelSize() > 0) {
        schrift.setPixelSize(groesse.pixelSize());
    }
    return schrift;
}

} // namespace qb
