#pragma once

// What the comparison benchmarks share: five papers of a game, one of each class, and a local
// HTTPS server that answers every quote and the USD rate after 200 ms, as a busy exchange might.

#include <algorithm>
#include <chrono>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/Assetklasse.h"
#include "sources/Kursdienst.h"
#include "sources/Testserver.h"

namespace qbbench {

struct Papier {
    qb::Assetklasse klasse;
    const char* kennung;
};

// The share, bond, commodity and CO2 rows ask the exchange, the currency row asks the ECB.
inline constexpr Papier fuenfPapiere[] = {
    {qb::Assetklasse::aktie, "DE0007164600"},   {qb::Assetklasse::anleihe, "DE0001102614"},
    {qb::Assetklasse::waehrung, "USD"},         {qb::Assetklasse::rohstoff, "DE0005140008"},
    {qb::Assetklasse::co2Zertifikat, "NL0009235381"},
};

inline void antworteLangsam(qbtest::Testserver& server) {
    using std::chrono::milliseconds;
    server.beantworte("/v1/data/price_information/single", [](const qbtest::Anfrage& a) {
        auto antwort = qbtest::Antwort::json(
            nlohmann::json{{"isin", a.wert("isin")}, {"lastPrice", 10}, {"currency", {{"originalValue", "EUR"}}}}.dump());
        antwort.verzoegerung = milliseconds(200);
        return antwort;
    });
    auto rate = qbtest::Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":1.08})");
    rate.verzoegerung = milliseconds(200);
    server.beantworte("/v2/rate/EUR/USD", rate);
}

// Both sources of the standard bundle on the local server, trusting its certificate.
inline qb::Kursdienst::Adressen adressenVon(const qbtest::Testserver& server) {
    qb::Kursdienst::Adressen adressen;
    adressen.boerse = server.adresse();
    adressen.ezb = server.adresse();
    adressen.sitzung.caDatei = server.caDatei();
    return adressen;
}

inline double median(std::vector<double> werte) {
    std::sort(werte.begin(), werte.end());
    return werte[werte.size() / 2];
}

} // namespace qbbench
