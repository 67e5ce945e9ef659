#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/Bewertung.h"
#include "foundation/Kalender.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "foundation/Dezimal.h"
#include "model/Preisangabe.h"

// Small builders for a game of records without a store.
namespace testspiel {

using namespace qb;

inline Zeitpunkt tag(int jahr, int monat, int t, int stunde = 17) {
    return *Kalender(Zeitzone("Europe/Berlin")).zeitpunkt(Datumsteile{jahr, monat, t, stunde, 0, 0});
}

inline Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

// "—" for an absent value, so that a failed comparison shows both sides readably.
inline std::string text(const std::optional<Dezimal>& wert) {
    return wert ? wert->text() : "—";
}

inline Preisangabe eur(const char* preis) {
    return Preisangabe::euro(d(preis));
}
inline Preisangabe fremd(const char* original, const char* waehrung, const char* kurs) {
    return Preisangabe::umgerechnet(Umrechnung{d(original), waehrung, d(kurs)});
}

inline std::shared_ptr<Portfolio> spiel(const char* startkapital = "10000") {
    return std::make_shared<Portfolio>("Gruppe", d(startkapital), tag(2026, 3, 2, 9));
}

inline std::shared_ptr<Position> kaufe(const std::shared_ptr<Portfolio>& portfolio, Assetklasse klasse,
                                       std::string name, std::int64_t stueck, const Preisangabe& preis) {
    auto position = std::make_shared<Position>(klasse);
    position->setzeName(std::move(name));
    position->setzeStueckzahl(stueck);
    position->setzeKaufkurs(preis);
    portfolio->fuegeHinzu(position);
    return position;
}

inline std::shared_ptr<Bewertung> stichtag(const std::shared_ptr<Portfolio>& portfolio, Zeitpunkt datum) {
    auto bewertung = std::make_shared<Bewertung>(datum, "");
    portfolio->fuegeHinzu(bewertung);
    return bewertung;
}

inline void notiere(const std::shared_ptr<Bewertung>& bewertung, const std::shared_ptr<Position>& position,
                    const Preisangabe& preis) {
    auto notiz = std::make_shared<Preisnotiz>(Dezimal(0), "Bloomberg", position->kennung(), Kursart::vonHand,
                                              bewertung->datum(), Preisherkunft::manuell, std::nullopt);
    bewertung->haengeAn(notiz, position);
    notiz->setzePreis(preis);
}

} // namespace testspiel
