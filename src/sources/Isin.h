#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qb {

// The two rules of an International Securities Identification Number. Pure functions; any
// text goes in, nothing fails.
struct Isin {
    // Upper-cases the text (ß becomes SS), keeps only its ASCII letters and digits, and returns
    // them when they form twelve characters: two letters, nine letters or digits, one digit.
    static std::optional<std::string> normalisiert(std::string_view text);
    // The check digit by the Luhn rule over the digits with every letter written as its two
    // digits (A = 10 … Z = 35). Meant for the result of normalisiert().
    static bool pruefzifferStimmt(std::string_view text);
};

} // namespace qb
