#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

// The four tabs of the main window, in the order the picker shows them.
enum class Bereich { portfolio, stichtage, entwicklung, einstellungen };

inline constexpr std::array<Bereich, 4> alleBereiche{Bereich::portfolio, Bereich::stichtage,
                                                     Bereich::entwicklung, Bereich::einstellungen};

// "portfolio", "stichtage", "entwicklung", "einstellungen".
std::string_view rohwert(Bereich bereich);
// Exactly the four raw values; none for any other text.
std::optional<Bereich> bereichAusRohwert(std::string_view text);
// The tab's German title, the source text of its translation.
const char* titel(Bereich bereich);

} // namespace qb
