#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "foundation/Kalender.h"
#include "reference-dates/Stichtagsentwurf.h"
#include "sources/Kursdienst.h"
#include "valuation/Kurspruefung.h"

namespace qb {

// The comparison of one row, fetched on a worker: the quote in EUR and, for a foreign trading
// currency, the ECB rate. A form starts one job per open request of its draft and hands each
// answer to Stichtagsentwurf::speichereVergleich as it arrives, on the GUI thread.
class Vergleichsabruf {
public:
    Vergleichsabruf() = delete;

    struct Antwort {
        Stichtagsentwurf::Vergleichsauftrag auftrag;
        Kurspruefung::Referenz referenz;

        friend bool operator==(const Antwort&, const Antwort&) = default;
    };

    // Blocking. Every failure of a source becomes its text in its part; an identifier the source
    // does not accept leaves the price part `entfaellt` without a request. Absent when `stop` was
    // requested: no partial answer is delivered. `abruftag` absent: current quote and rate. Any
    // other error is thrown on, for the view task to report.
    static std::optional<Antwort> hole(const Stichtagsentwurf::Vergleichsauftrag& auftrag,
                                       std::optional<Zeitpunkt> abruftag, const Kursdienst& dienst,
                                       std::stop_token stop);
    // The answer of a job that failed as a whole: every part it would have fetched misses, with
    // `meldung` as the reason.
    static Antwort gescheitert(const Stichtagsentwurf::Vergleichsauftrag& auftrag,
                               const std::string& meldung);
};

} // namespace qb
