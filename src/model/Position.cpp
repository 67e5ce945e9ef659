#include "model/Position.h"

#include "model/Ablage.h"
#include "model/Portfolio.h"
#include "model/Preisnotiz.h"
#include "model/Eingabeform.h"
#include "foundation/Unicode.h"
#include "model/Waehrungscode.h"

namespace qb {

namespace {

Position::Felder neueFelder(Assetklasse klasse) {
    Position::Felder felder;
    felder.assetklasse = klasse;
    felder.waehrung = Waehrungscode::euro().wert();
    felder.notierung = klasse == Assetklasse::anleihe ? Notierungsart::prozentVomNennwert : Notierungsart::stueckpreis;
    felder.nennwert = Dezimal(100);
    return felder;
}

} // namespace

Position::Position(Assetklasse assetklasse) : Position(neueFelder(assetklasse)) {}

Position::Position(Felder felder) {
    aktuell_.felder = std::move(felder);
}

template <typename T>
void Position::setze(T Felder::*feld, T wert) {
    aktuell_.felder.*feld = std::move(wert);
    geaendert();
}

void Position::setzeAssetklasse(Assetklasse wert) { setze(&Felder::assetklasse, wert); }
void Position::setzeName(std::string wert) { setze(&Felder::name, std::move(wert)); }
void Position::setzeKennung(std::string wert) { setze(&Felder::kennung, std::move(wert)); }
void Position::setzeQuelle(std::string wert) { setze(&Felder::quelle, std::move(wert)); }
void Position::setzeWaehrung(std::string wert) { setze(&Felder::waehrung, std::move(wert)); }
void Position::setzeStueckzahl(std::int64_t wert) { setze(&Felder::stueckzahl, wert); }
void Position::setzeKaufpreis(Dezimal wert) { setze(&Felder::kaufpreis, std::move(wert)); }
void Position::setzeNotierung(Notierungsart wert) { setze(&Felder::notierung, wert); }
void Position::setzeNennwert(Dezimal wert) { setze(&Felder::nennwert, std::move(wert)); }
void Position::setzeKaufkursOriginal(std::optional<Dezimal> wert) { setze(&Felder::kaufkursOriginal, std::move(wert)); }
void Position::setzeKaufumrechnung(std::optional<Dezimal> wert) { setze(&Felder::kaufumrechnung, std::move(wert)); }
void Position::setzeEinheit(std::optional<std::string> wert) { setze(&Felder::einheit, std::move(wert)); }

void Position::setzePortfolio(const std::shared_ptr<Portfolio>& portfolio) {
    wechsleBesitzer<Position>(aktuell_.portfolio, portfolio,
                              [](Portfolio& p) -> auto& { return p.aktuell_.positionen; });
}

bool Position::istVollstaendig() const {
    return stueckzahl() >= 1 && kaufpreis() > Dezimal(0) && !name().empty();
}

Dezimal Position::betrag(const Dezimal& kurs) const {
    Dezimal jeEinheit = kurs;
    if (notierung() == Notierungsart::prozentVomNennwert) {
        jeEinheit = kurs / Dezimal(100) * nennwert();
    }
    return jeEinheit * Dezimal(static_cast<long long>(stueckzahl()));
}

Dezimal Position::wert(const Preisangabe& preis) const {
    if (const auto* euro = preis.euroPreis()) {
        return betrag(*euro).gerundet(2, Rundung::normal);
    }
    const Umrechnung& u = *preis.umrechnung();
    if (u.kurs <= Dezimal(0)) {
        return Dezimal(0);
    }
    return (betrag(u.original) / u.kurs).gerundet(2, Rundung::normal);
}

Preisangabe Position::kaufPreisangabe() const {
    if (kaufkursOriginal() && kaufumrechnung()) {
        return Preisangabe::umgerechnet(Umrechnung{*kaufkursOriginal(), waehrung(), *kaufumrechnung()});
    }
    return Preisangabe::euro(kaufpreis());
}

void Position::setzeKaufkurs(const Preisangabe& preis) {
    const Umrechnung* u = preis.umrechnung();
    setzeKaufpreis(preis.inEuro());
    setzeWaehrung(u ? u->waehrung : Waehrungscode::euro().wert());
    setzeKaufkursOriginal(u ? std::optional<Dezimal>(u->original) : std::nullopt);
    setzeKaufumrechnung(u ? std::optional<Dezimal>(u->kurs) : std::nullopt);
}

std::optional<std::string> Position::waehrungskursCode() const {
    Eingabeform form = Eingabeform::fuer(assetklasse(), kennung(), waehrung());
    if (const auto* code = form.waehrungskursCode()) {
        return code->wert();
    }
    return std::nullopt;
}

std::string Position::handelswaehrung() const {
    return waehrungskursCode().value_or(waehrung());
}

std::string Position::einheitText() const {
    if (auto code = waehrungskursCode()) {
        return *code;
    }
    if (einheit()) {
        std::string_view getrimmt = Unicode::ohneLeerzeichen(*einheit());
        if (!getrimmt.empty()) {
            return std::string(getrimmt);
        }
    }
    switch (assetklasse()) {
    case Assetklasse::aktie:
    case Assetklasse::anleihe: return "Stück";
    case Assetklasse::waehrung:
    case Assetklasse::rohstoff: return "Einheiten";
    case Assetklasse::co2Zertifikat: return "Anteile";
    }
    return "Stück";
}

std::vector<std::shared_ptr<Datensatz>> Position::verbundene() const {
    std::vector<std::shared_ptr<Datensatz>> alle = eigene();
    if (auto portfolio = aktuell_.portfolio.lock()) {
        alle.push_back(portfolio);
    }
    return alle;
}

std::vector<std::shared_ptr<Datensatz>> Position::eigene() const {
    return {aktuell_.notizen.begin(), aktuell_.notizen.end()};
}

std::vector<std::vector<std::shared_ptr<Datensatz>>> Position::listen() const {
    return {eigene()};
}

void Position::ordneListen() {
    ordneNachId(aktuell_.notizen);
}

void Position::loeseVonBesitzern() {
    verlasseBesitzer<Position>(aktuell_.portfolio, [](Portfolio& p) -> auto& { return p.aktuell_.positionen; });
}

void Position::stelleGespeichertesWiederHer() {
    if (gespeichert_) {
        aktuell_ = *gespeichert_;
    } else {
        aktuell_.portfolio.reset();
        aktuell_.notizen.clear();
    }
}

void Position::schreibeZeile(Aenderungssatz& satz) const {
    std::optional<DatensatzId> portfolioId;
    if (auto portfolio = aktuell_.portfolio.lock()) {
        portfolioId = portfolio->id();
    }
    satz.positionen.push_back(PositionZeile{id(), portfolioId, aktuell_.felder});
}

void Position::schreibeLoeschung(Aenderungssatz& satz) const {
    satz.geloeschtePositionen.push_back(id());
}

} // namespace qb
