#include "sources/JsonLeser.h"

#include <cmath>

#include "valuation/Dekodierfehler.h"

namespace qb {

namespace {

[[noreturn]] void falscherTyp(const std::string& pfad, const char* erwartet, const nlohmann::json& wert) {
    std::string meldung = std::string(erwartet) + " erwartet, gefunden: " + wert.type_name();
    if (pfad.empty()) {
        throw Dekodierfehler(meldung);
    }
    throw Dekodierfehler("Feld „" + pfad + "“: " + meldung);
}

std::int64_t alsGanzzahl(const nlohmann::json& wert, const std::string& pfad) {
    if (wert.is_number_integer() && !wert.is_number_unsigned()) {
        return wert.get<std::int64_t>();
    }
    if (wert.is_number_unsigned()) {
        auto u = wert.get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(INT64_MAX)) {
            return static_cast<std::int64_t>(u);
        }
        throw Dekodierfehler("Feld „" + pfad + "“: Ganzzahl zu groß");
    }
    if (wert.is_number_float()) {
        // "1e3" arrives as a floating-point number; a whole value is still a whole number.
        double d = wert.get<double>();
        if (std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0 && d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(d);
        }
        throw Dekodierfehler("Feld „" + pfad + "“: keine Ganzzahl");
    }
    falscherTyp(pfad, "Ganzzahl", wert);
}

Zahlenfeld alsZahl(const nlohmann::json& wert, const std::string& pfad) {
    try {
        return Zahlenfeld::dekodiere(wert);
    } catch (const Dekodierfehler& fehler) {
        throw Dekodierfehler("Feld „" + pfad + "“: " + fehler.what());
    }
}

} // namespace

JsonLeser::JsonLeser(const nlohmann::json& wert, std::string pfad) : objekt_(&wert), pfad_(std::move(pfad)) {
    if (!wert.is_object()) {
        falscherTyp(pfad_, "Objekt", wert);
    }
}

const nlohmann::json* JsonLeser::wert(std::string_view schluessel) const {
    auto it = objekt_->find(schluessel);
    if (it == objekt_->end() || it->is_null()) {
        return nullptr;
    }
    return &*it;
}

std::string JsonLeser::pfadZu(std::string_view schluessel) const {
    return pfad_.empty() ? std::string(schluessel) : pfad_ + "." + std::string(schluessel);
}

std::optional<std::string> JsonLeser::text(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    if (!w->is_string()) {
        falscherTyp(pfadZu(schluessel), "Text", *w);
    }
    return w->get<std::string>();
}

std::optional<bool> JsonLeser::wahrheitswert(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    if (!w->is_boolean()) {
        falscherTyp(pfadZu(schluessel), "Wahrheitswert", *w);
    }
    return w->get<bool>();
}

std::optional<std::int64_t> JsonLeser::ganzzahl(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    return alsGanzzahl(*w, pfadZu(schluessel));
}

std::optional<Zahlenfeld> JsonLeser::zahl(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    return alsZahl(*w, pfadZu(schluessel));
}

std::optional<std::vector<Zahlenfeld>> JsonLeser::zahlenliste(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    std::string pfad = pfadZu(schluessel);
    if (!w->is_array()) {
        falscherTyp(pfad, "Liste", *w);
    }
    std::vector<Zahlenfeld> liste;
    liste.reserve(w->size());
    for (std::size_t i = 0; i < w->size(); ++i) {
        liste.push_back(alsZahl((*w)[i], pfad + "[" + std::to_string(i) + "]"));
    }
    return liste;
}

std::optional<std::vector<std::int64_t>> JsonLeser::ganzzahlliste(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    std::string pfad = pfadZu(schluessel);
    if (!w->is_array()) {
        falscherTyp(pfad, "Liste", *w);
    }
    std::vector<std::int64_t> liste;
    liste.reserve(w->size());
    for (std::size_t i = 0; i < w->size(); ++i) {
        liste.push_back(alsGanzzahl((*w)[i], pfad + "[" + std::to_string(i) + "]"));
    }
    return liste;
}

std::optional<JsonLeser> JsonLeser::objekt(std::string_view schluessel) const {
    const auto* w = wert(schluessel);
    if (w == nullptr) {
        return std::nullopt;
    }
    return JsonLeser(*w, pfadZu(schluessel));
}

std::vector<JsonLeser> JsonLeser::objektliste(const nlohmann::json& wert, std::string pfad) {
    if (!wert.is_array()) {
        falscherTyp(pfad, "Liste", wert);
    }
    std::vector<JsonLeser> liste;
    liste.reserve(wert.size());
    for (std::size_t i = 0; i < wert.size(); ++i) {
        liste.emplace_back(wert[i], pfad + "[" + std::to_string(i) + "]");
    }
    return liste;
}

} // namespace qb
