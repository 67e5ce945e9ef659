#pragma once

#include <optional>

#include "ui/Kennzahlentexte.h"
#include "foundation/Kalender.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Wertveraenderung.h"

namespace qb {

class Portfolio;

// What the key figures under the positions list show: the latest complete reference date, or
// the purchase while no reference date is complete, and a newer reference date that still
// lacks prices.
struct Positionsfusszeile {
    static Positionsfusszeile aus(const Portfolio& portfolio);

    Portfoliostand stand;
    // Never absent here: a reference date or the purchase.
    Kennzahlentexte::Bezug bezug;
    // The last complete reference date against the one before it.
    std::optional<Wertveraenderung> veraenderung;
    std::optional<Zeitpunkt> offenerStichtag;
};

} // namespace qb
