#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/Dezimal.h"

namespace qb {

// The three number formats of the exported sheet; each rounds (half away from zero) to its
// places: betrag to 2 and shows at least 2, kurs to 12 and shows at least 2, ganzzahl to 0.
enum class Zahlart { betrag, kurs, ganzzahl };

// A text as a quoted cell. A text that begins with "=", "+", "-", "@", a tab, CR or LF gets an
// apostrophe in front, so that a spreadsheet never runs it as a formula.
std::string csvTextzelle(std::string_view text);
// The number text of a cell: plain digits, a decimal comma, never grouped (not yet a cell).
std::string csvZahl(const Dezimal& wert, Zahlart art);
// The number as a quoted cell. No formula guard: a negative number keeps its plain minus.
std::string csvZahlzelle(const Dezimal& wert, Zahlart art);
// The empty cell: two double quotes.
std::string csvLeerzelle();

// One row of encoded cells; a row without cells is an empty line.
using Csvzeile = std::vector<std::string>;

// The sheet text: cells joined by ";", rows by CR LF, a byte-order mark in front and a CR LF
// after the last row, so that spreadsheet programs read it as UTF-8.
std::string csvText(const std::vector<Csvzeile>& zeilen);

} // namespace qb
