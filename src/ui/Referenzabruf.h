#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>

#include "foundation/Kalender.h"
#include "sources/Kursdienst.h"
#include "valuation/Kurseingabe.h"
#include "valuation/Kurspruefung.h"
#include "model/Waehrungscode.h"

namespace qb {

// The ECB rate that a rate row fetches for itself, and the rule by which a fetched rate fills
// an untouched rate field. No Qt: the fetch runs on a worker, the rule in the draft too.
class Referenzabruf {
public:
    Referenzabruf() = delete;

    // The identity of one fetch: a retry raises `versuch`, so the same currency and day fetch anew.
    struct Schluessel {
        Waehrungscode code;
        std::optional<Zeitpunkt> tag;
        int versuch = 0;

        friend bool operator==(const Schluessel&, const Schluessel&) = default;
    };

    // Blocking, for a worker thread: the rate (1 unit of code per `kurs`), or the source's reason
    // why there is none; absent when the fetch was stopped. Any other error is thrown on, for the
    // view task to report.
    static std::optional<Kurspruefung::Teil<Umrechnung>> hole(const Kursdienst& dienst, const Schluessel& schluessel,
                                                               std::stop_token stop);

    // Writes a fetched rate into the typed rate and the pre-fill, only while the rate field is
    // untouched: rate 0, neither unreadable nor holding any text. A typed rate, or any text in
    // the field, is never overwritten. Returns whether it wrote.
    static bool vorbelegen(Kurseingabe& eingabe, const Dezimal& kurs);
};

} // namespace qb

template <>
struct std::hash<qb::Referenzabruf::Schluessel> {
    std::size_t operator()(const qb::Referenzabruf::Schluessel& schluessel) const noexcept;
};
