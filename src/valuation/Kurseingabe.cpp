#include "valuation/Kurseingabe.h"

namespace qb {

namespace {

const char* const meldungKurs = "Ein Kurs muss über 0 und höchstens 1.000.000.000 sein.";
const char* const meldungUmrechnung = "Ein Umrechnungskurs liegt zwischen 0,0001 und 1.000.000.";
const char* const meldungUmgerechnet = "Umgerechnet ergibt das keinen möglichen Kurs. Prüfe Kurs und Umrechnungskurs.";

} // namespace

bool Kurseingabe::istGueltigerPreis(const Dezimal& preis) {
    return preis > Dezimal(0) && preis <= Dezimal(1000000000);
}

bool Kurseingabe::istGueltigerUmrechnungskurs(const Dezimal& kurs) {
    return kurs >= Dezimal::zehnHoch(-4) && kurs <= Dezimal(1000000);
}

Kurseingabe Kurseingabe::ausPreis(const std::optional<Preisangabe>& preis, std::string handelswaehrung,
                                  const Eingabeform& form) {
    Kurseingabe eingabe(std::move(handelswaehrung), Dezimal(0), Dezimal(0));
    if (!preis) {
        return eingabe;
    }
    const Umrechnung* u = preis->umrechnung();
    if (form.istEuro()) {
        eingabe.kurs = preis->inEuro();
    } else if (const auto* code = form.fremdwaehrungCode()) {
        if (u && u->waehrung == code->wert()) {
            eingabe.kurs = u->original;
            eingabe.umrechnung = u->kurs;
        }
    } else if (const auto* code = form.waehrungskursCode()) {
        if (u && u->waehrung == code->wert() && u->original == Dezimal(1)) {
            eingabe.umrechnung = u->kurs;
        } else if (const auto* euro = preis->euroPreis(); euro && *euro > Dezimal(0)) {
            eingabe.umrechnung = (Dezimal(1) / *euro).gerundet(12, Rundung::normal);
        }
    }
    return eingabe;
}

std::optional<Preisangabe> Kurseingabe::preisangabe(const Eingabeform& form) const {
    if (form.istEuro()) {
        if (istGueltigerPreis(kurs)) {
            return Preisangabe::euro(kurs);
        }
        return std::nullopt;
    }
    if (const auto* code = form.fremdwaehrungCode()) {
        if (!istGueltigerPreis(kurs) || !istGueltigerUmrechnungskurs(umrechnung)) {
            return std::nullopt;
        }
        Umrechnung u{kurs, code->wert(), umrechnung};
        if (!istGueltigerPreis(u.inEuro())) {
            return std::nullopt;
        }
        return Preisangabe::umgerechnet(std::move(u));
    }
    const auto* code = form.waehrungskursCode();
    if (!istGueltigerUmrechnungskurs(umrechnung)) {
        return std::nullopt;
    }
    return Preisangabe::umgerechnet(Umrechnung{Dezimal(1), code->wert(), umrechnung});
}

std::optional<std::string> Kurseingabe::fehlertext(const Eingabeform& form) const {
    if (form.istEuro()) {
        if (!kurs.istNull() && !istGueltigerPreis(kurs)) {
            return meldungKurs;
        }
        return std::nullopt;
    }
    if (form.fremdwaehrungCode() != nullptr) {
        if (!kurs.istNull() && !istGueltigerPreis(kurs)) {
            return meldungKurs;
        }
        if (umrechnung.istNull()) {
            return std::nullopt;
        }
        if (!istGueltigerUmrechnungskurs(umrechnung)) {
            return meldungUmrechnung;
        }
        if (kurs.istNull()) {
            return std::nullopt;
        }
        if (!preisangabe(form)) {
            return meldungUmgerechnet;
        }
        return std::nullopt;
    }
    if (umrechnung.istNull() || istGueltigerUmrechnungskurs(umrechnung)) {
        return std::nullopt;
    }
    return meldungUmrechnung;
}

void Kurseingabe::uebernehmen(const Kursnotierung& notierung, Assetklasse klasse) {
    if (const auto& u = notierung.umrechnung) {
        if (klasse == Assetklasse::waehrung) {
            umrechnung = u->kurs;
            unlesbar.erase(Feld::umrechnung);
        } else {
            handelswaehrung = u->waehrung;
            kurs = u->original;
            umrechnung = u->kurs;
            unlesbar.erase(Feld::kurs);
            unlesbar.erase(Feld::umrechnung);
        }
        return;
    }
    if (klasse != Assetklasse::waehrung) {
        handelswaehrung = Waehrungscode::euro().wert();
    }
    kurs = notierung.kurs;
    unlesbar.erase(Feld::kurs);
}

void Kurseingabe::bereinigeUmrechnung(std::string_view neueWaehrung) {
    if (neueWaehrung == handelswaehrung) {
        return;
    }
    handelswaehrung = std::string(neueWaehrung);
    ezbVorbelegung.reset();
    if (!umrechnung.istNull()) {
        umrechnung = Dezimal(0);
        mitText.erase(Feld::umrechnung);
    }
    auto code = Waehrungscode::aus(neueWaehrung);
    if (!code || *code == Waehrungscode::euro()) {
        unlesbar.erase(Feld::umrechnung);
        mitText.erase(Feld::umrechnung);
    }
}

} // namespace qb
