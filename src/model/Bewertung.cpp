#include "model/Bewertung.h"

#include "model/Ablage.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"

namespace qb {

Bewertung::Bewertung(Zeitpunkt datum, std::string notiz) : Bewertung(Felder{datum, std::move(notiz)}) {}

Bewertung::Bewertung(Felder felder) {
    aktuell_.felder = std::move(felder);
}

void Bewertung::setzeDatum(Zeitpunkt wert) {
    aktuell_.felder.datum = wert;
    geaendert();
}

void Bewertung::setzeNotiz(std::string wert) {
    aktuell_.felder.notiz = std::move(wert);
    geaendert();
}

void Bewertung::setzePortfolio(const std::shared_ptr<Portfolio>& portfolio) {
    wechsleBesitzer<Bewertung>(aktuell_.portfolio, portfolio,
                               [](Portfolio& p) -> auto& { return p.aktuell_.bewertungen; });
}

std::shared_ptr<Preisnotiz> Bewertung::notiz(const Position& position) const {
    for (const auto& notiz : aktuell_.notizen) {
        if (notiz->position().get() == &position) {
            return notiz;
        }
    }
    return nullptr;
}

bool Bewertung::haengeAn(const std::shared_ptr<Preisnotiz>& neue, const std::shared_ptr<Position>& position) {
    if (notiz(*position)) {
        return false;
    }
    neue->setzePosition(position);
    neue->setzeBewertung(selbst<Bewertung>());
    return true;
}

void Bewertung::aktualisiere(const Position& position, const Preisangabe& preis, const std::string& quelle) {
    auto vorhandene = notiz(position);
    if (!vorhandene) {
        return;
    }
    vorhandene->setzePreis(preis);
    vorhandene->setzeQuelle(quelle);
    vorhandene->setzeArt(Kursart::vonHand);
    vorhandene->setzeHerkunft(Preisherkunft::manuell);
    vorhandene->setzeHandelsumfang(std::nullopt);
    vorhandene->setzeKennung(position.kennung());
    vorhandene->setzeAbgerufenAm(datum());
}

void Bewertung::setzeNotiz(const Kursnotierung& notierung, const std::shared_ptr<Position>& position) {
    if (!notiz(*position)) {
        haengeAn(std::make_shared<Preisnotiz>(notierung.kurs, notierung.quelle, position->kennung(), notierung.art,
                                              notierung.abgerufenAm, Preisherkunft::automatisch,
                                              notierung.handelsumfang),
                 position);
    }
    auto vorhandene = notiz(*position);
    if (!vorhandene) {
        return;
    }
    vorhandene->setzePreis(notierung.umrechnung ? Preisangabe::umgerechnet(*notierung.umrechnung)
                                                : Preisangabe::euro(notierung.kurs));
    vorhandene->setzeQuelle(notierung.quelle);
    vorhandene->setzeArt(notierung.art);
    vorhandene->setzeHerkunft(Preisherkunft::automatisch);
    vorhandene->setzeHandelsumfang(notierung.handelsumfang);
    vorhandene->setzeKennung(position->kennung());
    vorhandene->setzeAbgerufenAm(notierung.kursdatum.value_or(notierung.abgerufenAm));
}

std::vector<std::shared_ptr<Datensatz>> Bewertung::verbundene() const {
    std::vector<std::shared_ptr<Datensatz>> alle = eigene();
    if (auto portfolio = aktuell_.portfolio.lock()) {
        alle.push_back(portfolio);
    }
    return alle;
}

std::vector<std::shared_ptr<Datensatz>> Bewertung::eigene() const {
    return {aktuell_.notizen.begin(), aktuell_.notizen.end()};
}

std::vector<std::vector<std::shared_ptr<Datensatz>>> Bewertung::listen() const {
    return {eigene()};
}

void Bewertung::ordneListen() {
    ordneNachId(aktuell_.notizen);
}

void Bewertung::loeseVonBesitzern() {
    verlasseBesitzer<Bewertung>(aktuell_.portfolio, [](Portfolio& p) -> auto& { return p.aktuell_.bewertungen; });
}

void Bewertung::stelleGespeichertesWiederHer() {
    if (gespeichert_) {
        aktuell_ = *gespeichert_;
    } else {
        aktuell_.portfolio.reset();
        aktuell_.notizen.clear();
    }
}

void Bewertung::schreibeZeile(Aenderungssatz& satz) const {
    std::optional<DatensatzId> portfolioId;
    if (auto portfolio = aktuell_.portfolio.lock()) {
        portfolioId = portfolio->id();
    }
    satz.bewertungen.push_back(BewertungZeile{id(), portfolioId, aktuell_.felder});
}

void Bewertung::schreibeLoeschung(Aenderungssatz& satz) const {
    satz.geloeschteBewertungen.push_back(id());
}

} // namespace qb
