#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "valuation/Zahlenfeld.h"

namespace qb {

// Reads the optional fields of one JSON object of a source's answer. A missing key and a JSON
// null are an absent field; a present value of the wrong kind throws Dekodierfehler, which
// fails the whole answer. Keys that nobody asks for are ignored.
class JsonLeser {
public:
    // Throws Dekodierfehler when `wert` is no object. `pfad` names the object in messages.
    explicit JsonLeser(const nlohmann::json& wert, std::string pfad = {});

    std::optional<std::string> text(std::string_view schluessel) const;
    std::optional<bool> wahrheitswert(std::string_view schluessel) const;
    // A whole number that fits into 64 bits; a JSON number with a fraction is refused.
    std::optional<std::int64_t> ganzzahl(std::string_view schluessel) const;
    std::optional<Zahlenfeld> zahl(std::string_view schluessel) const;
    std::optional<std::vector<Zahlenfeld>> zahlenliste(std::string_view schluessel) const;
    std::optional<std::vector<std::int64_t>> ganzzahlliste(std::string_view schluessel) const;
    std::optional<JsonLeser> objekt(std::string_view schluessel) const;

    // The elements of a JSON array, each as an object; throws Dekodierfehler otherwise.
    static std::vector<JsonLeser> objektliste(const nlohmann::json& wert, std::string pfad = {});

private:
    const nlohmann::json* wert(std::string_view schluessel) const;
    std::string pfadZu(std::string_view schluessel) const;

    const nlohmann::json* objekt_;
    std::string pfad_;
};

} // namespace qb
