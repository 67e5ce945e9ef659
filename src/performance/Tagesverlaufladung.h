#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Kalender.h"
#include "performance/Sicht.h"
#include "performance/Wertverlauf.h"
#include "performance/Zeitraum.h"

namespace qb {

class Portfolio;

// The state of the performance tab's daily history and how a load changes it. The load itself
// (fetching on the worker pool, keyed by Abrufschluessel) belongs to the tab; this class says
// whether to fetch, over which window, and what the outcome means for what the tab shows.
class Tagesverlaufladung {
public:
    // Whether a daily history can be fetched: some complete position and some reference date
    // with complete prices.
    static bool tagesverlaufMoeglich(const Portfolio& portfolio);
    // The window ending at `jetzt`: the whole game, or 31 or 92 calendar days back from the start
    // of today, cut at the entry day. A calendar that cannot go back gives the whole game.
    static Wertverlauf::Fenster fenster(Zeitraum zeitraum, Zeitpunkt jetzt, Zeitpunkt kaufdatum, const Kalender& kalender);

    // The start of a load: the window to fetch, or none when nothing is to be fetched (the
    // reference-date view, or no daily history possible).
    std::optional<Wertverlauf::Fenster> beginne(Sicht sicht, Zeitraum zeitraum, const Portfolio& portfolio, Zeitpunkt jetzt);
    // The result of the load that beginne() started for `fenster`.
    void schliesseAb(Wertverlauf::Ergebnis ergebnis, const Wertverlauf::Fenster& fenster);
    // "Erneut laden": a new key, so a new load.
    void erneut() { ++ladeversuch_; }

    const std::optional<Wertverlauf::Ergebnis>& verlauf() const { return verlauf_; }
    bool laedt() const { return laedt_; }
    // Why the last load delivered no trading day.
    const std::optional<std::string>& verlaufsfehler() const { return verlaufsfehler_; }
    // The window of the delivered history was cut at the entry day.
    bool verkuerzt() const { return verkuerzt_; }
    std::int64_t ladeversuch() const { return ladeversuch_; }

    // The footnote of the daily chart: the number of trading days, the date of the key figures,
    // the cut window and the sources, joined with " · ".
    std::string fussnote(const std::vector<Verlaufstag>& tage, const std::vector<std::string>& quellen,
                         const std::optional<Zeitpunkt>& letzterStichtag, Zeitpunkt kaufdatum) const;

private:
    std::optional<Wertverlauf::Ergebnis> verlauf_;
    bool laedt_ = false;
    std::optional<std::string> verlaufsfehler_;
    bool verkuerzt_ = false;
    std::int64_t ladeversuch_ = 0;
};

} // namespace qb
