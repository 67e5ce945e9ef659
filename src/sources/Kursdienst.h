#pragma once

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "model/Kursreihe.h"
#include "sources/JsonAbruf.h"
#include "sources/Kursquelle.h"
#include "sources/Umrechnungsquelle.h"

namespace qb {

// The bundle of price sources that every view receives: securities, currencies, and the ECB
// rates for converting into EUR. A plain value; copies share the immutable sources, and every
// operation may run on any thread, several at once.
class Kursdienst {
public:
    // Where the standard bundle fetches. The defaults are the public services; the program
    // reads replacements from QB_BOERSE_URL, QB_EZB_URL and QB_CA_DATEI (for end-to-end tests).
    struct Adressen {
        std::string boerse = "https://api.boerse-frankfurt.de";
        std::string ezb = "https://api.frankfurter.dev";
        JsonAbruf::Sitzung sitzung;

        static Adressen ausUmgebung();
    };

    Kursdienst(std::shared_ptr<const Kursquelle> wertpapiere, std::shared_ptr<const Kursquelle> waehrungen,
               std::shared_ptr<const Umrechnungsquelle> umrechner);

    // A new bundle: "Börse Frankfurt" for securities and two "EZB-Referenzkurs" sources, each
    // with its own JsonAbruf.
    static Kursdienst standard();
    static Kursdienst standard(const Adressen& adressen);

    const Kursquelle& wertpapiere() const { return *wertpapiere_; }
    const Kursquelle& waehrungen() const { return *waehrungen_; }
    const Umrechnungsquelle& umrechner() const { return *umrechner_; }
    // `waehrungen` for the class waehrung, `wertpapiere` for every other class.
    const Kursquelle& quelle(Assetklasse klasse) const;

    // Trims blanks and tabs; an empty identifier is not recognisable, without asking a source.
    Kennungsurteil pruefe(std::string_view kennung, Assetklasse klasse) const;

    // The quote in EUR at the ECB rate of `stichtag` (absent: the current rate), 12 places; the
    // foreign price and the rate go into `umrechnung`. A quote in EUR comes back unchanged.
    // Failures are keineUmrechnung; a stop is Abgebrochen.
    Kursnotierung inEuro(const Kursnotierung& notierung, std::optional<Zeitpunkt> stichtag, std::stop_token stop) const;
    // Units of the currency that 1 EUR buys; also asks the source for "EUR".
    Dezimal ezbKurs(std::string_view waehrung, std::optional<Zeitpunkt> am, std::stop_token stop) const;
    // The history in EUR, each point at the latest rate on or before its day; the rates are
    // fetched once, from 14 days before `von` to `bis`. Fails whole or not at all.
    Kursreihe reiheInEuro(const Kursreihe& reihe, Zeitpunkt von, Zeitpunkt bis, std::stop_token stop) const;

private:
    std::shared_ptr<const Kursquelle> wertpapiere_;
    std::shared_ptr<const Kursquelle> waehrungen_;
    std::shared_ptr<const Umrechnungsquelle> umrechner_;
};

} // namespace qb
