#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "foundation/Dezimal.h"
#include "model/Eingabeform.h"
#include "foundation/Formatierer.h"
#include "model/Preisangabe.h"

namespace qb {

class Position;

// What the user typed for one price. A value of 0 in `kurs` or `umrechnung` means "nothing
// entered yet".
struct Kurseingabe {
    enum class Feld { kurs, umrechnung };

    std::string handelswaehrung = "EUR";
    Dezimal kurs;
    Dezimal umrechnung;
    std::set<Feld> unlesbar;
    std::set<Feld> mitText;
    std::optional<Dezimal> ezbVorbelegung;

    Kurseingabe() = default;
    Kurseingabe(std::string handelswaehrung, Dezimal kurs, Dezimal umrechnung)
        : handelswaehrung(std::move(handelswaehrung)), kurs(std::move(kurs)),
          umrechnung(std::move(umrechnung)) {}
    // A stored price shown again in the fields of a form; a price that does not fit the form
    // comes back empty.
    static Kurseingabe ausPreis(const std::optional<Preisangabe>& preis, std::string handelswaehrung,
                                const Eingabeform& form);

    // 0 < price ≤ 1 000 000 000.
    static bool istGueltigerPreis(const Dezimal& preis);
    // 0.0001 ≤ rate ≤ 1 000 000.
    static bool istGueltigerUmrechnungskurs(const Dezimal& kurs);

    // The typed price as a statement, absent when a value lies outside its range.
    std::optional<Preisangabe> preisangabe(const Eingabeform& form) const;
    // The one message under the fields, absent when there is nothing to say.
    std::optional<std::string> fehlertext(const Eingabeform& form) const;
    // Takes a fetched quote over into the fields.
    void uebernehmen(const Kursnotierung& notierung, Assetklasse klasse);
    // Sets a newly chosen trading currency and clears what belonged to the old one.
    void bereinigeUmrechnung(std::string_view neueWaehrung);

    // The German texts around a typed or stored price, numbers in the formatter's locale (by
    // default the user's). Pure: the functions that take a position read it and change nothing.

    // A share of a deviation (0.123 → "12,3 %"), at most one fraction digit.
    static std::string kurzText(const Dezimal& anteil, const Formatierer& format = Formatierer());
    // A price or rate: 2 to 4 fraction digits, up to 6 below 1 ("1.234,5678", "0,000123").
    static std::string umrechnungText(const Dezimal& wert, const Formatierer& format = Formatierer());
    // The conversion formula "1 € = 1,0834 USD", every space a no-break space.
    static std::string formelText(const Umrechnung& umrechnung, const Formatierer& format = Formatierer());
    // A price with its unit: "12,50 €", "97,60 %", "150,00 USD", "97,60 % in USD", or the
    // formula for a currency position. `inProzent`: quoted in percent of face value.
    static std::string prozentText(const Preisangabe& preis, Assetklasse klasse, bool inProzent,
                                   const Formatierer& format = Formatierer());
    // "umgerechnet aus … zu …" for a converted price; absent for a EUR price.
    static std::optional<std::string> umrechnungsZeile(const Preisangabe& preis, Assetklasse klasse,
                                                       bool inProzent,
                                                       const Formatierer& format = Formatierer());
    // The quantity with its unit ("100 Stück", joined by a no-break space).
    static std::string betragText(const Position& position, const Formatierer& format = Formatierer());
    // A foreign amount with exactly two fraction digits and its currency ("1.620,00 USD").
    static std::string fremdbetragText(const Dezimal& betrag, const std::string& waehrung,
                                       const Formatierer& format = Formatierer());
    // The purchase in one sentence; with the amount the quantity was derived from, a second
    // sentence names the rest that stays in cash.
    static std::string kaufZusammenfassung(const Position& position, const std::optional<Dezimal>& betrag,
                                           const Formatierer& format = Formatierer());
    // "Umgerechnet: 138,8889 € je Aktie": the EUR value of one unit of a foreign price.
    static std::string umrechnungsVorschau(const Umrechnung& umrechnung, Assetklasse klasse, bool inProzent,
                                           const std::optional<std::string>& einheit,
                                           const Formatierer& format = Formatierer());

    // Equal in currency, price, rate and unreadable marks; `mitText` and the pre-fill do not count.
    friend bool operator==(const Kurseingabe& a, const Kurseingabe& b) {
        return a.handelswaehrung == b.handelswaehrung && a.kurs == b.kurs && a.umrechnung == b.umrechnung &&
               a.unlesbar == b.unlesbar;
    }
};

} // namespace qb
