#include "reference-dates/Stichtagdetailzeile.h"

#include <vector>

#include "foundation/Formatierer.h"
#include "model/Assetklasse.h"
#include "model/Handelsumfang.h"
#include "model/Kursart.h"
#include "model/Preisherkunft.h"
#include "model/Preisnotiz.h"
#include "valuation/Kurseingabe.h"

namespace qb {

std::optional<std::string> Stichtagdetailzeile::kennungshinweis(const Preisnotiz& notiz, const std::string& kennung) {
    if (notiz.kennung() == kennung) {
        return std::nullopt;
    }
    if (!notiz.kennung().empty()) {
        return "Erfasst unter der Kennung " + notiz.kennung();
    }
    return std::string("Erfasst ohne Kennung");
}

bool Stichtagdetailzeile::wenigHandel(const Preisnotiz& notiz) {
    const auto& umfang = notiz.handelsumfang();
    if (!umfang) {
        return false;
    }
    if (umfang->preisfeststellungen && *umfang->preisfeststellungen >= 1 && *umfang->preisfeststellungen <= 4) {
        return true;
    }
    return umfang->umsatzEuro && *umfang->umsatzEuro > Dezimal(0) && *umfang->umsatzEuro < Dezimal(1000);
}

bool Stichtagdetailzeile::keinBezahlterKurs(const Preisnotiz& notiz) {
    return notiz.art() == Kursart::schlusskursVortag || notiz.art() == Kursart::geldBriefMitte;
}

Stichtagdetailzeile::Stichtagdetailzeile(const Positionsbewertung& zeile, const Preisnotiz* notiz,
                                         Notierungsart notierung, std::optional<std::string> kennungshinweis,
                                         const Formatierer& format, const Zeitzone& zone)
    : klassenname_(bezeichnung(zeile.assetklasse)), name_(zeile.name), hatNotiz_(notiz != nullptr),
      hinweis_(notiz ? std::move(kennungshinweis) : std::nullopt) {
    if (zeile.marktwert) {
        wertText_ = format.waehrung(*zeile.marktwert, "EUR");
    }
    if (zeile.gewinn && zeile.renditeProzent) {
        gewinnText_ = format.waehrung(*zeile.gewinn, "EUR");
        renditeText_ = format.prozent(*zeile.renditeProzent, 2, 2);
        const int vorzeichen = zeile.gewinn->vorzeichen();
        richtung_ = vorzeichen > 0 ? Richtung::gewinn : vorzeichen < 0 ? Richtung::verlust : Richtung::neutral;
    }
    if (!notiz) {
        bedienhilfeText_ = klassenname_ + ", Kurs fehlt";
        return;
    }
    preisText_ = Kurseingabe::umrechnungText(notiz->preis(), format);
    vonHand_ = notiz->herkunft() == Preisherkunft::manuell;
    ohneBezahltenKurs_ = keinBezahlterKurs(*notiz);
    duennerHandel_ = wenigHandel(*notiz);

    std::vector<std::string> teile;
    if (!notiz->quelle().empty() && notiz->quelle() != "von Hand") {
        teile.push_back(notiz->quelle());
    }
    teile.emplace_back(beschreibung(notiz->art()));
    teile.push_back(format.datumMitMonat(notiz->abgerufenAm(), zone));
    quellenzeile_ = Formatierer::verbunden(teile, ", ");
    const bool inProzent = notierung == Notierungsart::prozentVomNennwert;
    if (auto umrechnung = Kurseingabe::umrechnungsZeile(notiz->preisangabe(), zeile.assetklasse, inProzent, format)) {
        quellenzeile_ += " · " + *umrechnung;
    }
    if (notiz->handelsumfang()) {
        if (auto umfang = notiz->handelsumfang()->text()) {
            quellenzeile_ += " · " + *umfang;
        }
    }

    std::vector<std::string> hilfe{klassenname_ + ", Kurs " + preisText_, quellenzeile_};
    if (hinweis_) {
        hilfe.push_back(*hinweis_);
    }
    if (ohneBezahltenKurs_) {
        hilfe.emplace_back("Kein bezahlter Kurs");
    }
    if (duennerHandel_) {
        hilfe.emplace_back("Sehr wenig Handel an diesem Tag");
    }
    if (wertText_) {
        hilfe.push_back("Wert " + *wertText_);
    }
    if (zeile.gewinn && zeile.renditeProzent) {
        hilfe.push_back(std::string(richtung_ == Richtung::verlust ? "Verlust " : "Gewinn ") +
                        format.waehrung(zeile.gewinn->betrag(), "EUR") + ", Rendite " +
                        format.prozentMitVorzeichen(*zeile.renditeProzent, 2, 2));
    }
    bedienhilfeText_ = Formatierer::verbunden(hilfe, ", ");
}

} // namespace qb
