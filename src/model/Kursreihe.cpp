#include "model/Kursreihe.h"

#include "model/Waehrungscode.h"

namespace qb {

Kurspunkt Kurspunkt::ausPreis(Zeitpunkt tag, const Preisangabe& preis) {
    if (const auto* u = preis.umrechnung()) {
        return Kurspunkt{tag, u->inEuro(), *u};
    }
    return Kurspunkt{tag, *preis.euroPreis(), std::nullopt};
}

std::optional<Kurspunkt> Kurspunkt::letzter(const std::vector<Kurspunkt>& punkte, Zeitpunkt bis) {
    const Kurspunkt* bester = nullptr;
    for (const auto& punkt : punkte) {
        if (punkt.tag <= bis && (bester == nullptr || punkt.tag > bester->tag)) {
            bester = &punkt;
        }
    }
    if (bester == nullptr) {
        return std::nullopt;
    }
    return *bester;
}

std::optional<Preisangabe> Kursreihe::preisangabe(Zeitpunkt am) const {
    if (waehrung != Waehrungscode::euro().wert()) {
        return std::nullopt;
    }
    auto punkt = Kurspunkt::letzter(punkte, am);
    if (!punkt) {
        return std::nullopt;
    }
    if (punkt->umrechnung) {
        return Preisangabe::umgerechnet(*punkt->umrechnung);
    }
    return Preisangabe::euro(punkt->kurs);
}

} // namespace qb
