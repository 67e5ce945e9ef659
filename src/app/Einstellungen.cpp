#include "app/Einstellungen.h"

#include <algorithm>
#include <vector>

#include <QCoreApplication>

#include "ui/Textbruecke.h"
#include "foundation/Formatierer.h"
#include "foundation/Unicode.h"
#include "model/Bewertung.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Speichern.h"
#include "valuation/Portfoliostand.h"

namespace qb {

namespace {

QString text(const char* quelle) {
    return QCoreApplication::translate("EinstellungenAnsicht", quelle);
}

QString ohneLeerzeichen(const QString& name) {
    return qtText(Unicode::ohneLeerzeichen(utf8(name)));
}

std::size_t vollstaendige(const Portfolio& portfolio) {
    return static_cast<std::size_t>(std::count_if(portfolio.positionen().begin(), portfolio.positionen().end(),
                                                   [](const auto& position) { return position->istVollstaendig(); }));
}

} // namespace

Einstellungen::Einstellungen(std::shared_ptr<Portfolio> portfolio, Modellkontext& kontext)
    : portfolio_(std::move(portfolio)), kontext_(kontext), einstieg_(jetzt()) {}

void Einstellungen::waehleTag(int jahr, int monat, int tag) {
    const Kalender kalender = Kalender::aktuell();
    Datumsteile teile = kalender.teile(einstieg_);
    const auto sekundenbruch = einstieg_ - std::chrono::floor<std::chrono::seconds>(einstieg_);
    teile.jahr = jahr;
    teile.monat = monat;
    teile.tag = tag;
    if (const std::optional<Zeitpunkt> neu = kalender.zeitpunkt(teile)) {
        einstieg_ = *neu + sekundenbruch;
        return;
    }
    // A time of day that the new day skips (a daylight saving change): its start instead.
    if (const std::optional<Zeitpunkt> mittag = kalender.zeitpunkt({jahr, monat, tag, 12, 0, 0})) {
        einstieg_ = kalender.tagesbeginn(*mittag);
    }
}

void Einstellungen::werteLaden() {
    if (geladen_) {
        return;
    }
    geladen_ = true;
    gruppenname_ = qtText(portfolio_->gruppenname());
    startkapital_ = portfolio_->startkapital();
    einstieg_ = portfolio_->kaufdatum();
}

bool Einstellungen::schonErfasst() const {
    return vollstaendige(*portfolio_) > 0 || !portfolio_->bewertungen().empty();
}

bool Einstellungen::einstiegGeaendert() const {
    const Kalender kalender = Kalender::aktuell();
    return kalender.tagesbeginn(einstieg_) != kalender.tagesbeginn(portfolio_->kaufdatum());
}

Zeitpunkt Einstellungen::obergrenze(Zeitpunkt jetzt) const {
    const std::optional<Zeitpunkt> erster = portfolio_->ersterStichtag();
    const Zeitpunkt grenze = erster ? tagesende(*erster, Kalender::aktuell()) : jetzt;
    const Zeitpunkt bisHeute = std::min(grenze, jetzt);
    const Zeitpunkt auswahl = std::min(jetzt, einstieg_);
    return std::max(auswahl, bisHeute);
}

bool Einstellungen::gruppennameUebernehmbar() const {
    return utf8(ohneLeerzeichen(gruppenname_)) != portfolio_->gruppenname();
}

bool Einstellungen::einstiegUebernehmbar() const {
    return einstiegGeaendert() && portfolio_->einstiegMoeglich(einstieg_);
}

bool Einstellungen::startkapitalUebernehmbar() const {
    return startkapital_ > Dezimal(0) && startkapital_ != portfolio_->startkapital();
}

std::optional<QString> Einstellungen::einstiegswarnung() const {
    if (const std::optional<Zeitpunkt> erster = portfolio_->ersterStichtag();
        erster && !portfolio_->einstiegMoeglich(einstieg_)) {
        return text("Es gibt schon einen Stichtag vom %1. Der Einstieg kann nicht danach liegen.")
            .arg(qtText(Formatierer().datum(*erster, Zeitzone::aktuell())));
    }
    if (schonErfasst() && einstiegGeaendert()) {
        return text("Es sind schon Positionen oder Stichtage erfasst. Ein anderes Einstiegsdatum ändert, ab wann "
                    "der Tagesverlauf rechnet und welches Datum im Export steht. Die Kaufkurse bleiben, wie sie "
                    "sind: Prüfe sie danach im Formular jeder Position.");
    }
    return std::nullopt;
}

std::optional<QString> Einstellungen::startkapitalwarnung() const {
    if (schonErfasst() && startkapital_ != portfolio_->startkapital()) {
        return text("Es sind schon Positionen oder Stichtage erfasst. Ein anderes Startkapital verschiebt "
                    "Barbestand und Rendite auch in der Vergangenheit.");
    }
    return std::nullopt;
}

QString Einstellungen::positionenText() const {
    return text("%1 von 5").arg(vollstaendige(*portfolio_));
}

QString Einstellungen::stichtageText() const {
    return QString::number(portfolio_->bewertungen().size());
}

QString Einstellungen::investiertText() const {
    return qtText(Formatierer().waehrung(Portfoliostand(*portfolio_, nullptr).investiert(), "EUR"));
}

QString Einstellungen::barbestandText() const {
    return qtText(Formatierer().waehrung(Portfoliostand(*portfolio_, nullptr).barbestand(), "EUR"));
}

QString Einstellungen::versionszeile(const char* version) {
    const QString nummer = version != nullptr && *version != '\0' ? QString::fromUtf8(version) : text("unbekannt");
    return QStringLiteral("Quinzelbrockat ") + nummer;
}

QString Einstellungen::rechtevermerk(const char* vermerk) {
    return vermerk != nullptr && *vermerk != '\0' ? QString::fromUtf8(vermerk)
                                                  : text("Quinzelbrockat, ein Planspiel zur Geldanlage");
}

void Einstellungen::gruppennameUebernehmen() {
    const QString name = ohneLeerzeichen(gruppenname_);
    if (utf8(name) == portfolio_->gruppenname()) {
        return;
    }
    gruppenname_ = name;
    portfolio_->setzeGruppenname(utf8(name));
    speichere();
}

void Einstellungen::einstiegsdatumUebernehmen() {
    if (!portfolio_->einstiegMoeglich(einstieg_)) {
        return;
    }
    portfolio_->setzeKaufdatum(einstieg_);
    speichere();
}

void Einstellungen::startkapitalUebernehmen() {
    if (!(startkapital_ > Dezimal(0))) {
        return;
    }
    portfolio_->setzeStartkapital(startkapital_);
    speichere();
}

void Einstellungen::spielZuruecksetzen() {
    // Copies: each deletion takes the record out of the portfolio's list at once.
    const std::vector<std::shared_ptr<Position>> positionen = portfolio_->positionen();
    for (const auto& position : positionen) {
        kontext_.loesche(position);
    }
    const std::vector<std::shared_ptr<Bewertung>> bewertungen = portfolio_->bewertungen();
    for (const auto& bewertung : bewertungen) {
        kontext_.loesche(bewertung);
    }
    speichere();
}

void Einstellungen::speichere() {
    const std::optional<std::string> fehler = qb::speichere(kontext_);
    meldung_ = fehler ? std::optional<QString>(qtText(*fehler)) : std::nullopt;
}

} // namespace qb
