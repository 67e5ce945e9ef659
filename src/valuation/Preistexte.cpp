#include "valuation/Preistexte.h"

#include "model/Position.h"
#include "valuation/Unicode.h"

namespace qb {

namespace {

constexpr const char* festesLeerzeichen = "\u00A0";

std::string_view einheitswort(Assetklasse klasse) {
    switch (klasse) {
    case Assetklasse::aktie:
        return "Aktie";
    case Assetklasse::anleihe:
        return "Stück";
    case Assetklasse::rohstoff:
        return "Einheit";
    case Assetklasse::co2Zertifikat:
        return "Anteil";
    case Assetklasse::waehrung:
        break;
    }
    return "Einheit";
}

} // namespace

std::string Preistexte::kurzText(const Dezimal& anteil) const {
    return format_.prozent(anteil * Dezimal(100), 0, 1);
}

std::string Preistexte::umrechnungText(const Dezimal& wert) const {
    return format_.zahl(wert, 2, wert < Dezimal(1) ? 6 : 4);
}

std::string Preistexte::formelText(const Umrechnung& umrechnung) const {
    return "1\u00A0€\u00A0=\u00A0" + format_.zahl(umrechnung.kurs, 0, 6) + festesLeerzeichen +
           umrechnung.waehrung;
}

std::string Preistexte::prozentText(const Preisangabe& preis, Assetklasse klasse, bool inProzent) const {
    if (const Dezimal* x = preis.euroPreis()) {
        return prozentPreis(*x) + (inProzent ? " %" : " €");
    }
    const Umrechnung& u = *preis.umrechnung();
    if (klasse == Assetklasse::waehrung) {
        return formelText(u);
    }
    if (inProzent) {
        return prozentPreis(u.original) + " % in " + u.waehrung;
    }
    return prozentPreis(u.original) + " " + u.waehrung;
}

std::optional<std::string> Preistexte::umrechnungsZeile(const Preisangabe& preis, Assetklasse klasse,
                                                        bool inProzent) const {
    const Umrechnung* u = preis.umrechnung();
    if (u == nullptr) {
        return std::nullopt;
    }
    if (klasse == Assetklasse::waehrung) {
        return formelText(*u);
    }
    return "umgerechnet aus " + prozentText(preis, klasse, inProzent) + " zu " + formelText(*u);
}

std::string Preistexte::betragText(const Position& position) const {
    return format_.ganzzahl(position.stueckzahl()) + festesLeerzeichen + position.einheitText();
}

std::string Preistexte::fremdbetragText(const Dezimal& betrag, const std::string& waehrung) const {
    return format_.zahl(betrag, 2, 2) + festesLeerzeichen + waehrung;
}

std::string Preistexte::kaufZusammenfassung(const Position& position,
                                            const std::optional<Dezimal>& betrag) const {
    const std::string menge = betragText(position);
    const Preisangabe kauf = position.kaufPreisangabe();
    const Dezimal wert = position.wert(kauf);
    const std::string wertText = euro(wert);
    const bool inProzent = position.notierung() == Notierungsart::prozentVomNennwert;

    std::string satz = "Gekauft: " + menge;
    if (const Dezimal* x = kauf.euroPreis()) {
        if (inProzent) {
            satz +=
                " zu " + prozentPreis(*x) + " % von " + euro(position.nennwert()) + " Nennwert = " + wertText;
        } else {
            satz += " zu je " + umrechnungText(*x) + " € = " + wertText;
        }
    } else {
        const Umrechnung& u = *kauf.umrechnung();
        const std::string formel = " (" + formelText(u) + ")";
        if (position.assetklasse() == Assetklasse::waehrung) {
            satz += " für " + wertText + formel;
        } else {
            const std::string fremd =
                fremdbetragText(position.betrag(u.original).gerundet(2, Rundung::normal), u.waehrung);
            if (inProzent) {
                satz += " zu " + prozentPreis(u.original) + " % von " +
                        fremdbetragText(position.nennwert(), u.waehrung) + " Nennwert = " + fremd +
                        ", das sind " + wertText + formel;
            } else {
                satz += " zu je " + fremdbetragText(u.original, u.waehrung) + " = " + fremd + ", das sind " +
                        wertText + formel;
            }
        }
    }

    if (betrag) {
        Dezimal rest = (*betrag - wert).gerundet(2, Rundung::normal);
        if (rest > Dezimal(0)) {
            satz += ". Die restlichen " + euro(rest) + " bleiben in der Kasse.";
        }
    }
    return satz;
}

std::string Preistexte::umrechnungsVorschau(const Umrechnung& umrechnung, Assetklasse klasse, bool inProzent,
                                            const std::optional<std::string>& einheit) const {
    const std::string jeEinheit = "Umgerechnet: " + umrechnungText(umrechnung.inEuro()) + " € je ";
    if (klasse == Assetklasse::waehrung) {
        return jeEinheit + umrechnung.waehrung;
    }
    if (inProzent) {
        return jeEinheit + "100 " + umrechnung.waehrung + " Nennwert";
    }
    std::string_view wort = einheit ? Unicode::ohneLeerzeichen(*einheit) : std::string_view();
    if (wort.empty()) {
        wort = einheitswort(klasse);
    }
    return jeEinheit + std::string(wort);
}

std::string Preistexte::prozentPreis(const Dezimal& wert) const {
    return format_.zahl(wert, 2, 6);
}

std::string Preistexte::euro(const Dezimal& betrag) const {
    return format_.waehrung(betrag, "EUR");
}

} // namespace qb
