#include "valuation/Zahlenfeld.h"

#include <charconv>
#include <cmath>
#include <vector>

#include <nlohmann/json.hpp>

#include "valuation/Dekodierfehler.h"
#include "valuation/Unicode.h"

namespace qb {

namespace {

std::size_t anzahl(std::string_view text, char c) {
    std::size_t n = 0;
    for (char x : text) {
        n += x == c ? 1 : 0;
    }
    return n;
}

} // namespace

std::optional<Dezimal> Zahlenfeld::parse(std::string_view text) {
    std::string_view getrimmt = Unicode::ohneLeerzeichen(text);
    if (getrimmt.empty()) {
        return std::nullopt;
    }
    auto normal = normalisiere(getrimmt);
    if (!normal || !pruefeZiffern(*normal)) {
        return std::nullopt;
    }
    return Dezimal::lies(*normal);
}

std::optional<std::string> Zahlenfeld::normalisiere(std::string_view text) {
    std::size_t letztesKomma = text.rfind(',');
    std::size_t letzterPunkt = text.rfind('.');
    std::optional<std::size_t> trenner;
    if (letztesKomma != std::string_view::npos && letzterPunkt != std::string_view::npos) {
        trenner = std::max(letztesKomma, letzterPunkt);
    } else if (letztesKomma != std::string_view::npos) {
        if (anzahl(text, ',') == 1) {
            trenner = letztesKomma;
        }
    } else if (letzterPunkt != std::string_view::npos) {
        if (anzahl(text, '.') == 1) {
            trenner = letzterPunkt;
        }
    }
    std::string_view ganzteil = trenner ? text.substr(0, *trenner) : text;
    std::string_view bruchteil = trenner ? text.substr(*trenner + 1) : std::string_view();

    std::vector<std::string_view> gruppen;
    std::size_t anfang = 0;
    for (std::size_t i = 0; i <= ganzteil.size(); ++i) {
        if (i == ganzteil.size() || ganzteil[i] == ',' || ganzteil[i] == '.') {
            gruppen.push_back(ganzteil.substr(anfang, i - anfang));
            anfang = i + 1;
        }
    }
    if (gruppen.size() >= 2) {
        // The sign is no digit of the first group: "-123.456,7" is as well-formed as "123.456,7".
        std::string_view erste = gruppen[0];
        if (!erste.empty() && erste.front() == '-') {
            erste.remove_prefix(1);
        }
        if (erste.empty() || erste.size() > 3) {
            return std::nullopt;
        }
        for (std::size_t i = 1; i < gruppen.size(); ++i) {
            if (gruppen[i].size() != 3) {
                return std::nullopt;
            }
        }
    }
    std::string ergebnis;
    for (auto gruppe : gruppen) {
        ergebnis += gruppe;
    }
    if (!bruchteil.empty()) {
        ergebnis += '.';
        ergebnis += bruchteil;
    }
    return ergebnis;
}

bool Zahlenfeld::pruefeZiffern(std::string_view text) {
    bool ziffer = false;
    bool punkt = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            ziffer = true;
        } else if (c == '-' && i == 0) {
        } else if (c == '.' && !punkt) {
            punkt = true;
        } else {
            return false;
        }
    }
    return ziffer;
}

Zahlenfeld Zahlenfeld::dekodiere(const nlohmann::json& wert) {
    if (wert.is_string()) {
        const auto& text = wert.get_ref<const std::string&>();
        auto zahl = parse(text);
        if (!zahl) {
            throw Dekodierfehler("Zahl nicht lesbar: " + text);
        }
        return Zahlenfeld{*zahl};
    }
    if (!wert.is_number()) {
        throw Dekodierfehler(std::string("Zahl erwartet, gefunden: ") + wert.type_name());
    }
    double d = wert.get<double>();
    if (!std::isfinite(d)) {
        throw Dekodierfehler("Zahl ist unendlich oder keine Zahl");
    }
    // "%.6f" without a locale: snprintf would follow LC_NUMERIC, and once the process runs
    // under a German locale it writes "0,100000", which is no decimal text. Even a double of
    // 1e308 fits: at most a sign, 309 digits, the point and 6 places.
    char puffer[400];
    auto [ende, fehler] = std::to_chars(puffer, puffer + sizeof puffer, d, std::chars_format::fixed, 6);
    if (fehler != std::errc()) {
        throw Dekodierfehler("Zahl nicht in Dezimalwert wandelbar");
    }
    auto zahl = Dezimal::lies(std::string_view(puffer, static_cast<std::size_t>(ende - puffer)));
    if (!zahl) {
        throw Dekodierfehler("Zahl nicht in Dezimalwert wandelbar");
    }
    return Zahlenfeld{zahl->gerundet(6, Rundung::normal)};
}

} // namespace qb
