// The daily history of a whole game: five positions, two of them papers in a foreign currency,
// against a local server that answers every request after 200 ms. The positions are fetched at
// once, so the whole should take about as long as its slowest single history.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Entwicklungsmessung.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "performance/Kursbuehne.h"
#include "performance/Wertverlauf.h"
#include "sources/Testhilfen.h"

namespace qbbench {

namespace {

using namespace qb;
using Uhr = std::chrono::steady_clock;

constexpr int spieltage = 365;

struct Papier {
    Assetklasse klasse;
    const char* kennung;
    const char* waehrung;
};

// Two papers in EUR, one in USD, one in GBP, and the Japanese yen as a currency position.
const Papier papiere[] = {
    {Assetklasse::aktie, "DE0007164600", "EUR"},
    {Assetklasse::anleihe, "US0378331005", "USD"},
    {Assetklasse::waehrung, "JPY", "EUR"},
    {Assetklasse::rohstoff, "GB0002374006", "GBP"},
    {Assetklasse::co2Zertifikat, "DE0005557508", "EUR"},
};

struct Messung {
    double sekunden = 0;
    std::size_t anfragen = 0;
    std::size_t tage = 0;
};

Messung lade(const Portfolio& portfolio, const Kursdienst& dienst, const qbtest::Testserver& server, Zeitpunkt von,
             Zeitpunkt bis) {
    const std::size_t vorher = server.anfragen().size();
    const auto start = Uhr::now();
    const Wertverlauf::Auftrag auftrag = Wertverlauf::auftrag(portfolio, von, bis);
    const Wertverlauf::Abruf abruf = Wertverlauf::hole(auftrag, dienst, {});
    const Wertverlauf::Ergebnis ergebnis = Wertverlauf::werte(portfolio, auftrag, abruf);
    const double dauer = std::chrono::duration<double>(Uhr::now() - start).count();
    if (!ergebnis.fehlgeschlagen.empty()) {
        std::printf("Fehlgeschlagen: %s\n", assetklasseMeldungszeilen(ergebnis.fehlgeschlagen, "; ").c_str());
    }
    return {dauer, server.anfragen().size() - vorher, ergebnis.tage.size()};
}

} // namespace

void messeVerlauf() {
    qbtest::Testserver server;
    qbtest::Kursbuehne buehne(server, std::chrono::milliseconds(200));
    const Kalender kalender = Kalender::aktuell();
    const Zeitpunkt bis = jetzt();
    const Zeitpunkt heute = kalender.tagesbeginn(bis);
    const Zeitpunkt einstieg = *kalender.plusTage(heute, -spieltage);

    // A close per weekday and an ECB rate per weekday, from before the lead-in to yesterday.
    std::vector<std::pair<Zeitpunkt, std::string>> kurse;
    std::vector<std::pair<std::string, std::string>> raten;
    for (int tage = spieltage + 30; tage >= 1; --tage) {
        const Zeitpunkt tag = *kalender.plusTage(heute, -tage);
        const Datumsteile teile = kalender.teile(tag);
        const auto wochentag = std::chrono::weekday(std::chrono::sys_days(
            std::chrono::year(teile.jahr) / std::chrono::month(static_cast<unsigned>(teile.monat)) /
            std::chrono::day(static_cast<unsigned>(teile.tag))));
        if (wochentag == std::chrono::Saturday || wochentag == std::chrono::Sunday) {
            continue;
        }
        kurse.emplace_back(qbtest::Kursbuehne::utcTag(teile.jahr, teile.monat, teile.tag),
                           std::to_string(100 + tage % 17) + "." + std::to_string(tage % 100));
        raten.emplace_back(isoTag(tag, kalender.zeitzone()), "1." + std::to_string(10 + tage % 7));
    }
    for (const auto& papier : papiere) {
        if (papier.klasse != Assetklasse::waehrung) {
            buehne.papier(papier.kennung, papier.waehrung, kurse);
        }
    }
    for (const char* code : {"USD", "GBP", "JPY"}) {
        buehne.raten(code, raten);
    }
    const Kursdienst dienst = qbtest::dienstFuer(server);

    Modellcontainer container(Ablage::imArbeitsspeicher());
    auto ganz = std::make_shared<Portfolio>("Gruppe", Dezimal(1000000), einstieg + std::chrono::hours(9));
    auto einzeln = std::make_shared<Portfolio>("Gruppe", Dezimal(1000000), einstieg + std::chrono::hours(9));
    container.kontext().fuegeEin(ganz);
    container.kontext().fuegeEin(einzeln);
    for (const auto& papier : papiere) {
        for (const auto& portfolio : {ganz, einzeln}) {
            if (portfolio == einzeln && papier.waehrung != std::string("USD")) {
                continue;
            }
            auto position = std::make_shared<Position>(papier.klasse);
            position->setzeName(papier.kennung);
            position->setzeKennung(papier.kennung);
            position->setzeStueckzahl(10);
            position->setzeKaufpreis(Dezimal(100));
            portfolio->fuegeHinzu(position);
        }
    }

    // Once unmeasured: the first connections and handshakes.
    lade(*ganz, dienst, server, einstieg, bis);
    const Messung alle = lade(*ganz, dienst, server, einstieg, bis);
    const Messung eine = lade(*einzeln, dienst, server, einstieg, bis);
    std::printf("Tagesverlauf des ganzen Spiels (5 Positionen, 2 Papiere in Fremdwährung, 200 ms je Anfrage):\n");
    std::printf("  alle Positionen:       %7.1f ms, %zu Anfragen, %zu Tage\n", alle.sekunden * 1000, alle.anfragen,
                alle.tage);
    std::printf("  ein Verlauf (USD):     %7.1f ms, %zu Anfragen, %zu Tage\n", eine.sekunden * 1000, eine.anfragen,
                eine.tage);
    std::printf("  Verhältnis alle / ein: %7.2f (Ziel: höchstens 1,5)\n", alle.sekunden / eine.sekunden);
}

} // namespace qbbench
