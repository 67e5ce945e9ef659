#include "positions/PositionBearbeiten.h"

#include <exception>

#include <QCoreApplication>
#include <QStringList>

#include "ui/Textbruecke.h"
#include "foundation/Formatierer.h"
#include "foundation/Unicode.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Speichern.h"
#include "valuation/Portfoliostand.h"

namespace qb {

namespace {

using Entwurf = PositionBearbeiten::Entwurf;

QString text(const char* quelle) {
    return QCoreApplication::translate("PositionBearbeiten", quelle);
}

// The label of a price typed by hand, whatever the paper.
const std::string handeingabe = "Bloomberg";

const Dezimal& hoechstmenge() {
    static const Dezimal wert(1000000000);
    return wert;
}

// An identifier as it is stored: without surrounding blanks, upper-cased.
std::string gespeicherteForm(std::string_view kennung) {
    return Unicode::grossbuchstaben(Unicode::ohneLeerzeichen(kennung));
}

// The whole units of a quantity within 0 < m ≤ 1 000 000 000, else 0. A typed quantity is whole
// already; a fraction is cut, so that 0.5 counts as no unit at all.
std::int64_t ganzeStueckzahl(const Dezimal& menge) {
    if (menge <= Dezimal(0) || menge > hoechstmenge()) {
        return 0;
    }
    return menge.gerundet(0, Rundung::abwaerts).alsGanzzahl().value_or(0);
}

bool istWaehrungskauf(const Eingabeform& form) {
    return form.waehrungskursCode() != nullptr;
}

std::optional<Waehrungscode> codeVon(const Eingabeform& form) {
    if (const auto* code = form.waehrungskursCode()) {
        return *code;
    }
    if (const auto* code = form.fremdwaehrungCode()) {
        return *code;
    }
    return std::nullopt;
}

} // namespace

// ---- The draft ----------------------------------------------------------------------------

namespace {

Entwurf::Anfang anfangFuer(const Position* position, Assetklasse klasse) {
    if (position == nullptr) {
        Eingabeform form = Eingabeform::fuer(klasse, "", Waehrungscode::euro().wert());
        return {Kurseingabe::ausPreis(std::nullopt, Waehrungscode::euro().wert(), form), form};
    }
    // A stored currency that is no code at all is read as EUR.
    const Waehrungscode waehrung = Waehrungscode::aus(position->waehrung()).value_or(Waehrungscode::euro());
    Eingabeform form = Eingabeform::fuer(klasse, position->kennung(), waehrung.wert());
    return {Kurseingabe::ausPreis(position->kaufPreisangabe(), waehrung.wert(), form), form};
}

} // namespace

Entwurf::Entwurf(const Position* position, Assetklasse klasse)
    : klasse_(klasse), anfang_(anfangFuer(position, klasse)) {
    eingabe = anfang_.eingabe;
    if (position == nullptr) {
        notierung = klasse == Assetklasse::anleihe ? Notierungsart::prozentVomNennwert : Notierungsart::stueckpreis;
    } else {
        name = position->name();
        kennung = position->kennung();
        eingetrageneMenge = Dezimal(static_cast<long long>(position->stueckzahl()));
        notierung = position->notierung();
        nennwert = position->nennwert();
        einheit = position->einheit().value_or("");
    }
    if (klasse == Assetklasse::waehrung) {
        kursWaehrung = codeVon(anfang_.form);
    }
}

Eingabeform Entwurf::form() const {
    return Eingabeform::fuer(klasse_, kennung, eingabe.handelswaehrung);
}

std::optional<Preisangabe> Entwurf::preis() const {
    return eingabe.preisangabe(form());
}

Dezimal Entwurf::menge() const {
    if (mengenquelle == Mengenquelle::betrag && istWaehrungskauf(form())) {
        const auto kauf = preis();
        const Umrechnung* umrechnung = kauf ? kauf->umrechnung() : nullptr;
        return umrechnung != nullptr ? ganzeEinheiten(eingetragenerBetrag, umrechnung->kurs) : Dezimal(0);
    }
    return eingetrageneMenge;
}

void Entwurf::setzeMenge(const Dezimal& wert) {
    if (wert != menge()) {
        eingetrageneMenge = wert;
        mengenquelle = Mengenquelle::menge;
    }
}

Dezimal Entwurf::einsatz() const {
    if (mengenquelle == Mengenquelle::betrag && istWaehrungskauf(form())) {
        return eingetragenerBetrag;
    }
    const auto probe = probeposition();
    return probe->wert(probe->kaufPreisangabe()).gerundet(2, Rundung::normal);
}

void Entwurf::setzeEinsatz(const Dezimal& wert) {
    if (wert != einsatz()) {
        eingetragenerBetrag = wert;
        mengenquelle = Mengenquelle::betrag;
    }
}

std::shared_ptr<Position> Entwurf::probeposition() const {
    Position::Felder felder;
    felder.assetklasse = klasse_;
    felder.kennung = gespeicherteForm(kennung);
    felder.waehrung = Waehrungscode::euro().wert();
    felder.stueckzahl = ganzeStueckzahl(menge());
    felder.notierung = notierung;
    felder.nennwert = nennwert;
    felder.einheit = einheitZumSpeichern();
    auto probe = std::make_shared<Position>(std::move(felder));
    if (const auto kauf = preis()) {
        probe->setzeKaufkurs(*kauf);
    }
    return probe;
}

bool Entwurf::istSpeicherbar() const {
    if (Unicode::ohneLeerzeichen(name).empty()) {
        return false;
    }
    const Dezimal m = menge();
    if (m <= Dezimal(0) || m > hoechstmenge() || ganzeStueckzahl(m) < 1) {
        return false;
    }
    if (!preis()) {
        return false;
    }
    return notierung != Notierungsart::prozentVomNennwert || (nennwert > Dezimal(0) && nennwert <= hoechstmenge());
}

bool Entwurf::kaufkursGeaendert() const {
    return !(eingabe == anfang_.eingabe && form() == anfang_.form);
}

std::string Entwurf::quelleZumSpeichern(const Position& gespeichert, const Kursdienst& dienst) const {
    if (!kaufkursGeaendert()) {
        const std::string& bisher = gespeichert.quelle();
        if (gespeicherteForm(kennung) == gespeicherteForm(gespeichert.kennung())) {
            return bisher;
        }
        // Only the identifier changed. A fetched label stays while the new identifier is one the
        // same source serves; it must not claim a source that cannot even be asked for the new
        // one. A hand-typed label stays: the price is as typed as before.
        // A fetched label names its source and may add the market: "Börse Frankfurt (XETR)".
        const auto vonDer = [&bisher](const std::string& quelle) {
            return bisher == quelle || bisher.starts_with(quelle + " (");
        };
        const Kursquelle& quelle = dienst.quelle(klasse_);
        const bool vonQuelle = vonDer(dienst.wertpapiere().bezeichnung()) || vonDer(dienst.waehrungen().bezeichnung()) ||
                               vonDer(PositionBearbeiten::ezbQuelle());
        if (!vonQuelle) {
            return bisher;
        }
        if (dienst.pruefe(kennung, klasse_) != Kennungsurteil::verwendbar) {
            return handeingabe;
        }
        return vonDer(quelle.bezeichnung()) ? bisher : quelle.bezeichnung();
    }
    const Eingabeform jetzt = form();
    if (abgerufen && abgerufen->eingabe == eingabe && abgerufen->form == jetzt) {
        return abgerufen->quelle;
    }
    if (istWaehrungskauf(jetzt) && eingabe.ezbVorbelegung && eingabe.umrechnung == *eingabe.ezbVorbelegung) {
        return PositionBearbeiten::ezbQuelle();
    }
    return handeingabe;
}

std::optional<std::string> Entwurf::einheitZumSpeichern() const {
    if (klasse_ != Assetklasse::rohstoff && klasse_ != Assetklasse::co2Zertifikat) {
        return std::nullopt;
    }
    const std::string_view getrimmt = Unicode::ohneLeerzeichen(einheit);
    return getrimmt.empty() ? std::nullopt : std::optional<std::string>(getrimmt);
}

void Entwurf::schreibe(Position& position, const Kursdienst& dienst) const {
    // The label is judged against the identifier still stored, so it comes before the writes.
    std::string quelle = quelleZumSpeichern(position, dienst);
    position.setzeName(std::string(Unicode::ohneLeerzeichen(name)));
    position.setzeKennung(gespeicherteForm(kennung));
    position.setzeStueckzahl(ganzeStueckzahl(menge()));
    // An unchanged buy price keeps its stored EUR value exactly instead of one recomputed from
    // what the fields show.
    if (const auto kauf = preis(); kauf && kaufkursGeaendert()) {
        position.setzeKaufkurs(*kauf);
    }
    position.setzeNotierung(notierung);
    position.setzeNennwert(nennwert);
    position.setzeQuelle(std::move(quelle));
    position.setzeEinheit(einheitZumSpeichern());
}

void Entwurf::kursWaehrungAbgleichen(std::string_view alteKennung) {
    if (klasse_ != Assetklasse::waehrung) {
        return;
    }
    std::optional<Waehrungscode> vorher = kursWaehrung;
    if (!vorher) {
        vorher = codeVon(Eingabeform::fuer(klasse_, alteKennung, eingabe.handelswaehrung));
    }
    const auto code = codeVon(form());
    if (!code) {
        // No currency named for now: the rate waits for the identifier to come back.
        kursWaehrung = vorher;
        eingabe.unlesbar.erase(Kurseingabe::Feld::umrechnung);
        eingabe.mitText.erase(Kurseingabe::Feld::umrechnung);
        return;
    }
    if (!vorher || *vorher != *code) {
        eingabe.ezbVorbelegung.reset();
        if (!eingabe.umrechnung.istNull()) {
            eingabe.umrechnung = Dezimal(0);
            eingabe.mitText.erase(Kurseingabe::Feld::umrechnung);
        }
    }
    kursWaehrung = code;
}

void Entwurf::uebernimmKurs(const Kursnotierung& notierung) {
    eingabe.uebernehmen(notierung, klasse_);
    if (notierung.notierungsart) {
        this->notierung = *notierung.notierungsart;
    }
    abgerufen = Abruf{eingabe, form(), notierung.quelle};
}

std::optional<QString> Entwurf::mengenhinweis() const {
    const Dezimal m = menge();
    if (m.istNull() || ganzeStueckzahl(m) >= 1) {
        return std::nullopt;
    }
    return text("Die Menge muss über 0 und höchstens 1.000.000.000 sein.");
}

std::optional<QString> Entwurf::betragshinweis() const {
    if (!istWaehrungskauf(form()) || mengenquelle != Mengenquelle::betrag || eingetragenerBetrag <= Dezimal(0)) {
        return std::nullopt;
    }
    const auto kauf = preis();
    if (!kauf) {
        return text("Sobald der Kaufkurs steht, rechnet die App die Menge aus.");
    }
    const Umrechnung* umrechnung = kauf->umrechnung();
    if (umrechnung != nullptr && ganzeEinheiten(eingetragenerBetrag, umrechnung->kurs) > Dezimal(0)) {
        return std::nullopt;
    }
    return text("Für diesen Betrag gibt es keine ganze Einheit.");
}

std::optional<QString> Entwurf::kaufzusammenfassung() const {
    if (ganzeStueckzahl(menge()) < 1 || !preis()) {
        return std::nullopt;
    }
    std::optional<Dezimal> betrag;
    if (mengenquelle == Mengenquelle::betrag && istWaehrungskauf(form())) {
        betrag = eingetragenerBetrag;
    }
    return qtText(Kurseingabe::kaufZusammenfassung(*probeposition(), betrag));
}

// ---- The editor ---------------------------------------------------------------------------

PositionBearbeiten::PositionBearbeiten(Assetklasse klasse, std::shared_ptr<Portfolio> portfolio,
                                       Modellkontext& kontext, Kursdienst dienst)
    : klasse_(klasse), portfolio_(std::move(portfolio)), kontext_(kontext), dienst_(std::move(dienst)),
      entwurf_(portfolio_->position(klasse).get(), klasse) {}

const std::string& PositionBearbeiten::ezbQuelle() {
    static const std::string bezeichnung = Kursdienst::standard(Kursdienst::Adressen{}).waehrungen().bezeichnung();
    return bezeichnung;
}

std::shared_ptr<Position> PositionBearbeiten::gespeichertePosition() const {
    return portfolio_->position(klasse_);
}

bool PositionBearbeiten::kennungNochAktuell(std::string_view kennung) const {
    return entwurf_.kennung == kennung;
}

std::optional<Zeitpunkt> PositionBearbeiten::abruftag(Zeitpunkt heute) const {
    const Kalender kalender = Kalender::aktuell();
    const Zeitpunkt kaufdatum = portfolio_->kaufdatum();
    if (kalender.tagesbeginn(kaufdatum) < kalender.tagesbeginn(heute)) {
        return kaufdatum;
    }
    return std::nullopt;
}

Dezimal PositionBearbeiten::nochFrei() const {
    return portfolio_->startkapital() - Portfoliostand::investiert(*portfolio_, klasse_) - entwurf_.einsatz();
}

bool PositionBearbeiten::imBudget() const {
    if (nochFrei().gerundet(2, Rundung::normal) >= Dezimal(0)) {
        return true;
    }
    // Already over the capital: a change that does not raise this position's stake may be saved.
    const auto gespeichert = gespeichertePosition();
    return gespeichert && entwurf_.einsatz() <= gespeichert->wert(gespeichert->kaufPreisangabe());
}

std::optional<QString> PositionBearbeiten::budgetwarnung() const {
    const Dezimal frei = nochFrei();
    if (frei.gerundet(2, Rundung::normal) >= Dezimal(0)) {
        return std::nullopt;
    }
    const QString betrag = qtText(Formatierer().waehrung(-frei, "EUR"));
    if (imBudget()) {
        return text("Das Portfolio liegt ") + betrag +
               text(" über dem Startkapital. Diese Änderung erhöht den Einsatz nicht und lässt sich speichern.");
    }
    return text("Das sind ") + betrag + text(" mehr als das Startkapital. Verringere die Menge, dann lässt sich speichern.");
}

bool PositionBearbeiten::kannSpeichern() const {
    return entwurf_.istSpeicherbar() &&
           dienst_.pruefe(entwurf_.kennung, klasse_) != Kennungsurteil::pruefzifferFalsch && imBudget();
}

std::optional<int> PositionBearbeiten::kennungsaenderungen() const {
    const auto gespeichert = gespeichertePosition();
    if (!gespeichert || gespeicherteForm(entwurf_.kennung) == gespeichert->kennung() ||
        gespeichert->notizen().empty()) {
        return std::nullopt;
    }
    return static_cast<int>(gespeichert->notizen().size());
}

std::optional<int> PositionBearbeiten::speichernGedrueckt() {
    speicherfehler_.reset();
    return kennungsaenderungen();
}

std::shared_ptr<Position> PositionBearbeiten::neuePosition() {
    auto position = std::make_shared<Position>(klasse_);
    // Linking it to the stored portfolio brings it into the portfolio's context.
    portfolio_->fuegeHinzu(position);
    return position;
}

bool PositionBearbeiten::speichere() {
    speicherfehler_.reset();
    auto position = gespeichertePosition();
    if (!position) {
        // A store whose ids are used up refuses the new record before anything has changed.
        try {
            position = neuePosition();
        } catch (const std::exception& fehler) {
            speicherfehler_ = text("Die Änderung konnte nicht gespeichert werden: ") + QString::fromUtf8(fehler.what());
            return false;
        }
    }
    entwurf_.schreibe(*position, dienst_);
    // A failed save rolls the context back, which also takes a position made just now away again.
    if (auto fehler = qb::speichere(kontext_)) {
        speicherfehler_ = qtText(*fehler);
        return false;
    }
    return true;
}

bool PositionBearbeiten::entfernen() {
    speicherfehler_.reset();
    const auto position = gespeichertePosition();
    if (!position) {
        return false;
    }
    // Deleting takes the position out of the portfolio's list and its price notes with it; the
    // reference dates stay.
    kontext_.loesche(position);
    if (auto fehler = qb::speichere(kontext_)) {
        speicherfehler_ = qtText(*fehler);
        return false;
    }
    return true;
}

QString PositionBearbeiten::kennungsfrage(int stichtage) {
    if (stichtage == 1) {
        return text("Für einen Stichtag ist schon ein Kurs eingetragen. Er bleibt stehen und wird mit den neuen "
                    "Angaben weitergerechnet. Ist es ein anderes Papier, trag den Kurs dieses Stichtags neu ein.");
    }
    return text("Für ") + QString::number(stichtage) +
           text(" Stichtage sind schon Kurse eingetragen. Sie bleiben stehen und werden mit den neuen Angaben "
                "weitergerechnet. Ist es ein anderes Papier, trag die Kurse dieser Stichtage neu ein.");
}

QString PositionBearbeiten::abweichungsmeldung(const std::vector<Kurspruefung::Abweichung>& abweichungen,
                                               Zeitpunkt heute) const {
    const auto tag = abruftag(heute);
    QStringList absaetze;
    for (const auto& abweichung : abweichungen) {
        absaetze.append(qtText(abweichung.meldung(klasse_, entwurf_.notierung, tag)));
    }
    absaetze.append(text("Prüfe Richtung, Währung und Kommastelle. Meinst du den Wert so, speichere trotzdem."));
    return absaetze.join(QStringLiteral("\n\n"));
}

QString PositionBearbeiten::ungeprueftMeldung(const std::optional<std::string>& grund) {
    return text("Die App konnte den Kaufkurs nicht mit der Quelle vergleichen: ") + qtText(grund.value_or(""));
}

} // namespace qb
