// Five comparison fetches at once against a local HTTPS server that answers every request
// after 200 ms, against a single one: run side by side they should take about as long.
// Then the comparison of a foreign share (exchange, second market, ECB rate) against a server
// that answers at once: with fresh sources every time, and again and again with the same ones,
// which keep their connections open.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <vector>

#include <nlohmann/json.hpp>

#include "sources/Kursdienst.h"
#include "sources/Testserver.h"

namespace {

using namespace std::chrono;
using qb::Assetklasse;

struct Vergleich {
    Assetklasse klasse;
    const char* kennung;
};

// One row of a reference date: the share, bond, commodity and CO2 rows ask the exchange, the
// currency row asks the ECB; every quote is then brought into EUR.
const Vergleich vergleiche[] = {
    {Assetklasse::aktie, "DE0007164600"},   {Assetklasse::anleihe, "DE0001102614"},
    {Assetklasse::waehrung, "USD"},         {Assetklasse::rohstoff, "DE0005140008"},
    {Assetklasse::co2Zertifikat, "NL0009235381"},
};

void hole(const qb::Kursdienst& dienst, const Vergleich& v) {
    auto notierung = dienst.quelle(v.klasse).aktuellerKurs(v.kennung, {});
    dienst.inEuro(notierung, std::nullopt, {});
}

double sekunden(steady_clock::duration d) {
    return duration<double>(d).count();
}

double median(std::vector<double> werte) {
    std::sort(werte.begin(), werte.end());
    return werte[werte.size() / 2];
}

} // namespace

int main() {
    qbtest::Testserver server;
    server.beantworte("/v1/data/price_information/single", [](const qbtest::Anfrage& a) {
        auto antwort = qbtest::Antwort::json(
            nlohmann::json{{"isin", a.wert("isin")}, {"lastPrice", 10}, {"currency", {{"originalValue", "EUR"}}}}.dump());
        antwort.verzoegerung = milliseconds(200);
        return antwort;
    });
    auto rate = qbtest::Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":1.08})");
    rate.verzoegerung = milliseconds(200);
    server.beantworte("/v2/rate/EUR/USD", rate);

    qb::Kursdienst::Adressen adressen;
    adressen.boerse = server.adresse();
    adressen.ezb = server.adresse();
    adressen.sitzung.caDatei = server.caDatei();
    const qb::Kursdienst dienst = qb::Kursdienst::standard(adressen);

    constexpr int runden = 7;
    std::vector<double> einzeln;
    std::vector<double> fuenf;
    for (int r = 0; r < runden; ++r) {
        auto anfang = steady_clock::now();
        hole(dienst, vergleiche[0]);
        einzeln.push_back(sekunden(steady_clock::now() - anfang));

        anfang = steady_clock::now();
        std::vector<std::future<void>> laeufe;
        for (const auto& v : vergleiche) {
            laeufe.push_back(std::async(std::launch::async, [&dienst, v] { hole(dienst, v); }));
        }
        for (auto& lauf : laeufe) {
            lauf.get();
        }
        fuenf.push_back(sekunden(steady_clock::now() - anfang));
    }
    double eins = median(einzeln);
    double alle = median(fuenf);
    std::printf("ein Vergleichsabruf:            %7.1f ms (Median aus %d)\n", eins * 1000, runden);
    std::printf("fünf Vergleichsabrufe zugleich: %7.1f ms (Median aus %d)\n", alle * 1000, runden);
    std::printf("Verhältnis fünf / einer:        %7.2f\n", alle / eins);

    qbtest::Testserver sofort;
    sofort.beantworte("/v1/data/price_information/single", [](const qbtest::Anfrage& a) {
        if (a.wert("mic") == "XETR") {
            return qbtest::Antwort::json("{}");
        }
        return qbtest::Antwort::json(nlohmann::json{
            {"isin", a.wert("isin")}, {"lastPrice", 10}, {"currency", {{"originalValue", "USD"}}}}
                                         .dump());
    });
    sofort.beantworte(
        "/v2/rate/EUR/USD",
        qbtest::Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":1.08})"));
    adressen.boerse = sofort.adresse();
    adressen.ezb = sofort.adresse();
    adressen.sitzung.caDatei = sofort.caDatei();
    const Vergleich fremd{Assetklasse::aktie, "US0378331005"};
    constexpr int vergleiche = 50;
    std::vector<double> neu;
    std::vector<double> offen;
    long handschlaegeNeu = 0;
    long handschlaegeOffen = 0;
    const qb::Kursdienst bleibend = qb::Kursdienst::standard(adressen);
    for (int r = 0; r < vergleiche; ++r) {
        long vorher = sofort.handschlaege();
        auto anfang = steady_clock::now();
        hole(qb::Kursdienst::standard(adressen), fremd);
        neu.push_back(sekunden(steady_clock::now() - anfang));
        handschlaegeNeu += sofort.handschlaege() - vorher;

        vorher = sofort.handschlaege();
        anfang = steady_clock::now();
        hole(bleibend, fremd);
        offen.push_back(sekunden(steady_clock::now() - anfang));
        handschlaegeOffen += sofort.handschlaege() - vorher;
    }
    std::printf("Fremdwährungsaktie, neue Quellen:   %6.2f ms (Median aus %d), %ld Handschläge\n",
                median(neu) * 1000, vergleiche, handschlaegeNeu);
    std::printf("Fremdwährungsaktie, offene Quellen: %6.2f ms (Median aus %d), %ld Handschläge\n",
                median(offen) * 1000, vergleiche, handschlaegeOffen);
    return 0;
}
