#pragma once

#include <optional>
#include <stop_token>
#include <string>
#include <variant>
#include <vector>

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Notierungsart.h"
#include "sources/Kursdienst.h"
#include "valuation/Kurspruefung.h"
#include "model/Preisangabe.h"

namespace qb {

// The comparison of a typed buy price with what the source quoted before a position is saved:
// the quote of the entry day (or the current one) and, for a price typed in a foreign currency,
// the ECB rate of that day. A blocking call for the worker pool: it works on copies taken when
// the check starts, so later typing never reaches a running check. A source that fails makes
// the outcome unchecked; any other error is thrown on, for the view task to report.
class Kaufpreispruefung {
public:
    // What is compared, as it stood when the user pressed "Speichern".
    struct Auftrag {
        Assetklasse klasse;
        Preisangabe preis;
        std::string kennung;
        Notierungsart notierung;
        Dezimal nennwert;
        // The entry date when its day lies before today; none compares with the current quote.
        std::optional<Zeitpunkt> abruftag;
    };

    // How a check ended. A source that could not be asked is no failure of the check: it is
    // the reason of an unchecked outcome.
    class Ergebnis {
    public:
        // At least one strong deviation; the user is asked before anything is saved.
        static Ergebnis abweichend(std::vector<Kurspruefung::Abweichung> abweichungen) {
            return Ergebnis(Fall(std::in_place_index<0>, std::move(abweichungen)));
        }
        // A needed comparison value is missing; the text says why.
        static Ergebnis ungeprueft(std::string grund) { return Ergebnis(Fall(std::in_place_index<1>, std::move(grund))); }
        // Nothing strong found, or nothing to compare with.
        static Ergebnis bestanden() { return Ergebnis(Fall(std::in_place_index<2>)); }
        // Stopped before it ended: nothing is shown and nothing is saved.
        static Ergebnis abgebrochen() { return Ergebnis(Fall(std::in_place_index<3>)); }

        const std::vector<Kurspruefung::Abweichung>* abweichungen() const { return std::get_if<0>(&fall_); }
        const std::string* grund() const { return std::get_if<1>(&fall_); }
        bool istBestanden() const { return fall_.index() == 2; }
        bool istAbgebrochen() const { return fall_.index() == 3; }

        friend bool operator==(const Ergebnis&, const Ergebnis&) = default;

    private:
        struct Bestanden {
            friend bool operator==(const Bestanden&, const Bestanden&) = default;
        };
        struct Abbruch {
            friend bool operator==(const Abbruch&, const Abbruch&) = default;
        };
        using Fall = std::variant<std::vector<Kurspruefung::Abweichung>, std::string, Bestanden, Abbruch>;
        explicit Ergebnis(Fall fall) : fall_(std::move(fall)) {}
        Fall fall_;
    };

    Kaufpreispruefung(Kursdienst dienst, Auftrag auftrag);

    const Auftrag& auftrag() const { return auftrag_; }

    // The currency in which the typed price is compared with the ECB rate: that of a price
    // typed in a foreign currency, never for a currency position.
    std::optional<std::string> vergleichswaehrung() const;

    // Asks the sources, price first, then rate, and judges the typed price by the 10 % rule.
    Ergebnis fuehreAus(std::stop_token stop) const;

    // The comparison values alone. Throws Abgebrochen once `stop` is requested; a source's
    // failure becomes the reason of a missing part, any other error is thrown on.
    Kurspruefung::Referenz referenz(std::stop_token stop) const;

private:
    Kurspruefung::Teil<Kursnotierung> vergleichskurs(std::stop_token stop) const;
    Kurspruefung::Teil<Umrechnung> vergleichsrate(std::stop_token stop) const;

    Kursdienst dienst_;
    Auftrag auftrag_;
};

} // namespace qb
