#pragma once

#include <optional>

#include "foundation/Kalender.h"
#include "foundation/Dezimal.h"

namespace qb {

// The change of the portfolio's total value from an earlier date to a later one.
struct Wertveraenderung {
    // The date of the earlier value.
    Zeitpunkt seit;
    // The date of the current value.
    Zeitpunkt am;
    // EUR, unrounded.
    Dezimal betrag;
    // In percent of the earlier value, unrounded; absent when that value is not above 0.
    std::optional<Dezimal> prozent;

    friend bool operator==(const Wertveraenderung&, const Wertveraenderung&) = default;
};

} // namespace qb
