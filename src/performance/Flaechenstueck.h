#pragma once

#include <cstdint>
#include <vector>

#include "foundation/Kalender.h"

namespace qb {

// One piece of the shaded area between the value curve and the starting-capital line, lying
// wholly on one side of it: an area fill cannot change colour part-way, so the curve is cut at
// every crossing and at every point exactly on the line.
struct Flaechenstueck {
    // One vertex of a piece.
    struct Stelle {
        // Running number over all vertices of one splitting, from 1; unique across its pieces.
        std::int64_t id = 0;
        Zeitpunkt datum;
        double wert = 0;
        friend bool operator==(const Stelle&, const Stelle&) = default;
    };

    // One point of the curve as the chart plots it.
    struct Punkt {
        Zeitpunkt datum;
        double wert = 0;
    };

    // The piece's place in the result, from 0.
    std::int64_t id = 0;
    // On or above the line; a piece wholly on the line counts as above.
    bool ueberEinsatz = true;
    // In curve order, at least two.
    std::vector<Stelle> stellen;

    friend bool operator==(const Flaechenstueck&, const Flaechenstueck&) = default;

    // The pieces of a curve (in date order) against the line at `startkapital`. Comparisons
    // with the line are exact. Neighbouring pieces meet in two vertices of equal date and
    // value, one closing the earlier piece and one opening the next; a crossing between two
    // points lies on the straight segment between them.
    static std::vector<Flaechenstueck> zerlege(const std::vector<Punkt>& punkte, double startkapital);
};

} // namespace qb
