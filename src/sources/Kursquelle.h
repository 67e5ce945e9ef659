#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

#include "foundation/Kalender.h"
#include "model/Kursnotierung.h"
#include "model/Kursreihe.h"

namespace qb {

// What a source makes of an identifier. Only `verwendbar` allows a fetch.
enum class Kennungsurteil : std::uint8_t {
    verwendbar = 0,
    nichtErkannt = 1,
    // A valid ISIN of a commodity reference price ("XC…"): nothing to fetch.
    ohneKurs = 2,
    // ISIN form with a wrong check digit.
    pruefzifferFalsch = 3,
};

// A source of quotes and price histories for one kind of identifier.
//
// Implementations are immutable and safe to call from several threads at once. The fetching
// operations block; they check the identifier before any request (Kursfehler::kennungUnbekannt
// with the identifier as passed), throw Kursfehler, and throw Abgebrochen unchanged once
// `stop` is requested. Prices are in the currency that the result's `waehrung` names.
class Kursquelle {
public:
    virtual ~Kursquelle() = default;

    virtual const std::string& bezeichnung() const = 0;
    // An example of a valid identifier, for the identifier field.
    virtual std::string_view kennungshinweis() const = 0;
    // A pure function of the text: no request.
    virtual Kennungsurteil pruefe(std::string_view kennung) const = 0;
    virtual Kursnotierung aktuellerKurs(std::string_view kennung, std::stop_token stop) const = 0;
    // The quote valid for the calendar day of `am`.
    virtual Kursnotierung kurs(std::string_view kennung, Zeitpunkt am, std::stop_token stop) const = 0;
    virtual Kursreihe kursreihe(std::string_view kennung, Zeitpunkt von, Zeitpunkt bis, std::stop_token stop) const = 0;

protected:
    Kursquelle() = default;
    Kursquelle(const Kursquelle&) = default;
    Kursquelle& operator=(const Kursquelle&) = default;
};

} // namespace qb
