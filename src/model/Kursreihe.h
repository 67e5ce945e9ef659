#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/Kalender.h"
#include "foundation/Dezimal.h"
#include "model/Preisangabe.h"

namespace qb {

// One point of a price history.
struct Kurspunkt {
    Zeitpunkt tag;
    Dezimal kurs;
    std::optional<Umrechnung> umrechnung;

    // A point from a price statement: a converted price keeps its conversion and carries the
    // EUR price (12 places; 0 for a rate not above 0).
    static Kurspunkt ausPreis(Zeitpunkt tag, const Preisangabe& preis);
    // The point with the latest `tag` on or before `bis`; of several with that tag, the first
    // in the list. The list need not be sorted.
    static std::optional<Kurspunkt> letzter(const std::vector<Kurspunkt>& punkte, Zeitpunkt bis);

    friend bool operator==(const Kurspunkt&, const Kurspunkt&) = default;
};

// A price history from one source; every point's `kurs` is in `waehrung`.
struct Kursreihe {
    std::vector<Kurspunkt> punkte;
    std::string waehrung;
    std::string quelle;

    // The EUR price at an instant; only a history in "EUR" yields prices.
    std::optional<Preisangabe> preisangabe(Zeitpunkt am) const;
};

} // namespace qb
