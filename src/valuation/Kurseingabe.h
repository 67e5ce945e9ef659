#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "valuation/Dezimal.h"
#include "valuation/Eingabeform.h"
#include "valuation/Preisangabe.h"

namespace qb {

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
        : handelswaehrung(std::move(handelswaehrung)), kurs(std::move(kurs)), umrechnung(std::move(umrechnung)) {}
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

    // Equal in currency, price, rate and unreadable marks; `mitText` and the pre-fill do not count.
    friend bool operator==(const Kurseingabe& a, const Kurseingabe& b) {
        return a.handelswaehrung == b.handelswaehrung && a.kurs == b.kurs && a.umrechnung == b.umrechnung &&
               a.unlesbar == b.unlesbar;
    }
};

} // namespace qb
