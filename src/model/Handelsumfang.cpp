#include "model/Handelsumfang.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "foundation/Formatierer.h"

namespace qb {

std::optional<std::string> Handelsumfang::text() const {
    std::string ergebnis;
    auto haenge = [&ergebnis](const std::string& teil) {
        if (!ergebnis.empty()) {
            ergebnis += ", ";
        }
        ergebnis += teil;
    };
    if (preisfeststellungen && *preisfeststellungen >= 1) {
        haenge(*preisfeststellungen == 1 ? std::string("nur ein einziger Handel")
                                         : std::to_string(*preisfeststellungen) + " Preisfeststellungen");
    }
    if (stueckumsatz && *stueckumsatz >= 1) {
        haenge(*stueckumsatz == 1 ? std::string("1 Stück Umsatz") : std::to_string(*stueckumsatz) + " Stück Umsatz");
    }
    if (umsatzEuro && *umsatzEuro > Dezimal(0)) {
        haenge(Formatierer().waehrung(*umsatzEuro, "EUR", 0) + " Umsatz");
    }
    if (ergebnis.empty()) {
        return std::nullopt;
    }
    return ergebnis;
}

std::string Handelsumfang::alsJson() const {
    nlohmann::json objekt = nlohmann::json::object();
    if (preisfeststellungen) {
        objekt["preisfeststellungen"] = *preisfeststellungen;
    }
    if (stueckumsatz) {
        objekt["stueckumsatz"] = *stueckumsatz;
    }
    if (umsatzEuro) {
        objekt["umsatzEuro"] = umsatzEuro->speichertext();
    }
    return objekt.dump();
}

Handelsumfang Handelsumfang::ausJson(std::string_view json) {
    nlohmann::json objekt = nlohmann::json::parse(json, nullptr, false);
    if (!objekt.is_object()) {
        throw std::invalid_argument("Handelsumfang: kein Objekt");
    }
    auto ganzzahl = [&objekt](const char* schluessel) -> std::optional<std::int64_t> {
        auto it = objekt.find(schluessel);
        if (it == objekt.end()) {
            return std::nullopt;
        }
        if (!it->is_number_integer()) {
            throw std::invalid_argument(std::string("Handelsumfang: ") + schluessel + " ist keine Ganzzahl");
        }
        // The parser keeps integers above the signed range as unsigned; converting those would
        // wrap them into negative counts.
        if (it->is_number_unsigned() &&
            it->get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            throw std::invalid_argument(std::string("Handelsumfang: ") + schluessel + " ist zu groß");
        }
        return it->get<std::int64_t>();
    };
    Handelsumfang umfang;
    umfang.preisfeststellungen = ganzzahl("preisfeststellungen");
    umfang.stueckumsatz = ganzzahl("stueckumsatz");
    if (auto it = objekt.find("umsatzEuro"); it != objekt.end()) {
        std::optional<Dezimal> wert;
        if (it->is_string()) {
            wert = Dezimal::lies(it->get<std::string>());
        } else if (it->is_number()) {
            wert = Dezimal::lies(it->dump());
        }
        if (!wert) {
            throw std::invalid_argument("Handelsumfang: umsatzEuro ist keine Zahl");
        }
        umfang.umsatzEuro = wert;
    }
    return umfang;
}

} // namespace qb
