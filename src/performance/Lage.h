#pragma once

#include <cstdint>

#include "foundation/Dezimal.h"

namespace qb {

// Where a value lies against the starting capital. Colours, symbols and texts of the value
// chart follow it.
enum class Lage : std::uint8_t { ueberEinsatz, unterEinsatz, aufEinsatz };

// Exact: a value a cent above the starting capital is above it.
Lage lageVon(const Dezimal& wert, const Dezimal& startkapital);

} // namespace qb
