#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "foundation/Kalender.h"
#include "foundation/Dezimal.h"
#include "valuation/Kurvenpunkt.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Wertveraenderung.h"

namespace qb {

class Portfolio;

// The portfolio's total value over its reference dates: one point per reference date on which
// every complete position has a price, in date order. Rebuilt from the records whenever needed.
class Stichtagsverlauf {
public:
    explicit Stichtagsverlauf(const Portfolio& portfolio);

    // Point i has the id i.
    const std::vector<Kurvenpunkt>& punkte() const { return punkte_; }
    // The state of the last complete reference date; absent exactly when there is no point.
    const std::optional<Portfoliostand>& letzterStand() const { return letzterStand_; }
    // The reference dates left out for a missing price.
    std::int64_t ausgelassen() const { return ausgelassen_; }
    // The date of the newest reference date when it is incomplete and later than every complete
    // one (or none is complete).
    const std::optional<Zeitpunkt>& juengsterUnvollstaendiger() const { return juengsterUnvollstaendiger_; }

    std::optional<Zeitpunkt> letztesDatum() const;
    // The change of `aktuell`, valid on `datum`, against the last point strictly before `datum`.
    std::optional<Wertveraenderung> veraenderung(Zeitpunkt datum,
                                                 const std::optional<Dezimal>& aktuell) const;
    // The newest point against the last point strictly before it.
    std::optional<Wertveraenderung> veraenderung() const;

private:
    std::vector<Kurvenpunkt> punkte_;
    std::optional<Portfoliostand> letzterStand_;
    std::int64_t ausgelassen_ = 0;
    std::optional<Zeitpunkt> juengsterUnvollstaendiger_;
};

} // namespace qb
