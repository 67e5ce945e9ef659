#pragma once

#include <cstdint>

#include "foundation/Kalender.h"
#include "foundation/Dezimal.h"

namespace qb {

// One point of the value curve: the total value of the portfolio on a complete reference date.
struct Kurvenpunkt {
    // The point's position in the curve, counted from 0.
    std::int64_t id = 0;
    Zeitpunkt datum;
    // EUR.
    Dezimal wert;
};

} // namespace qb
