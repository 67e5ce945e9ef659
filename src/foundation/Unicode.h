#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The Unicode rules the system needs on UTF-8 text, through ICU.
struct Unicode {
    // Full upper-casing without a locale's special rules: "ß" becomes "SS".
    static std::string grossbuchstaben(std::string_view text);
    // The user-perceived characters (grapheme clusters), in order.
    static std::vector<std::string> zeichen(std::string_view text);
    static std::size_t zeichenanzahl(std::string_view text);
    // Trims blanks and tabs (every space separator and U+0009), but no line breaks.
    static std::string_view ohneLeerzeichen(std::string_view text);
    // Trims all white space including line breaks.
    static std::string_view ohneLeerraum(std::string_view text);
    // Whether a user-perceived character is a letter, or a number, by its first code point's
    // general category (L* resp. N*).
    static bool istBuchstabe(std::string_view zeichen);
    static bool istZahl(std::string_view zeichen);
};

} // namespace qb
