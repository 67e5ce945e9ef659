#include "model/Preisnotiz.h"

#include "model/Ablage.h"
#include "model/Bewertung.h"
#include "model/Position.h"
#include "model/Waehrungscode.h"

namespace qb {

Preisnotiz::Preisnotiz(Dezimal preis, std::string quelle, std::string kennung, Kursart art, Zeitpunkt abgerufenAm,
                       Preisherkunft herkunft, std::optional<Handelsumfang> handelsumfang) {
    aktuell_.felder.preis = std::move(preis);
    aktuell_.felder.waehrung = Waehrungscode::euro().wert();
    aktuell_.felder.quelle = std::move(quelle);
    aktuell_.felder.kennung = std::move(kennung);
    aktuell_.felder.art = art;
    aktuell_.felder.abgerufenAm = abgerufenAm;
    aktuell_.felder.herkunft = herkunft;
    aktuell_.felder.handelsumfang = std::move(handelsumfang);
}

Preisnotiz::Preisnotiz(Felder felder) {
    aktuell_.felder = std::move(felder);
}

template <typename T>
void Preisnotiz::setze(T Felder::*feld, T wert) {
    aktuell_.felder.*feld = std::move(wert);
    geaendert();
}

void Preisnotiz::setzePreisWert(Dezimal wert) { setze(&Felder::preis, std::move(wert)); }
void Preisnotiz::setzeWaehrung(std::string wert) { setze(&Felder::waehrung, std::move(wert)); }
void Preisnotiz::setzeQuelle(std::string wert) { setze(&Felder::quelle, std::move(wert)); }
void Preisnotiz::setzeKennung(std::string wert) { setze(&Felder::kennung, std::move(wert)); }
void Preisnotiz::setzeArt(Kursart wert) { setze(&Felder::art, wert); }
void Preisnotiz::setzeAbgerufenAm(Zeitpunkt wert) { setze(&Felder::abgerufenAm, wert); }
void Preisnotiz::setzeHerkunft(Preisherkunft wert) { setze(&Felder::herkunft, wert); }
void Preisnotiz::setzeHandelsumfang(std::optional<Handelsumfang> wert) { setze(&Felder::handelsumfang, std::move(wert)); }
void Preisnotiz::setzePreisOriginal(std::optional<Dezimal> wert) { setze(&Felder::preisOriginal, std::move(wert)); }
void Preisnotiz::setzeOriginalwaehrung(std::optional<std::string> wert) {
    setze(&Felder::originalwaehrung, std::move(wert));
}
void Preisnotiz::setzeUmrechnung(std::optional<Dezimal> wert) { setze(&Felder::umrechnung, std::move(wert)); }

void Preisnotiz::setzePosition(const std::shared_ptr<Position>& position) {
    wechsleBesitzer<Preisnotiz>(aktuell_.position, position, [](Position& p) -> auto& { return p.aktuell_.notizen; });
}

void Preisnotiz::setzeBewertung(const std::shared_ptr<Bewertung>& bewertung) {
    wechsleBesitzer<Preisnotiz>(aktuell_.bewertung, bewertung,
                                [](Bewertung& b) -> auto& { return b.aktuell_.notizen; });
}

void Preisnotiz::setzePreis(const Preisangabe& preis) {
    const Umrechnung* u = preis.umrechnung();
    setzePreisWert(preis.inEuro());
    setzeWaehrung(Waehrungscode::euro().wert());
    setzePreisOriginal(u ? std::optional<Dezimal>(u->original) : std::nullopt);
    setzeOriginalwaehrung(u ? std::optional<std::string>(u->waehrung) : std::nullopt);
    setzeUmrechnung(u ? std::optional<Dezimal>(u->kurs) : std::nullopt);
}

Preisangabe Preisnotiz::preisangabe() const {
    const auto& f = aktuell_.felder;
    if (f.preisOriginal && f.originalwaehrung && f.umrechnung) {
        return Preisangabe::umgerechnet(Umrechnung{*f.preisOriginal, *f.originalwaehrung, *f.umrechnung});
    }
    return Preisangabe::euro(f.preis);
}

std::vector<std::shared_ptr<Datensatz>> Preisnotiz::verbundene() const {
    std::vector<std::shared_ptr<Datensatz>> alle;
    if (auto position = aktuell_.position.lock()) {
        alle.push_back(position);
    }
    if (auto bewertung = aktuell_.bewertung.lock()) {
        alle.push_back(bewertung);
    }
    return alle;
}

void Preisnotiz::loeseVonBesitzern() {
    verlasseBesitzer<Preisnotiz>(aktuell_.position, [](Position& p) -> auto& { return p.aktuell_.notizen; });
    verlasseBesitzer<Preisnotiz>(aktuell_.bewertung, [](Bewertung& b) -> auto& { return b.aktuell_.notizen; });
}

void Preisnotiz::stelleGespeichertesWiederHer() {
    if (gespeichert_) {
        aktuell_ = *gespeichert_;
    } else {
        aktuell_.position.reset();
        aktuell_.bewertung.reset();
    }
}

void Preisnotiz::schreibeZeile(Aenderungssatz& satz) const {
    PreisnotizZeile zeile{id(), std::nullopt, std::nullopt, aktuell_.felder};
    if (auto position = aktuell_.position.lock()) {
        zeile.position = position->id();
    }
    if (auto bewertung = aktuell_.bewertung.lock()) {
        zeile.bewertung = bewertung->id();
    }
    satz.preisnotizen.push_back(std::move(zeile));
}

void Preisnotiz::schreibeLoeschung(Aenderungssatz& satz) const {
    satz.geloeschtePreisnotizen.push_back(id());
}

} // namespace qb
