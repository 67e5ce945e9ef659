#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "foundation/Dezimal.h"

namespace qb {

// A decimal that a JSON answer may give as a number or as text, and the one reader of
// number text (typed or from an answer), German or international notation.
struct Zahlenfeld {
    Dezimal wert;

    // "1.234,56", "1,234.56", "12,5", " -3 " → the decimal; no value for anything else.
    static std::optional<Dezimal> parse(std::string_view text);
    // The number with "." as the only decimal separator and no grouping; no value when the
    // groups are malformed.
    static std::optional<std::string> normalisiere(std::string_view text);
    // Whether a normalised text is an optional leading "-", ASCII digits and at most one ".".
    static bool pruefeZiffern(std::string_view text);
    // A string is read with parse(); a number through "%.6f", rounded to 6 places. Throws
    // Dekodierfehler for anything else.
    static Zahlenfeld dekodiere(const nlohmann::json& wert);

    friend bool operator==(const Zahlenfeld&, const Zahlenfeld&) = default;
};

} // namespace qb
