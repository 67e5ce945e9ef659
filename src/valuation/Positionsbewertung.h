#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/Assetklasse.h"
#include "foundation/Dezimal.h"

namespace qb {

// One row of a portfolio state: the value of a class's position at the price used.
// `marktwert` and `gewinn` are present together, `renditeProzent` only with them, and none of
// the three when the class holds no complete position.
struct Positionsbewertung {
    Assetklasse assetklasse = Assetklasse::aktie;
    // The position's name; empty when the class has no position.
    std::string name;
    // EUR, rounded to cents.
    std::optional<Dezimal> marktwert;
    // `marktwert` minus the buy value, unrounded.
    std::optional<Dezimal> gewinn;
    // In percent of the buy value, unrounded; absent for a buy value of 0.
    std::optional<Dezimal> renditeProzent;
    // The class holds a complete position.
    bool istFestgelegt = false;

    // The raw value of the class, so the five rows of a state have five identities.
    std::string_view id() const { return rohwert(assetklasse); }
};

} // namespace qb
