#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

// How far back the daily history of the performance tab reaches.
enum class Zeitraum { einMonat, dreiMonate, alles };

inline constexpr std::array<Zeitraum, 3> alleZeitraeume{Zeitraum::einMonat, Zeitraum::dreiMonate, Zeitraum::alles};

// The raw value is the case's name.
constexpr std::string_view rohwert(Zeitraum zeitraum) {
    switch (zeitraum) {
    case Zeitraum::einMonat:
        return "einMonat";
    case Zeitraum::dreiMonate:
        return "dreiMonate";
    case Zeitraum::alles:
        break;
    }
    return "alles";
}
constexpr std::optional<Zeitraum> zeitraumAus(std::string_view rohwert) {
    for (Zeitraum zeitraum : alleZeitraeume) {
        if (qb::rohwert(zeitraum) == rohwert) {
            return zeitraum;
        }
    }
    return std::nullopt;
}
// The German segment label, the source text of its translation.
constexpr const char* bezeichnung(Zeitraum zeitraum) {
    switch (zeitraum) {
    case Zeitraum::einMonat:
        return "1 Monat";
    case Zeitraum::dreiMonate:
        return "3 Monate";
    case Zeitraum::alles:
        break;
    }
    return "Alles";
}

} // namespace qb
