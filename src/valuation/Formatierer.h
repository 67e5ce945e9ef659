#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/Kalender.h"
#include "valuation/Dezimal.h"

namespace qb {

// Numbers, amounts and dates in the user's locale, through ICU. The values reach ICU as
// decimal text, so no amount passes through binary floating point. A value that rounds to
// zero is shown without a minus (ICU would write "-0,00 €" for a loss under half a cent).
class Formatierer {
public:
    // The locale from LC_ALL, LC_NUMERIC or LANG (the first that is set); German when none
    // names a real locale (unset, "C", "POSIX").
    static std::string gebietsschemaAusUmgebung();

    Formatierer() : Formatierer(gebietsschemaAusUmgebung()) {}
    explicit Formatierer(std::string gebietsschema) : gebietsschema_(std::move(gebietsschema)) {}

    const std::string& gebietsschema() const { return gebietsschema_; }

    // A plain number with grouping, between the given numbers of fraction digits (rounded
    // half away from zero beyond the maximum).
    std::string zahl(const Dezimal& wert, int minStellen, int maxStellen) const;
    // An integer in the locale's default integer format (with grouping).
    std::string ganzzahl(std::int64_t wert) const;
    // A currency amount ("1.234,56 €" in German); the locale's own fraction digits unless given.
    std::string waehrung(const Dezimal& wert, std::string_view code,
                         std::optional<int> nachkommastellen = std::nullopt) const;
    // A percentage of the value given in percent (12.5 → "12,5 %"), between the given numbers
    // of fraction digits.
    std::string prozent(const Dezimal& prozentwert, int minStellen, int maxStellen) const;
    // A numeric date without time ("7.12.2026" in German) in the zone.
    std::string datum(Zeitpunkt t, const Zeitzone& zone) const;

private:
    std::string gebietsschema_;
};

} // namespace qb
