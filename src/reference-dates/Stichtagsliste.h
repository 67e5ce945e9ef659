#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Datensatz.h"
#include "reference-dates/Bewertungserfassung.h"

namespace qb {

class Bewertung;
class Portfolio;

// The rules and texts of the reference-date list: which dates it shows in which order, which
// day the main button creates, and what its rows and alerts say. No widgets.
class Stichtagsliste {
public:
    Stichtagsliste() = delete;

    enum class Richtung { neutral, gewinn, verlust };

    struct Zeilentexte {
        std::string datum;
        // Absent when a price of a complete position is missing ("Kurse unvollständig").
        std::optional<std::string> wert;
        std::optional<std::string> rendite;
        Richtung richtung = Richtung::neutral;
    };

    // Newest first: the reverse of the portfolio's sorted reference dates.
    static std::vector<std::shared_ptr<Bewertung>> neuesteZuerst(const Portfolio& portfolio);
    static bool hatVollstaendigePositionen(const Portfolio& portfolio);

    // The start of the purchase day, or `jetzt` when that lies in the future.
    static Zeitpunkt fruehesterTag(const Portfolio& portfolio, Zeitpunkt jetzt, const Kalender& kalender);
    // The picked day (today when none), never before the earliest day.
    static Zeitpunkt wirksamerTag(const Portfolio& portfolio, std::optional<Zeitpunkt> gewaehlt, Zeitpunkt jetzt,
                                  const Kalender& kalender);
    static bool istNachtrag(Zeitpunkt tag, Zeitpunkt jetzt, const Kalender& kalender);

    // What the main button creates for the day: a past day at 17:00 with that moment as the
    // day to fetch comparisons for, today at the moment of the press without one.
    static Bewertungserfassung::Stichtagswahl wahl(Zeitpunkt tag, Zeitpunkt jetzt, const Kalender& kalender);

    // The date the detail shows: the selected one (none when it is gone), or the newest while
    // nothing is selected.
    static std::shared_ptr<Bewertung> angezeigt(const Portfolio& portfolio, std::optional<DatensatzId> ausgewaehlt);

    static std::string knopftext(bool nachtrag);
    static std::string erklaerung(bool nachtrag);
    // The alert after a creation that left prices out; none when nothing was left out.
    static std::optional<std::string> verworfenMeldung(const std::map<Assetklasse, std::string>& verworfen);

    static Zeilentexte zeile(const Portfolio& portfolio, const Bewertung& bewertung, const Formatierer& format,
                             const Zeitzone& zone);
};

} // namespace qb
