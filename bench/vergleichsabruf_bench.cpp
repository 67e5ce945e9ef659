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

#include "LangsamerServer.h"
#include "sources/Kursdienst.h"
#include "sources/Testserver.h"

namespace {

using namespace std::chrono;
using qb::Assetklasse;

void hole(const qb::Kursdienst& dienst, const qbbench::Papier& v) {
    auto notierung = dienst.quelle(v.klasse).aktuellerKurs(v.kennung, {});
    dienst.inEuro(notierung, std::nullopt, {});
}

double sekunden(steady_clock::duration d) {
    return duration<double>(d).count();
}

} // namespace

int main() {
    qbtest::Testserver server;
    qbbench::antworteLangsam(server);

    const qb::Kursdienst dienst = qb::Kursdienst::standard(qbbench::adressenVon(server));

    constexpr int runden = 7;
    std::vector<double> einzeln;
    std::vector<double> fuenf;
    for (int r = 0; r < runden; ++r) {
        auto anfang = steady_clock::now();
        hole(dienst, qbbench::fuenfPapiere[0]);
        einzeln.push_back(sekunden(steady_clock::now() - anfang));

        anfang = steady_clock::now();
        std::vector<std::future<void>> laeufe;
        for (const auto& v : qbbench::fuenfPapiere) {
            laeufe.push_back(std::async(std::launch::async, [&dienst, v] { hole(dienst, v); }));
        }
        for (auto& lauf : laeufe) {
            lauf.get();
        }
        fuenf.push_back(sekunden(steady_clock::now() - anfang));
    }
    double eins = qbbench::median(einzeln);
    double alle = qbbench::median(fuenf);
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
    const auto adressen = qbbench::adressenVon(sofort);
    const qbbench::Papier fremd{Assetklasse::aktie, "US0378331005"};
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
                qbbench::median(neu) * 1000, vergleiche, handschlaegeNeu);
    std::printf("Fremdwährungsaktie, offene Quellen: %6.2f ms (Median aus %d), %ld Handschläge\n",
                qbbench::median(offen) * 1000, vergleiche, handschlaegeOffen);
    return 0;
}
