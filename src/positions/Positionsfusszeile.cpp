#include "positions/Positionsfusszeile.h"

#include "valuation/Stichtagsverlauf.h"

namespace qb {

Positionsfusszeile Positionsfusszeile::aus(const Portfolio& portfolio) {
    const Stichtagsverlauf verlauf(portfolio);
    const std::optional<Zeitpunkt> letztesDatum = verlauf.letztesDatum();
    if (verlauf.letzterStand() && letztesDatum) {
        return Positionsfusszeile{*verlauf.letzterStand(), Kennzahlentexte::Bezug::stichtag(*letztesDatum),
                                  verlauf.veraenderung(), verlauf.juengsterUnvollstaendiger()};
    }
    return Positionsfusszeile{Portfoliostand(portfolio, nullptr), Kennzahlentexte::Bezug::kauf(), std::nullopt,
                              verlauf.juengsterUnvollstaendiger()};
}

} // namespace qb
