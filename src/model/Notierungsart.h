#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

// How the price of a paper is quoted.
enum class Notierungsart { stueckpreis, prozentVomNennwert };

inline constexpr std::array<Notierungsart, 2> alleNotierungsarten{Notierungsart::stueckpreis,
                                                                  Notierungsart::prozentVomNennwert};

std::string_view rohwert(Notierungsart art);
std::optional<Notierungsart> notierungsartAus(std::string_view rohwert);
std::string_view beschreibung(Notierungsart art);

} // namespace qb
