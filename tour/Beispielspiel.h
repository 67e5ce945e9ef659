#pragma once

#include <memory>
#include <string>

#include "foundation/Kalender.h"

namespace qb {

class Modellkontext;
class Portfolio;

// A game as a group plays it, for the tour and the start benchmark: one position per asset
// class (a bond quoted in percent of its face value, a share traded in US dollars, a currency
// entered as its rate), and `stichtage` reference dates, twice a week from the entry date, with
// a price for every position; with `mitLuecke` the latest one misses the price of its CO2
// certificate. Inserted into the context and saved; the portfolio is returned.
std::shared_ptr<Portfolio> legeBeispielspielAn(Modellkontext& kontext, const std::string& gruppenname,
                                               int stichtage, Zeitpunkt einstieg, bool mitLuecke);

} // namespace qb
