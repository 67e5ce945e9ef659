#include "reference-dates/Bewertungserfassung.h"

#include <exception>
#include <utility>
#include <vector>

#include "model/Bewertung.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "model/Speichern.h"
#include "valuation/Kurspruefung.h"

namespace qb {

namespace {

const std::string positionWeg = "Die Position gibt es nicht mehr.";
const std::string kennungGeaendert =
    "Die Kennung wurde geändert, nachdem der Kurs eingetragen war. Trag ihn für die neue Kennung ein.";

Preisangabe alsPreisangabe(const Kursnotierung& kurs) {
    return kurs.umrechnung ? Preisangabe::umgerechnet(*kurs.umrechnung) : Preisangabe::euro(kurs.kurs);
}

// A quote that counts the paper per unit while the position counts it in percent of its face
// value (or the other way round) is off by face value / 100; with a face value of 100 both are
// the same number. The text is the one the question before saving shows for it.
std::optional<std::string> anderesNotiert(const Kursnotierung& kurs, const Position& position) {
    const Notierungsart quelle = kurs.notierungsart.value_or(position.notierung());
    if (quelle == position.notierung() || position.nennwert() == Dezimal(100)) {
        return std::nullopt;
    }
    const Preisangabe preis = alsPreisangabe(kurs);
    const Kurspruefung::Abweichung abweichung{Kurspruefung::Abweichung::Gegenstand::notierungsart, preis, preis,
                                              quelle, std::nullopt, position.nennwert()};
    return abweichung.meldung(position.assetklasse(), position.notierung(), std::nullopt);
}

std::string speicherfehler(const std::exception& fehler) {
    return "Die Änderung konnte nicht gespeichert werden: " + std::string(fehler.what());
}

} // namespace

const std::string& Bewertungserfassung::bloomberg() {
    static const std::string label = "Bloomberg";
    return label;
}

std::variant<std::shared_ptr<Position>, std::string>
Bewertungserfassung::position(Assetklasse klasse, const Stichtagskurs& kurs, const Portfolio& portfolio) {
    std::shared_ptr<Position> position = portfolio.position(klasse);
    if (!position || !position->istVollstaendig() || position->istGeloescht()) {
        return positionWeg;
    }
    if (position->kennung() != kurs.kennung) {
        return kennungGeaendert;
    }
    if (const Kursnotierung* uebernommen = kurs.wert.uebernommen()) {
        if (auto grund = anderesNotiert(*uebernommen, *position)) {
            return *std::move(grund);
        }
    }
    return position;
}

Bewertungserfassung::Ausgang Bewertungserfassung::erfassen(Portfolio& portfolio, Zeitpunkt datum,
                                                           const std::map<Assetklasse, Stichtagskurs>& kurse,
                                                           Modellkontext& kontext) {
    std::map<Assetklasse, std::string> verworfen;
    std::vector<std::pair<std::shared_ptr<Position>, const Stichtagskurs*>> angenommen;
    for (Assetklasse klasse : alleAssetklassen) {
        auto eintrag = kurse.find(klasse);
        if (eintrag == kurse.end()) {
            continue;
        }
        auto befund = position(klasse, eintrag->second, portfolio);
        if (auto* grund = std::get_if<std::string>(&befund)) {
            verworfen.emplace(klasse, std::move(*grund));
        } else {
            angenommen.emplace_back(std::get<std::shared_ptr<Position>>(std::move(befund)), &eintrag->second);
        }
    }
    if (angenommen.empty()) {
        return Ausgang::keinKurs(std::move(verworfen));
    }

    auto bewertung = std::make_shared<Bewertung>(datum, "");
    try {
        // Linking to the portfolio puts the date into the portfolio's list and its context.
        portfolio.fuegeHinzu(bewertung);
        kontext.fuegeEin(bewertung);
        for (const auto& [position, kurs] : angenommen) {
            if (const Kursnotierung* uebernommen = kurs->wert.uebernommen()) {
                bewertung->setzeNotiz(*uebernommen, position);
            } else {
                eingetippterKurs(*kurs->wert.eingetippt(), position, bewertung, bloomberg());
            }
        }
    } catch (const std::exception& fehler) {
        // Only when the store's ids are used up: leave nothing half written behind.
        kontext.zuruecksetzen();
        return Ausgang::fehler(speicherfehler(fehler));
    }
    if (auto meldung = speichere(kontext)) {
        return Ausgang::fehler(*std::move(meldung));
    }
    return Ausgang::angelegt(Ergebnis{std::move(bewertung), std::move(verworfen)});
}

void Bewertungserfassung::eingetippterKurs(const Preisangabe& preis, const std::shared_ptr<Position>& position,
                                           const std::shared_ptr<Bewertung>& bewertung, const std::string& quelle) {
    if (!bewertung->notiz(*position)) {
        bewertung->haengeAn(std::make_shared<Preisnotiz>(preis.inEuro(), quelle, position->kennung(), Kursart::vonHand,
                                                         jetzt(), Preisherkunft::manuell, std::nullopt),
                            position);
    }
    bewertung->aktualisiere(*position, preis, quelle);
}

std::optional<std::string> Bewertungserfassung::entfernen(const std::shared_ptr<Bewertung>& bewertung,
                                                          Modellkontext& kontext) {
    try {
        kontext.loesche(bewertung);
    } catch (const std::exception& fehler) {
        return speicherfehler(fehler);
    }
    return speichere(kontext);
}

} // namespace qb

std::size_t std::hash<qb::Bewertungserfassung::Stichtagswahl>::operator()(
    const qb::Bewertungserfassung::Stichtagswahl& wahl) const noexcept {
    std::size_t wert = std::hash<long long>{}(static_cast<long long>(wahl.datum.time_since_epoch().count()));
    auto mische = [&wert](std::size_t teil) { wert ^= teil + 0x9e3779b97f4a7c15ULL + (wert << 6) + (wert >> 2); };
    if (wahl.abruftag) {
        mische(1);
        mische(std::hash<long long>{}(static_cast<long long>(wahl.abruftag->time_since_epoch().count())));
    } else {
        mische(0);
    }
    return wert;
}
