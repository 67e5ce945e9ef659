#include "ui/Kennzahlentexte.h"

#include <string>

#include <QCoreApplication>

#include "ui/Textbruecke.h"
#include "valuation/Portfoliostand.h"

namespace qb {

namespace {

QString text(const char* quelle) {
    return QCoreApplication::translate("qb::Kennzahlenzeile", quelle);
}

// Gains in the gain colour, losses in the loss colour, nothing in between in grey.
Vordergrund stilNachVorzeichen(const Dezimal& wert) {
    if (wert > Dezimal(0)) {
        return Signalfarbe::gewinn;
    }
    if (wert < Dezimal(0)) {
        return Signalfarbe::verlust;
    }
    return Vordergrund::sekundaer();
}

} // namespace

Kennzahlentexte::Werte Kennzahlentexte::Werte::aus(const Portfoliostand& stand) {
    return Werte{stand.investiert(),     stand.barbestand(),     stand.gesamtwert(),
                 stand.gewinn(),         stand.renditeProzent(), stand.offeneAssetklassen(),
                 stand.fehlendePreise(), stand.istUeberzogen()};
}

Kennzahlentexte::Anzeige Kennzahlentexte::anzeige(const Werte& werte, const std::optional<Bezug>& bezug,
                                                  const std::optional<Wertveraenderung>& veraenderung,
                                                  const std::optional<Zeitpunkt>& offenerStichtag) const {
    const bool mitUhrzeit = kopfMitUhrzeit(bezug, offenerStichtag);
    Anzeige anzeige;
    if (bezug) {
        anzeige.ueberschrift = ueberschrift(*bezug, mitUhrzeit);
    }
    anzeige.kacheln = kacheln(werte);
    if (veraenderung) {
        anzeige.veraenderung = veraenderungszeile(*veraenderung);
    }
    anzeige.hinweise = hinweise(werte, offenerStichtag, mitUhrzeit);
    return anzeige;
}

QString Kennzahlentexte::ueberschrift(const Bezug& bezug, bool mitUhrzeit) const {
    if (!bezug.datum()) {
        return text("Stand beim Kauf");
    }
    return text("Kennzahlen zum Stichtag vom %1").arg(datumText(*bezug.datum(), mitUhrzeit));
}

QString Kennzahlentexte::datumText(Zeitpunkt t, bool mitUhrzeit) const {
    const Zeitzone& zone = kalender_.zeitzone();
    return qtText(mitUhrzeit ? format_.datumMitMonatUndUhrzeit(t, zone) : format_.datumMitMonat(t, zone));
}

QString Kennzahlentexte::klassenListe(const std::vector<Assetklasse>& klassen) {
    std::vector<std::string> namen;
    namen.reserve(klassen.size());
    for (Assetklasse klasse : klassen) {
        namen.emplace_back(bezeichnung(klasse));
    }
    return qtText(Formatierer::liste(namen));
}

QString Kennzahlentexte::stichtagsHinweis(Zeitpunkt datum, bool mitUhrzeit) const {
    return text("Der jüngste Stichtag vom %1 hat noch nicht alle Kurse. Fehlende Kurse trägst du im "
                "Bereich Stichtage nach.")
        .arg(datumText(datum, mitUhrzeit));
}

bool Kennzahlentexte::kopfMitUhrzeit(const std::optional<Bezug>& bezug,
                                     const std::optional<Zeitpunkt>& offenerStichtag) const {
    return bezug && bezug->datum() && offenerStichtag && amSelbenTag(*bezug->datum(), *offenerStichtag);
}

bool Kennzahlentexte::amSelbenTag(Zeitpunkt a, Zeitpunkt b) const {
    return kalender_.tagesbeginn(a) == kalender_.tagesbeginn(b);
}

std::vector<Kennzahlentexte::Kachel> Kennzahlentexte::kacheln(const Werte& werte) const {
    std::vector<Kachel> kacheln;
    kacheln.push_back(Kachel{text("Investiert"), betrag(werte.investiert), std::nullopt});
    kacheln.push_back(Kachel{text("Barbestand"), betrag(werte.barbestand), std::nullopt});
    if (werte.gesamtwert) {
        kacheln.push_back(Kachel{text("Gesamtwert"), betrag(*werte.gesamtwert), std::nullopt});
    } else {
        kacheln.push_back(Kachel{text("Gesamtwert"), text("noch unbekannt"), std::nullopt,
                                 Vordergrund::sekundaer(), false});
    }
    if (werte.gewinn) {
        const Dezimal& gewinn = *werte.gewinn;
        std::optional<QString> prozent;
        if (werte.renditeProzent) {
            prozent = qtText(format_.prozent(*werte.renditeProzent, 2, 2));
        }
        kacheln.push_back(Kachel{gewinn < Dezimal(0) ? text("Verlust") : text("Gewinn"), betrag(gewinn),
                                 prozent, stilNachVorzeichen(gewinn)});
    }
    return kacheln;
}

Kennzahlentexte::Veraenderungszeile
Kennzahlentexte::veraenderungszeile(const Wertveraenderung& veraenderung) const {
    Veraenderungszeile zeile;
    zeile.beschriftung =
        text("Seit dem Stichtag vom %1")
            .arg(datumText(veraenderung.seit, amSelbenTag(veraenderung.seit, veraenderung.am)));
    zeile.betrag = qtText(format_.waehrungMitVorzeichen(veraenderung.betrag, "EUR"));
    if (veraenderung.prozent) {
        zeile.prozent = qtText(format_.prozentMitVorzeichen(*veraenderung.prozent, 2, 2));
    }
    zeile.stil = stilNachVorzeichen(veraenderung.betrag);
    return zeile;
}

std::vector<Kennzahlentexte::Hinweis>
Kennzahlentexte::hinweise(const Werte& werte, const std::optional<Zeitpunkt>& offenerStichtag,
                          bool mitUhrzeit) const {
    std::vector<Hinweis> hinweise;
    if (werte.istUeberzogen) {
        // barbestand = startkapital − investiert, so its negation is the excess.
        hinweise.push_back(
            Hinweis{Hinweisart::ueberzogen,
                    text("Die Käufe kosten %1 mehr als das Startkapital von %2.")
                        .arg(betrag(-werte.barbestand), betrag(werte.investiert + werte.barbestand)),
                    QStringLiteral("exclamationmark.triangle"), Signalfarbe::verlust});
    }
    if (!werte.offeneAssetklassen.empty()) {
        hinweise.push_back(Hinweis{Hinweisart::offeneKlassen,
                                   text("Noch offen: %1").arg(klassenListe(werte.offeneAssetklassen)),
                                   QStringLiteral("circle.dashed"), Vordergrund::sekundaer()});
    }
    if (!werte.fehlendePreise.empty()) {
        hinweise.push_back(
            Hinweis{Hinweisart::fehlendePreise,
                    text("Ohne Kurs an diesem Stichtag: %1").arg(klassenListe(werte.fehlendePreise)),
                    QStringLiteral("questionmark.circle"), Signalfarbe::warnung});
    }
    if (offenerStichtag) {
        hinweise.push_back(Hinweis{Hinweisart::offenerStichtag,
                                   stichtagsHinweis(*offenerStichtag, mitUhrzeit),
                                   QStringLiteral("questionmark.circle"), Signalfarbe::warnung});
    }
    return hinweise;
}

QString Kennzahlentexte::betrag(const Dezimal& wert) const {
    return qtText(format_.waehrung(wert, "EUR"));
}

} // namespace qb
