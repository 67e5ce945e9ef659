#pragma once

#include <optional>
#include <stop_token>
#include <string_view>
#include <vector>

#include "foundation/Kalender.h"
#include "model/Kursreihe.h"
#include "foundation/Dezimal.h"

namespace qb {

// A source of exchange rates for converting foreign prices into EUR. A rate is the number of
// units of the currency that 1 EUR buys. Same threading and error rules as Kursquelle.
class Umrechnungsquelle {
public:
    virtual ~Umrechnungsquelle() = default;

    // The current rate when `am` is absent, else the rate for that day.
    virtual Dezimal umrechnungskurs(std::string_view waehrung, std::optional<Zeitpunkt> am,
                                    std::stop_token stop) const = 0;
    // The rates between the two days, ascending by day; `tag` is the rate's date.
    virtual std::vector<Kurspunkt> umrechnungsreihe(std::string_view waehrung, Zeitpunkt von, Zeitpunkt bis,
                                                    std::stop_token stop) const = 0;

protected:
    Umrechnungsquelle() = default;
    Umrechnungsquelle(const Umrechnungsquelle&) = default;
    Umrechnungsquelle& operator=(const Umrechnungsquelle&) = default;
};

} // namespace qb
