#include "valuation/Zahlenfeld.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "valuation/Dekodierfehler.h"
#include "foundation/Unicode.h"

namespace qb {

namespace {

bool istTrenner(const std::string& zeichen) {
    return zeichen == "," || zeichen == ".";
}

std::string verbunden(std::vector<std::string>::const_iterator von,
                      std::vector<std::string>::const_iterator bis) {
    std::string text;
    for (; von != bis; ++von) {
        text += *von;
    }
    return text;
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
    // Separators and group lengths count user-perceived characters: a comma that carries a
    // combining accent is no comma, and a no-break space is one character, not two bytes.
    const std::vector<std::string> zeichen = Unicode::zeichen(text);
    using Stelle = std::vector<std::string>::const_iterator;
    const auto letztes = [&zeichen](const char* trenner) {
        auto r = std::find(zeichen.rbegin(), zeichen.rend(), trenner);
        return r == zeichen.rend() ? zeichen.end() : std::prev(r.base());
    };
    const Stelle letztesKomma = letztes(",");
    const Stelle letzterPunkt = letztes(".");
    const Stelle ende = zeichen.end();
    Stelle trenner = ende;
    if (letztesKomma != ende && letzterPunkt != ende) {
        trenner = std::max(letztesKomma, letzterPunkt);
    } else if (letztesKomma != ende) {
        if (std::count(zeichen.begin(), ende, ",") == 1) {
            trenner = letztesKomma;
        }
    } else if (letzterPunkt != ende) {
        if (std::count(zeichen.begin(), ende, ".") == 1) {
            trenner = letzterPunkt;
        }
    }

    std::vector<std::pair<Stelle, Stelle>> gruppen;
    Stelle anfang = zeichen.begin();
    for (Stelle i = zeichen.begin();; ++i) {
        // The integer part ends at the decimal separator, or with the text when there is none.
        if (i == trenner || istTrenner(*i)) {
            gruppen.emplace_back(anfang, i);
            if (i == trenner) {
                break;
            }
            anfang = std::next(i);
        }
    }
    if (gruppen.size() >= 2) {
        // The sign is no digit of the first group: "-123.456,7" is as well-formed as "123.456,7".
        auto [ersteAnfang, ersteEnde] = gruppen[0];
        if (ersteAnfang != ersteEnde && *ersteAnfang == "-") {
            ++ersteAnfang;
        }
        const auto laenge = std::distance(ersteAnfang, ersteEnde);
        if (laenge < 1 || laenge > 3) {
            return std::nullopt;
        }
        for (std::size_t i = 1; i < gruppen.size(); ++i) {
            if (std::distance(gruppen[i].first, gruppen[i].second) != 3) {
                return std::nullopt;
            }
        }
    }
    std::string ergebnis;
    for (const auto& [von, bis] : gruppen) {
        ergebnis += verbunden(von, bis);
    }
    if (trenner != ende && std::next(trenner) != ende) {
        ergebnis += '.';
        ergebnis += verbunden(std::next(trenner), ende);
    }
    return ergebnis;
}

bool Zahlenfeld::pruefeZiffern(std::string_view text) {
    // Bytes give the same verdict as characters: every allowed character is one ASCII byte,
    // and any byte of another character breaks the rules.
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
