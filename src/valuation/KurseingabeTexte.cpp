#include "valuation/Kurseingabe.h"

#include "model/Position.h"
#include "foundation/Unicode.h"

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

std::string prozentPreis(const Dezimal& wert, const Formatierer& format) {
    return format.zahl(wert, 2, 6);
}

std::string euro(const Dezimal& betrag, const Formatierer& format) {
    return format.waehrung(betrag, "EUR");
}

} // namespace

std::string Kurseingabe::kurzText(const Dezimal& anteil, const Formatierer& format) {
    return format.prozent(anteil * Dezimal(100), 0, 1);
}

std::string Kurseingabe::umrechnungText(const Dezimal& wert, const Formatierer& format) {
    return format.zahl(wert, 2, wert < Dezimal(1) ? 6 : 4);
}

std::string Kurseingabe::formelText(const Umrechnung& umrechnung, const Formatierer& format) {
    return "1\u00A0€\u00A0=\u00A0" + format.zahl(umrechnung.kurs, 0, 6) + festesLeerzeichen +
           umrechnung.waehrung;
}

std::string Kurseingabe::prozentText(const Preisangabe& preis, Assetklasse klasse, bool inProzent,
                                     const Formatierer& format) {
    if (const Dezimal* x = preis.euroPreis()) {
        return prozentPreis(*x, format) + (inProzent ? " %" : " €");
    }
    const Umrechnung& u = *preis.umrechnung();
    if (klasse == Assetklasse::waehrung) {
        return formelText(u, format);
    }
    if (inProzent) {
        return prozentPreis(u.original, format) + " % in " + u.waehrung;
    }
    return prozentPreis(u.original, format) + " " + u.waehrung;
}

std::optional<std::string> Kurseingabe::umrechnungsZeile(const Preisangabe& preis, Assetklasse klasse,
                                                         bool inProzent, const Formatierer& format) {
    const Umrechnung* u = preis.umrechnung();
    if (u == nullptr) {
        return std::nullopt;
    }
    if (klasse == Assetklasse::waehrung) {
        return formelText(*u, format);
    }
    return "umgerechnet aus " + prozentText(preis, klasse, inProzent, format) + " zu " +
           formelText(*u, format);
}

std::string Kurseingabe::betragText(const Position& position, const Formatierer& format) {
    return format.ganzzahl(position.stueckzahl()) + festesLeerzeichen + position.einheitText();
}

std::string Kurseingabe::fremdbetragText(const Dezimal& betrag, const std::string& waehrung,
                                         const Formatierer& format) {
    return format.zahl(betrag, 2, 2) + festesLeerzeichen + waehrung;
}

std::string Kurseingabe::kaufZusammenfassung(const Position& position, const std::optional<Dezimal>& betrag,
                                             const Formatierer& format) {
    const std::string menge = betragText(position, format);
    const Preisangabe kauf = position.kaufPreisangabe();
    const Dezimal wert = position.wert(kauf);
    const std::string wertText = euro(wert, format);
    const bool inProzent = position.notierung() == Notierungsart::prozentVomNennwert;

    std::string satz = "Gekauft: " + menge;
    if (const Dezimal* x = kauf.euroPreis()) {
        if (inProzent) {
            satz += " zu " + prozentPreis(*x, format) + " % von " + euro(position.nennwert(), format) +
                    " Nennwert = " + wertText;
        } else {
            satz += " zu je " + umrechnungText(*x, format) + " € = " + wertText;
        }
    } else {
        const Umrechnung& u = *kauf.umrechnung();
        const std::string formel = " (" + formelText(u, format) + ")";
        if (position.assetklasse() == Assetklasse::waehrung) {
            satz += " für " + wertText + formel;
        } else {
            const std::string fremd =
                fremdbetragText(position.betrag(u.original).gerundet(2, Rundung::normal), u.waehrung, format);
            if (inProzent) {
                satz += " zu " + prozentPreis(u.original, format) + " % von " +
                        fremdbetragText(position.nennwert(), u.waehrung, format) + " Nennwert = " + fremd +
                        ", das sind " + wertText + formel;
            } else {
                satz += " zu je " + fremdbetragText(u.original, u.waehrung, format) + " = " + fremd +
                        ", das sind " + wertText + formel;
            }
        }
    }

    if (betrag) {
        Dezimal rest = (*betrag - wert).gerundet(2, Rundung::normal);
        if (rest > Dezimal(0)) {
            satz += ". Die restlichen " + euro(rest, format) + " bleiben in der Kasse.";
        }
    }
    return satz;
}

std::string Kurseingabe::umrechnungsVorschau(const Umrechnung& umrechnung, Assetklasse klasse, bool inProzent,
                                             const std::optional<std::string>& einheit,
                                             const Formatierer& format) {
    const std::string jeEinheit = "Umgerechnet: " + umrechnungText(umrechnung.inEuro(), format) + " € je ";
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

} // namespace qb
