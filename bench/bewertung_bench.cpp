// Times what every view recomputes on each refresh: the value curve of a game with five
// positions and 100 reference dates, and the state of one reference date.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Stichtagsverlauf.h"

using namespace qb;

namespace {

using Uhr = std::chrono::steady_clock;

struct Spiel {
    std::shared_ptr<Portfolio> portfolio;
    std::vector<std::shared_ptr<Bewertung>> stichtage;
};

std::shared_ptr<Position> kaufe(const std::shared_ptr<Portfolio>& p, Assetklasse klasse, const char* name,
                                std::int64_t stueck, const Preisangabe& preis) {
    auto position = std::make_shared<Position>(klasse);
    position->setzeName(name);
    position->setzeStueckzahl(stueck);
    position->setzeKaufkurs(preis);
    p->fuegeHinzu(position);
    return position;
}

Preisangabe usd(const std::string& original, const std::string& kurs) {
    return Preisangabe::umgerechnet(Umrechnung{Dezimal::aus(original), "USD", Dezimal::aus(kurs)});
}

Spiel baueSpiel(int anzahlStichtage) {
    Spiel spiel;
    const Zeitpunkt start = Zeitpunkt(std::chrono::seconds(1772442000)); // early March 2026
    spiel.portfolio = std::make_shared<Portfolio>("Messung", Dezimal(10000), start);
    std::vector<std::shared_ptr<Position>> positionen{
        kaufe(spiel.portfolio, Assetklasse::aktie, "SAP", 10, Preisangabe::euro(Dezimal::aus("182.34"))),
        kaufe(spiel.portfolio, Assetklasse::anleihe, "Bund", 2, Preisangabe::euro(Dezimal::aus("97.615"))),
        kaufe(spiel.portfolio, Assetklasse::waehrung, "US-Dollar", 1500, usd("1", "1.0834")),
        kaufe(spiel.portfolio, Assetklasse::rohstoff, "Gold", 1, usd("2350.4", "1.0834")),
        kaufe(spiel.portfolio, Assetklasse::co2Zertifikat, "EUA", 20,
              Preisangabe::euro(Dezimal::aus("68.9"))),
    };
    positionen[1]->setzeNennwert(Dezimal(1000));
    positionen[2]->setzeKennung("USD");

    for (int i = 0; i < anzahlStichtage; ++i) {
        auto b = std::make_shared<Bewertung>(start + std::chrono::days(7 * (i + 1)), "");
        spiel.portfolio->fuegeHinzu(b);
        // Prices that move a little every week, with decimals that do not divide evenly.
        const std::string schritt = std::to_string(i % 17) + "." + std::to_string(10 + i % 89);
        const Preisangabe preise[] = {
            Preisangabe::euro(Dezimal::aus("175.5") + Dezimal::aus(schritt)),
            Preisangabe::euro(Dezimal::aus("96.125") + Dezimal::aus(schritt) / Dezimal(10)),
            usd("1", "1.07" + std::to_string(i % 10)),
            usd(std::to_string(2300 + i) + ".75", "1.08" + std::to_string(i % 10)),
            Preisangabe::euro(Dezimal::aus("65.33") + Dezimal::aus(schritt)),
        };
        for (std::size_t k = 0; k < positionen.size(); ++k) {
            auto notiz = std::make_shared<Preisnotiz>(Dezimal(0), "Bloomberg", "", Kursart::vonHand,
                                                      b->datum(), Preisherkunft::manuell, std::nullopt);
            b->haengeAn(notiz, positionen[k]);
            notiz->setzePreis(preise[k]);
        }
        spiel.stichtage.push_back(b);
    }
    return spiel;
}

template <typename F> void miss(const char* name, int wiederholungen, F&& arbeit) {
    std::vector<double> dauer;
    dauer.reserve(static_cast<std::size_t>(wiederholungen));
    for (int i = 0; i < wiederholungen; ++i) {
        auto beginn = Uhr::now();
        arbeit();
        dauer.push_back(std::chrono::duration<double, std::micro>(Uhr::now() - beginn).count());
    }
    std::sort(dauer.begin(), dauer.end());
    auto anteil = [&dauer](double q) { return dauer[static_cast<std::size_t>(q * (dauer.size() - 1))]; };
    std::printf("%-44s median %9.1f µs   p90 %9.1f µs   min %9.1f µs   (%d runs)\n", name, anteil(0.5),
                anteil(0.9), dauer.front(), wiederholungen);
}

} // namespace

int main() {
    Spiel spiel = baueSpiel(100);
    const Portfolio& portfolio = *spiel.portfolio;

    // Keeps the optimiser from dropping the work.
    std::size_t summe = 0;

    miss("Stichtagsverlauf (5 Positionen, 100 Stichtage)", 200, [&] {
        Stichtagsverlauf verlauf(portfolio);
        summe += verlauf.punkte().size();
    });
    miss("Portfoliostand eines Stichtags", 2000, [&] {
        Portfoliostand stand(portfolio, spiel.stichtage.back().get());
        summe += stand.gesamtwert().has_value();
    });
    miss("Portfoliostand beim Kauf", 2000, [&] {
        Portfoliostand stand(portfolio, nullptr);
        summe += stand.positionen().size();
    });

    Stichtagsverlauf verlauf(portfolio);
    std::printf("check: %zu points, last value %s EUR (%zu)\n", verlauf.punkte().size(),
                verlauf.punkte().back().wert.text().c_str(), summe);
    return 0;
}
