#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

// What the performance tab shows: the value on each complete reference date, or per trading day.
enum class Sicht { stichtage, tagesverlauf };

inline constexpr std::array<Sicht, 2> alleSichten{Sicht::stichtage, Sicht::tagesverlauf};

// The raw value is the case's name.
constexpr std::string_view rohwert(Sicht sicht) {
    return sicht == Sicht::stichtage ? "stichtage" : "tagesverlauf";
}
constexpr std::optional<Sicht> sichtAus(std::string_view rohwert) {
    for (Sicht sicht : alleSichten) {
        if (qb::rohwert(sicht) == rohwert) {
            return sicht;
        }
    }
    return std::nullopt;
}
// The German segment label, the source text of its translation.
constexpr const char* bezeichnung(Sicht sicht) {
    return sicht == Sicht::stichtage ? "Stichtage" : "Tagesverlauf";
}

} // namespace qb
