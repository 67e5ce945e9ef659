#include "reference-dates/PreisKorrigieren.h"

#include <variant>

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Speichern.h"

namespace qb {

PreisKorrigieren::PreisKorrigieren(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
                               std::shared_ptr<Position> position, Zeitpunkt heute)
    : portfolio_(std::move(portfolio)), bewertung_(std::move(bewertung)), position_(std::move(position)),
      entwurf_(*position_, *bewertung_, heute) {}

bool PreisKorrigieren::kannSpeichern() const {
    return !entwurf_.stichtagskurse().empty() && entwurf_.pruefeEingaben().empty();
}

bool PreisKorrigieren::speichernGedrueckt(Modellkontext& kontext) {
    if (auto kurse = ablauf_.speichern(entwurf_)) {
        return speichern(*kurse, kontext);
    }
    return false;
}

bool PreisKorrigieren::trotzdemSpeichern(Modellkontext& kontext) {
    if (auto kurse = ablauf_.trotzdemSpeichern(entwurf_)) {
        return speichern(*kurse, kontext);
    }
    return false;
}

bool PreisKorrigieren::speichern(const Speicherablauf::Kurse& kurse, Modellkontext& kontext) {
    const Assetklasse klasse = position_->assetklasse();
    const auto eintrag = kurse.find(klasse);
    if (eintrag == kurse.end()) {
        return false;
    }
    auto geprueft = Bewertungserfassung::position(klasse, eintrag->second, *portfolio_);
    if (const auto* grund = std::get_if<std::string>(&geprueft)) {
        speicherfehler_ = *grund;
        return false;
    }
    const auto& position = std::get<std::shared_ptr<Position>>(geprueft);
    if (const auto* preis = eintrag->second.wert.eingetippt()) {
        Bewertungserfassung::eingetippterKurs(*preis, position, bewertung_, Bewertungserfassung::bloomberg());
    } else if (const auto* kurs = eintrag->second.wert.uebernommen()) {
        bewertung_->setzeNotiz(*kurs, position);
    }
    if (auto fehler = speichere(kontext)) {
        speicherfehler_ = std::move(fehler);
        return false;
    }
    return true;
}

} // namespace qb
