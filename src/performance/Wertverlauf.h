#pragma once

#include <map>
#include <stop_token>
#include <string>
#include <variant>
#include <vector>

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Datensatz.h"
#include "model/Kursreihe.h"

namespace qb {

class Kursdienst;
class Portfolio;
class Position;

// The portfolio's total value at the end of one calendar day.
struct Verlaufstag {
    // The start of the day in the current calendar.
    Zeitpunkt tag;
    // EUR, unrounded.
    Dezimal gesamtwert;

    friend bool operator==(const Verlaufstag&, const Verlaufstag&) = default;
};

// The portfolio's total value per day of a window, from fetched daily price histories in EUR,
// or from the group's own entries where the application fetches no prices for a position.
//
// The records belong to the GUI thread and fetching blocks, so one computation comes in three
// steps: auftrag() reads what to fetch (GUI thread), hole() fetches it with copies (any
// thread), werte() values the portfolio day by day (GUI thread). berechne() runs all three on
// the calling thread.
class Wertverlauf {
public:
    Wertverlauf() = delete;

    struct Ergebnis {
        // Ascending, at most one per calendar day.
        std::vector<Verlaufstag> tage;
        // The German reason for each class whose history did not arrive.
        std::map<Assetklasse, std::string> fehlgeschlagen;
        // The labels of the series obtained, each once, ascending.
        std::vector<std::string> quellen;

        friend bool operator==(const Ergebnis&, const Ergebnis&) = default;
    };

    // The window of one load.
    struct Fenster {
        Zeitpunkt von;
        Zeitpunkt bis;
        // The start was moved forward to the entry day.
        bool verkuerzt = false;

        friend bool operator==(const Fenster&, const Fenster&) = default;
    };

    // What to fetch: one entry per position that is valued, in list order.
    struct Auftrag {
        struct Posten {
            // The store's identity of the position, to find it again when valuing.
            DatensatzId id = 0;
            Assetklasse klasse = Assetklasse::aktie;
            // As stored, untrimmed.
            std::string kennung;
            // Stands in when the application fetches no prices for the position.
            Kursreihe eigene;
        };
        std::vector<Posten> posten;
        Zeitpunkt von;
        Zeitpunkt bis;
        // Fourteen calendar days before the start of the day of `von`: the first days of the
        // window get a price from before it to carry forward.
        Zeitpunkt vorlauf;
    };

    // What came back for one entry of the order.
    struct Ohne {
        friend bool operator==(const Ohne&, const Ohne&) = default;
    };
    using Ausgang = std::variant<Kursreihe, Ohne, std::string>;
    struct Abruf {
        // Per entry of the order: the history in EUR, `Ohne` for no fetch (own entries), or
        // the German reason of a failure.
        std::vector<Ausgang> ausgaenge;
        bool abgebrochen = false;

        // The fetch that failed as a whole: every entry that is fetched carries `meldung`.
        static Abruf gescheitert(const Auftrag& auftrag, const Kursdienst& dienst,
                                 const std::string& meldung);
    };

    // GUI thread. Only the first position of each class is valued, so only that one is
    // fetched, and only when it is complete.
    static Auftrag auftrag(const Portfolio& portfolio, Zeitpunkt von, Zeitpunkt bis);
    // Any thread; blocks. The entries are fetched at once, each on a thread of its own, and
    // all are joined before it returns. A stop anywhere wins; then an error that is no source's
    // is thrown on, for the view task to report.
    static Abruf hole(const Auftrag& auftrag, const Kursdienst& dienst, std::stop_token stop);
    // GUI thread: the day values at the portfolio's current records.
    static Ergebnis werte(const Portfolio& portfolio, const Auftrag& auftrag, const Abruf& abruf);

    // All three steps on the calling thread, which must own the records.
    static Ergebnis berechne(const Portfolio& portfolio, Zeitpunkt von, Zeitpunkt bis, const Kursdienst& dienst,
                             std::stop_token stop = {});

    // The purchase price from the entry day on, then the price of each reference date that
    // holds a note for the position; in EUR, labelled "eigene Eintragungen".
    static Kursreihe eigeneReihe(const Position& position, const Portfolio& portfolio);
};

} // namespace qb
