#pragma once

#include <optional>
#include <string>

#include "model/Kursnotierung.h"
#include "valuation/Kurspruefung.h"
#include "valuation/Testspiel.h"

// Builders for comparison answers, and the no-break space in expected texts.
namespace testspiel {

// "·" in an expected text stands for the no-break space U+00A0 that the formatter writes.
inline std::string nbsp(std::string text) {
    for (std::size_t i; (i = text.find("·")) != std::string::npos;) {
        text.replace(i, std::string("·").size(), "\u00A0");
    }
    return text;
}

// The exchange's closing price in EUR, fetched on the morning of 12 March 2024.
inline Kursnotierung quote(const char* kurs, std::optional<Notierungsart> notierungsart = std::nullopt) {
    Kursnotierung q;
    q.kurs = d(kurs);
    q.waehrung = "EUR";
    q.art = Kursart::tagesschluss;
    q.notierungsart = notierungsart;
    q.abgerufenAm = tag(2024, 3, 12, 8);
    q.quelle = "Börse Frankfurt (XETR)";
    return q;
}

inline Kurspruefung::Referenz antwort(Kurspruefung::Teil<Kursnotierung> kurs,
                                      Kurspruefung::Teil<Umrechnung> rate = Kurspruefung::Teil<Umrechnung>::entfaellt()) {
    return Kurspruefung::Referenz{std::move(kurs), std::move(rate)};
}

// The ECB's rate: 1 EUR = `kurs` units of `waehrung`.
inline Kurspruefung::Teil<Umrechnung> ezb(const char* kurs, const char* waehrung = "USD") {
    return Kurspruefung::Teil<Umrechnung>::vorhanden(Umrechnung{d("1"), waehrung, d(kurs)});
}

} // namespace testspiel
