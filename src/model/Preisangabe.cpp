#include "model/Preisangabe.h"

namespace qb {

Dezimal Umrechnung::inEuro() const {
    if (kurs <= Dezimal(0)) {
        return Dezimal(0);
    }
    return (original / kurs).gerundet(12, Rundung::normal);
}

Dezimal Preisangabe::inEuro() const {
    if (const auto* preis = euroPreis()) {
        return *preis;
    }
    return umrechnung()->inEuro();
}

Dezimal ganzeEinheiten(const Dezimal& betrag, const Dezimal& faktor) {
    Dezimal b = betrag.gerundet(2, Rundung::abwaerts);
    if (b <= Dezimal(0)) {
        return Dezimal(0);
    }
    if (faktor < Dezimal::zehnHoch(-4) || faktor > Dezimal(1000000)) {
        return Dezimal(0);
    }
    return (b * faktor).gerundet(0, Rundung::abwaerts);
}

} // namespace qb
