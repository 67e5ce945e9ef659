#include "model/Portfolio.h"

#include <algorithm>

#include "model/Ablage.h"
#include "model/Bewertung.h"
#include "model/Position.h"

namespace qb {

Portfolio::Portfolio(std::string gruppenname, Dezimal startkapital, Zeitpunkt kaufdatum)
    : Portfolio(Felder{std::move(gruppenname), std::move(startkapital), kaufdatum}) {}

Portfolio::Portfolio(Felder felder) {
    aktuell_.felder = std::move(felder);
}

void Portfolio::setzeGruppenname(std::string wert) {
    aktuell_.felder.gruppenname = std::move(wert);
    geaendert();
}

void Portfolio::setzeStartkapital(Dezimal wert) {
    aktuell_.felder.startkapital = std::move(wert);
    geaendert();
}

void Portfolio::setzeKaufdatum(Zeitpunkt wert) {
    aktuell_.felder.kaufdatum = wert;
    geaendert();
}

void Portfolio::fuegeHinzu(const std::shared_ptr<Position>& position) {
    position->setzePortfolio(selbst<Portfolio>());
}

void Portfolio::fuegeHinzu(const std::shared_ptr<Bewertung>& bewertung) {
    bewertung->setzePortfolio(selbst<Portfolio>());
}

std::shared_ptr<Position> Portfolio::position(Assetklasse klasse) const {
    for (const auto& position : aktuell_.positionen) {
        if (position->assetklasse() == klasse) {
            return position;
        }
    }
    return nullptr;
}

std::vector<Assetklasse> Portfolio::offeneAssetklassen() const {
    std::vector<Assetklasse> offen;
    for (Assetklasse klasse : alleAssetklassen) {
        if (!position(klasse)) {
            offen.push_back(klasse);
        }
    }
    return offen;
}

std::vector<std::shared_ptr<Bewertung>> Portfolio::sortierteBewertungen() const {
    auto sortiert = aktuell_.bewertungen;
    // Stable, so that dates and ids that are both equal (records not yet inserted, id 0)
    // keep the list order and the result is the same on every call.
    std::stable_sort(sortiert.begin(), sortiert.end(), [](const auto& a, const auto& b) {
        if (a->datum() != b->datum()) {
            return a->datum() < b->datum();
        }
        return a->id() < b->id();
    });
    return sortiert;
}

std::optional<Zeitpunkt> Portfolio::ersterStichtag() const {
    if (aktuell_.bewertungen.empty()) {
        return std::nullopt;
    }
    Zeitpunkt kleinstes = aktuell_.bewertungen.front()->datum();
    for (const auto& bewertung : aktuell_.bewertungen) {
        kleinstes = std::min(kleinstes, bewertung->datum());
    }
    return Kalender::aktuell().tagesbeginn(kleinstes);
}

bool Portfolio::einstiegMoeglich(Zeitpunkt datum) const {
    auto erster = ersterStichtag();
    if (!erster) {
        return true;
    }
    return Kalender::aktuell().tagesbeginn(datum) <= *erster;
}

std::vector<std::shared_ptr<Datensatz>> Portfolio::verbundene() const {
    return eigene();
}

std::vector<std::shared_ptr<Datensatz>> Portfolio::eigene() const {
    std::vector<std::shared_ptr<Datensatz>> alle(aktuell_.positionen.begin(), aktuell_.positionen.end());
    alle.insert(alle.end(), aktuell_.bewertungen.begin(), aktuell_.bewertungen.end());
    return alle;
}

std::vector<std::vector<std::shared_ptr<Datensatz>>> Portfolio::listen() const {
    return {{aktuell_.positionen.begin(), aktuell_.positionen.end()},
            {aktuell_.bewertungen.begin(), aktuell_.bewertungen.end()}};
}

void Portfolio::ordneListen() {
    ordneNachId(aktuell_.positionen);
    ordneNachId(aktuell_.bewertungen);
}

void Portfolio::stelleGespeichertesWiederHer() {
    if (gespeichert_) {
        aktuell_ = *gespeichert_;
    } else {
        aktuell_.positionen.clear();
        aktuell_.bewertungen.clear();
    }
}

void Portfolio::schreibeZeile(Aenderungssatz& satz) const {
    satz.portfolios.push_back(PortfolioZeile{id(), aktuell_.felder});
}

void Portfolio::schreibeLoeschung(Aenderungssatz& satz) const {
    satz.geloeschtePortfolios.push_back(id());
}

std::optional<double> minimum(const std::vector<double>& werte) {
    if (werte.empty()) {
        return std::nullopt;
    }
    double kleinster = werte.front();
    for (double wert : werte) {
        if (wert < kleinster) {
            kleinster = wert;
        }
    }
    return kleinster;
}

} // namespace qb
