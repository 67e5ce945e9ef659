#include "valuation/Kurspruefung.h"

#include <algorithm>

#include "model/Kursfehler.h"
#include "valuation/Kurseingabe.h"

namespace qb {

namespace {

using Abweichung = Kurspruefung::Abweichung;
using Gegenstand = Abweichung::Gegenstand;

// Larger ÷ smaller − 1, so that 100 against 110 and 110 against 100 both give 0.1.
Dezimal verhaeltnis(const Dezimal& a, const Dezimal& b) {
    return std::max(a, b) / std::min(a, b) - Dezimal(1);
}

bool gleicheWaehrung(const Preisangabe& a, const Preisangabe& b) {
    if (a.istEuro() || b.istEuro()) {
        return a.istEuro() && b.istEuro();
    }
    return a.umrechnung()->waehrung == b.umrechnung()->waehrung;
}

std::string tagText(const std::optional<Zeitpunkt>& stichtag, const Formatierer& format) {
    if (!stichtag) {
        return "aktuell";
    }
    return "am " + format.datum(*stichtag, Zeitzone::aktuell());
}

} // namespace

const Dezimal& Kurspruefung::schwelle() {
    static const Dezimal wert = Dezimal::lies("0.10").value_or(Dezimal(0));
    return wert;
}

std::optional<Dezimal> Kurspruefung::anteil(const Preisangabe& a, const Preisangabe& b, Assetklasse klasse) {
    const Umrechnung* ua = a.umrechnung();
    const Umrechnung* ub = b.umrechnung();
    // Two prices in the same foreign currency are compared as quoted, so that a rate typed
    // a little off does not show up as a price deviation as well.
    const bool imOriginal = klasse != Assetklasse::waehrung && ua && ub && ua->waehrung == ub->waehrung;
    const Dezimal x = imOriginal ? ua->original : a.inEuro();
    const Dezimal y = imOriginal ? ub->original : b.inEuro();
    if (x <= Dezimal(0) || y <= Dezimal(0)) {
        return std::nullopt;
    }
    return verhaeltnis(x, y);
}

std::vector<Abweichung> Kurspruefung::pruefe(const Preisangabe& eingetragen, const Referenz& referenz,
                                             Assetklasse klasse, Notierungsart notierung,
                                             const Dezimal& nennwert) {
    std::vector<Abweichung> gefunden;

    if (const Kursnotierung* quote = referenz.kurs.wert()) {
        Preisangabe vergleich =
            quote->umrechnung ? Preisangabe::umgerechnet(*quote->umrechnung) : Preisangabe::euro(quote->kurs);
        Notierungsart vergleichsNotierung = quote->notierungsart.value_or(notierung);
        // With a face value of 100 a percentage and a price per piece are the same number.
        if (vergleichsNotierung != notierung && nennwert != Dezimal(100)) {
            gefunden.push_back(Abweichung{Gegenstand::notierungsart, eingetragen, std::move(vergleich),
                                          vergleichsNotierung, std::nullopt, nennwert});
        } else if (auto wert = anteil(eingetragen, vergleich, klasse)) {
            gefunden.push_back(Abweichung{Gegenstand::kurs, eingetragen, std::move(vergleich),
                                          vergleichsNotierung, std::move(wert), nennwert});
        }
    }

    const Umrechnung* typed = eingetragen.umrechnung();
    const Umrechnung* ezb = referenz.wechselkurs.wert();
    if (klasse != Assetklasse::waehrung && typed && ezb && ezb->waehrung == typed->waehrung &&
        typed->kurs > Dezimal(0) && ezb->kurs > Dezimal(0)) {
        gefunden.push_back(
            Abweichung{Gegenstand::wechselkurs, eingetragen,
                       Preisangabe::umgerechnet(Umrechnung{typed->original, typed->waehrung, ezb->kurs}),
                       std::nullopt, verhaeltnis(typed->kurs, ezb->kurs), Dezimal(100)});
    }
    return gefunden;
}

Kurspruefung::Befund Kurspruefung::befund(const Preisangabe& eingetragen, const Referenz& referenz,
                                          Assetklasse klasse, Notierungsart notierung,
                                          const Dezimal& nennwert) {
    std::vector<Abweichung> starke = pruefe(eingetragen, referenz, klasse, notierung, nennwert);
    std::erase_if(starke, [](const Abweichung& a) { return !a.istStark(); });
    if (!starke.empty()) {
        return Befund::abweichend(std::move(starke));
    }
    if (const std::string* grund = referenz.kurs.grund()) {
        return Befund::ungeprueft(*grund);
    }
    if (const std::string* grund = referenz.wechselkurs.grund()) {
        if (const Umrechnung* u = eingetragen.umrechnung()) {
            return Befund::ungeprueft("Der Kurs ist in " + u->waehrung +
                                      " notiert, und der EZB-Kurs zum Umrechnen fehlt: " + *grund);
        }
        return Befund::ungeprueft(*grund);
    }
    if (referenz.kurs.wert() || referenz.wechselkurs.wert()) {
        return Befund::unauffaellig();
    }
    return Befund::ohneVergleich();
}

bool Kurspruefung::Abweichung::istStark() const {
    if (gegenstand == Gegenstand::notierungsart) {
        return true;
    }
    return anteil && *anteil > schwelle();
}

std::string Kurspruefung::Abweichung::meldung(Assetklasse klasse, Notierungsart notierung,
                                              const std::optional<Zeitpunkt>& stichtag,
                                              const Formatierer& format) const {
    const std::string prozent = format.prozent(anteil.value_or(Dezimal(0)) * Dezimal(100), 0, 0);
    const Notierungsart vergleichsNotierung = referenzNotierung.value_or(notierung);

    switch (gegenstand) {
    case Gegenstand::kurs: {
        std::string vergleich = Kurseingabe::prozentText(
            referenz, klasse, vergleichsNotierung == Notierungsart::prozentVomNennwert, format);
        std::string eingabe = Kurseingabe::prozentText(
            eingetragen, klasse, notierung == Notierungsart::prozentVomNennwert, format);
        // Prices in different currencies are only comparable through their EUR values.
        if (klasse != Assetklasse::waehrung && !gleicheWaehrung(referenz, eingetragen)) {
            auto inEuro = [&format](const Preisangabe& p) {
                return p.umrechnung() ? " (" + Kurseingabe::umrechnungText(p.inEuro(), format) + " €)"
                                      : std::string();
            };
            vergleich += inEuro(referenz);
            eingabe += inEuro(eingetragen);
        }
        return "Kurs " + tagText(stichtag, format) + " laut Quelle: " + vergleich +
               ". Eingetragen: " + eingabe + ". Abweichung " + prozent + ".";
    }
    case Gegenstand::wechselkurs: {
        const Umrechnung* ezb = referenz.umrechnung();
        const Umrechnung* typed = eingetragen.umrechnung();
        if (!ezb || !typed) {
            return "";
        }
        return "EZB-Kurs " + tagText(stichtag, format) + ": " + Kurseingabe::formelText(*ezb, format) +
               ". Eingetragen: " + Kurseingabe::formelText(*typed, format) + ". Abweichung " + prozent + ".";
    }
    case Gegenstand::notierungsart:
        return "Die Quelle notiert dieses Papier als " + std::string(beschreibung(vergleichsNotierung)) +
               ", eingetragen ist " + std::string(beschreibung(notierung)) + ". Bei einem Nennwert von " +
               format.zahl(nennwert, 0, 2) + " stimmen Einsatz und Stichtagswerte dann nicht.";
    }
    return "";
}

std::string Kurspruefung::meldung(std::exception_ptr fehler) {
    if (!fehler) {
        return "Der Vorgang konnte nicht abgeschlossen werden.";
    }
    try {
        std::rethrow_exception(fehler);
    } catch (const Abgebrochen&) {
        throw;
    } catch (const Kursfehler& f) {
        return f.meldung();
    } catch (...) {
        // Any other error's own text (what()) is the library's English, not a sentence for the
        // window; whoever caught it logs it.
        return "Der Vorgang konnte nicht abgeschlossen werden.";
    }
}

} // namespace qb
