#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Kalender.h"
#include "foundation/Dezimal.h"

namespace qb {

// Numbers, amounts and dates in the user's locale, through ICU. The values reach ICU as
// decimal text, so no amount passes through binary floating point. Halves round to even, as
// ICU and the platforms' formatters do; a value that must round otherwise is rounded before
// it gets here. A value that rounds to zero is shown without a minus (ICU would write
// "-0,00 €" for a loss under half a cent).
class Formatierer {
public:
    // The locale categories that decide a text, as every POSIX program reads them.
    enum class Kategorie {
        zeit,   // LC_TIME: dates
        zahlen, // LC_NUMERIC: plain numbers and percentages
        geld,   // LC_MONETARY: amounts of money
    };

    // The locale of a category from LC_ALL, then the category's own variable, then LANG (the
    // first that is set and not empty); German when that names no real locale (unset, "C",
    // "POSIX").
    static std::string gebietsschemaAusUmgebung(Kategorie kategorie);

    // Each category from the environment.
    Formatierer();
    // One locale for all categories.
    explicit Formatierer(const std::string& gebietsschema)
        : zeit_(gebietsschema), zahlen_(gebietsschema), geld_(gebietsschema) {}

    const std::string& gebietsschema(Kategorie kategorie) const;

    // A plain number with grouping, between the given numbers of fraction digits.
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
    // Day, abbreviated month name and year ("7. Dez. 2026" in German) in the zone.
    std::string datumMitMonat(Zeitpunkt t, const Zeitzone& zone) const;

    // Day, full month name and year ("7. Dezember 2026" in German) in the zone.
    std::string datumLang(Zeitpunkt t, const Zeitzone& zone) const;
    // The same after the full weekday ("Montag, 7. Dezember 2026" in German).
    std::string datumMitWochentag(Zeitpunkt t, const Zeitzone& zone) const;
    // Hour and minute alone ("17:00"; "5:00 PM" in US English).
    std::string uhrzeit(Zeitpunkt t, const Zeitzone& zone) const;
    // Day and two-digit month without the year ("4.03." in German).
    std::string tagUndMonat(Zeitpunkt t, const Zeitzone& zone) const;
    // Two-digit day and two-digit month ("06.12." in German), for axis labels of one width.
    std::string tagUndMonatZweistellig(Zeitpunkt t, const Zeitzone& zone) const;

    // The same with hour and minute ("7. Dez. 2026, 20:00"; "Dec 7, 2026, 8:00 PM" in US
    // English), for two dates of one day that must be told apart.
    std::string datumMitMonatUndUhrzeit(Zeitpunkt t, const Zeitzone& zone) const;
    // A currency amount that shows its sign both ways, as a change does ("+1.234,00 €",
    // "-5,00 €"); zero, and what rounds to it, has none ("0,00 €").
    std::string waehrungMitVorzeichen(const Dezimal& wert, std::string_view code) const;
    // A percentage (of the value given in percent) with the sign both ways but on zero
    // ("+12,50 %").
    std::string prozentMitVorzeichen(const Dezimal& prozentwert, int minStellen, int maxStellen) const;
    // Names joined as a list of "and" ("Aktie, Anleihe und Währung"). Always German: the
    // names and the sentence around them are German whatever the locale, so the joining word
    // must be too.
    static std::string liste(const std::vector<std::string>& namen);
    // The pieces of a text with the separator between each two ("a, b, c" for ", ").
    static std::string verbunden(const std::vector<std::string>& teile, std::string_view trenner);

private:
    std::string zeit_;
    std::string zahlen_;
    std::string geld_;
};

} // namespace qb
