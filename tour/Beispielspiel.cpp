#include "Beispielspiel.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "foundation/Dezimal.h"
#include "model/Bewertung.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "model/Speichern.h"
#include "model/Preisangabe.h"

namespace qb {

namespace {

struct Vorlage {
    Assetklasse klasse;
    const char* name;
    const char* kennung;
    const char* quelle;
    std::int64_t stueckzahl;
    Preisangabe kauf;
};

std::shared_ptr<Position> position(const Vorlage& vorlage) {
    auto position = std::make_shared<Position>(vorlage.klasse);
    position->setzeName(vorlage.name);
    position->setzeKennung(vorlage.kennung);
    position->setzeQuelle(vorlage.quelle);
    position->setzeStueckzahl(vorlage.stueckzahl);
    position->setzeKaufkurs(vorlage.kauf);
    if (vorlage.klasse == Assetklasse::anleihe) {
        position->setzeNotierung(Notierungsart::prozentVomNennwert);
        position->setzeNennwert(Dezimal(1000));
    }
    return position;
}

// A price that wanders a little from the purchase price, the same in every run. A currency
// entered as its rate wanders in the rate.
Preisangabe kursAm(const Preisangabe& kauf, Assetklasse klasse, int tag, int nummer) {
    const int schritt = ((tag * 7 + nummer * 13) % 21) - 8; // -8 … +12 per mille
    const Dezimal faktor = Dezimal(1000 + schritt + tag / 4) / Dezimal(1000);
    if (const Umrechnung* umrechnung = kauf.umrechnung()) {
        if (klasse == Assetklasse::waehrung) {
            return Preisangabe::umgerechnet(
                Umrechnung{umrechnung->original, umrechnung->waehrung,
                           (umrechnung->kurs / faktor).gerundet(4, Rundung::normal)});
        }
        return Preisangabe::umgerechnet(
            Umrechnung{(umrechnung->original * faktor).gerundet(4, Rundung::normal), umrechnung->waehrung,
                       umrechnung->kurs});
    }
    return Preisangabe::euro((kauf.inEuro() * faktor).gerundet(4, Rundung::normal));
}

} // namespace

std::shared_ptr<Portfolio> legeBeispielspielAn(Modellkontext& kontext, const std::string& gruppenname,
                                               int stichtage, Zeitpunkt einstieg, bool mitLuecke) {
    auto portfolio = std::make_shared<Portfolio>(gruppenname, Dezimal(10000), einstieg);
    kontext.fuegeEin(portfolio);
    const Vorlage vorlagen[] = {
        {Assetklasse::aktie, "Apple Inc.", "US0378331005", "Börse Frankfurt", 9,
         Preisangabe::umgerechnet(Umrechnung{Dezimal::aus("189.84"), "USD", Dezimal::aus("1.0867")})},
        {Assetklasse::anleihe, "Bundesanleihe 2,2 % 2034", "DE000BU2Z023", "Börse Frankfurt", 2,
         Preisangabe::euro(Dezimal::aus("98.73"))},
        {Assetklasse::waehrung, "US-Dollar", "USD", "EZB-Referenzkurs", 1500,
         Preisangabe::umgerechnet(Umrechnung{Dezimal(1), "USD", Dezimal::aus("1.0867")})},
        {Assetklasse::rohstoff, "Xetra-Gold", "DE000A0S9GB0", "Börse Frankfurt", 25,
         Preisangabe::euro(Dezimal::aus("61.42"))},
        {Assetklasse::co2Zertifikat, "WisdomTree Carbon", "JE00BP2PWW32", "Börse Frankfurt", 60,
         Preisangabe::euro(Dezimal::aus("18.905"))},
    };
    std::vector<std::shared_ptr<Position>> positionen;
    for (const Vorlage& vorlage : vorlagen) {
        positionen.push_back(position(vorlage));
        portfolio->fuegeHinzu(positionen.back());
    }

    const Kalender kalender = Kalender::aktuell();
    for (int tag = 0; tag < stichtage; ++tag) {
        // Tuesdays and Thursdays before the lecture, from the week after the entry.
        const int tage = 7 + (tag / 2) * 7 + (tag % 2) * 2;
        const Zeitpunkt datum = kalender.plusTage(einstieg, tage).value_or(einstieg) + std::chrono::hours(1);
        auto bewertung = std::make_shared<Bewertung>(datum, "");
        portfolio->fuegeHinzu(bewertung);
        for (std::size_t nummer = 0; nummer < positionen.size(); ++nummer) {
            if (mitLuecke && tag == stichtage - 1 &&
                positionen[nummer]->assetklasse() == Assetklasse::co2Zertifikat) {
                continue;
            }
            const bool vonHand = tag % 3 != 0 || positionen[nummer]->assetklasse() == Assetklasse::waehrung;
            auto notiz = std::make_shared<Preisnotiz>(
                Dezimal(0), vonHand ? "Bloomberg" : positionen[nummer]->quelle(),
                positionen[nummer]->kennung(), vonHand ? Kursart::vonHand : Kursart::schlusskursVortag, datum,
                vonHand ? Preisherkunft::manuell : Preisherkunft::automatisch, std::nullopt);
            bewertung->haengeAn(notiz, positionen[nummer]);
            notiz->setzePreis(
                kursAm(vorlagen[nummer].kauf, vorlagen[nummer].klasse, tag, static_cast<int>(nummer)));
        }
    }
    if (auto fehler = speichere(kontext)) {
        throw std::runtime_error(*fehler);
    }
    return portfolio;
}

} // namespace qb
