#include <map>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sources/BoerseFrankfurtKursquelle.h"
#include "sources/Isodatum.h"
#include "sources/Testhilfen.h"

using namespace std::chrono_literals;
using nlohmann::json;
using qb::BoerseFrankfurtKursquelle;
using qb::Dezimal;
using qb::Kursart;
using qb::Kursfehler;
using qb::Kursnotierung;
using qb::Notierungsart;
using qbtest::Anfrage;
using qbtest::Antwort;
using qbtest::kursfehler;

namespace {

const char* const einzelPfad = "/v1/data/price_information/single";
const char* const verlaufPfad = "/v1/tradingview/history";
const char* const isin = "DE0007164600";

json gutesEinzel() {
    return json::parse(R"({"isin":"DE0007164600","lastPrice":123.45,"closingPricePrevTradingDay":120.1,
        "currency":{"originalValue":"EUR"},"tradedInPercent":false,"timestampLastPrice":"2024-05-17T17:35:12+02:00",
        "priceFixings":3,"turnoverInPieces":1200,"turnoverInEur":"45678.9","status":200,"other":[1,{}]})");
}

json mit(json basis, const std::string& schluessel, json wert) {
    if (wert.is_discarded()) {
        basis.erase(schluessel);
    } else {
        basis[schluessel] = std::move(wert);
    }
    return basis;
}

const json ohne = json(json::value_t::discarded);

Antwort als(const json& j) {
    return Antwort::json(j.dump());
}

// Friday 2024-05-16/17 and Monday 2024-05-20 at midnight UTC, as the service writes days.
constexpr long long donnerstag = 1715817600;
constexpr long long freitag = 1715904000;
constexpr long long montag = 1716163200;

class BoerseTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    BoerseFrankfurtKursquelle quelle{"Börse Frankfurt", qbtest::abrufFuer(server), server.adresse()};

    // Answers per market code: "XETR", "XFRA".
    void einzelkurs(std::map<std::string, Antwort> jeMarkt) {
        server.beantworte(einzelPfad, [jeMarkt](const Anfrage& a) {
            auto it = jeMarkt.find(a.wert("mic"));
            return it == jeMarkt.end() ? Antwort::nachStatus(598) : it->second;
        });
    }
    void verlauf(std::map<std::string, Antwort> jeMarkt) {
        server.beantworte(verlaufPfad, [jeMarkt](const Anfrage& a) {
            auto it = jeMarkt.find(a.wert("symbol").substr(0, 4));
            return it == jeMarkt.end() ? Antwort::nachStatus(598) : it->second;
        });
    }
    std::vector<std::string> ziele() const {
        std::vector<std::string> liste;
        for (const auto& a : server.anfragen()) {
            liste.push_back(a.ziel);
        }
        return liste;
    }
};

std::string einzelZiel(const std::string& mic, const std::string& i = isin) {
    return std::string(einzelPfad) + "?isin=" + i + "&mic=" + mic;
}

TEST_F(BoerseTest, holtDenAktuellenKursMitAllenFeldern) {
    einzelkurs({{"XETR", als(gutesEinzel())}});
    auto vorher = qb::jetzt();

    Kursnotierung n = quelle.aktuellerKurs("de 000 716 460-0", {});

    EXPECT_EQ(n.kurs, Dezimal::aus("123.45"));
    EXPECT_EQ(n.waehrung, "EUR");
    EXPECT_EQ(n.art, Kursart::letzterHandel);
    EXPECT_EQ(n.notierungsart, Notierungsart::stueckpreis);
    EXPECT_EQ(n.kursdatum, qbtest::utcSekunden(1715960112));
    EXPECT_GE(n.abgerufenAm, vorher);
    EXPECT_LE(n.abgerufenAm, qb::jetzt());
    EXPECT_EQ(n.quelle, "Börse Frankfurt (XETR)");
    EXPECT_EQ(n.handelsumfang, (qb::Handelsumfang{3, 1200, Dezimal::aus("45678.9")}));
    EXPECT_EQ(n.umrechnung, std::nullopt);
    EXPECT_EQ(ziele(), std::vector<std::string>{einzelZiel("XETR")});
}

TEST_F(BoerseTest, prueftKennungenOhneAnfrage) {
    EXPECT_EQ(quelle.pruefe("DE0007164600"), qb::Kennungsurteil::verwendbar);
    EXPECT_EQ(quelle.pruefe("de 000 716 460-0"), qb::Kennungsurteil::verwendbar);
    EXPECT_EQ(quelle.pruefe("XC0009655157"), qb::Kennungsurteil::ohneKurs);
    EXPECT_EQ(quelle.pruefe("DE0007164601"), qb::Kennungsurteil::pruefzifferFalsch);
    EXPECT_EQ(quelle.pruefe("SAP SE"), qb::Kennungsurteil::nichtErkannt);
    EXPECT_EQ(quelle.kennungshinweis(), "ISIN, zum Beispiel DE0007164600");
    EXPECT_EQ(quelle.bezeichnung(), "Börse Frankfurt");

    for (std::string kennung : {"DE0007164601", "SAP SE", ""}) {
        EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs(kennung, {}); }), Kursfehler::kennungUnbekannt(kennung));
        EXPECT_EQ(kursfehler([&] { quelle.kurs(kennung, qbtest::berlin(2024, 5, 19), {}); }),
                  Kursfehler::kennungUnbekannt(kennung));
        EXPECT_EQ(kursfehler([&] { quelle.kursreihe(kennung, qbtest::berlin(2024, 5, 1), qbtest::berlin(2024, 5, 19), {}); }),
                  Kursfehler::kennungUnbekannt(kennung));
    }
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(BoerseTest, folgtDerRegelDerHandelsplaetze) {
    const json preisNull = mit(mit(gutesEinzel(), "lastPrice", 0), "closingPricePrevTradingDay", 0);
    const Kursfehler unbekannt = Kursfehler::kennungUnbekannt(isin);
    const Kursfehler keinKurs = Kursfehler::keinKursEnthalten(isin);
    Antwort zuGross = Antwort::json(std::string(qb::JsonAbruf::hoechstgroesse + 1, ' '));
    auto stockend = [](int status) { // the status, then nothing more of the body until the server ends
        Antwort a = Antwort::json(std::string(100, ' '), status);
        a.stocktNach = 0;
        return a;
    };
    struct Fall {
        const char* name;
        Antwort xetr;
        std::optional<Antwort> xfra;
        std::optional<Kursfehler> erwartet;
    };
    const Fall faelle[] = {
        {"404 dann Preis", Antwort::nachStatus(404), als(gutesEinzel()), std::nullopt},
        {"404 stockt dann Preis", stockend(404), als(gutesEinzel()), std::nullopt},
        {"500 stockt", stockend(500), std::nullopt, Kursfehler::quellenfehler(500)},
        {"400 dann Preis", Antwort::nachStatus(400), als(gutesEinzel()), std::nullopt},
        {"Status 404 im Körper dann Preis", als(mit(gutesEinzel(), "status", 404)), als(gutesEinzel()), std::nullopt},
        {"leeres Objekt dann Preis", als(json::object()), als(gutesEinzel()), std::nullopt},
        {"ohne Währung dann Preis", als(mit(gutesEinzel(), "currency", ohne)), als(gutesEinzel()), std::nullopt},
        {"zweimal 404", Antwort::nachStatus(404), Antwort::nachStatus(404), unbekannt},
        {"410 und 422", Antwort::nachStatus(410), Antwort::nachStatus(422), unbekannt},
        {"zweimal leer", als(json::object()), als(json::object()), unbekannt},
        {"Preise 0 dann 404", als(preisNull), Antwort::nachStatus(404), keinKurs},
        {"404 dann Preise 0", Antwort::nachStatus(404), als(preisNull), keinKurs},
        {"eur klein dann 404", als(mit(gutesEinzel(), "currency", {{"originalValue", "eur"}})),
         Antwort::nachStatus(404), keinKurs},
        {"429", Antwort::nachStatus(429), std::nullopt, Kursfehler::quellenfehler(429)},
        {"500", Antwort::nachStatus(500), std::nullopt, Kursfehler::quellenfehler(500)},
        {"andere ISIN", als(mit(gutesEinzel(), "isin", "DE0001102614")), std::nullopt,
         Kursfehler::antwortUnlesbar("Antwort gehört zu DE0001102614, angefragt war DE0007164600")},
        {"Preis als Strich", als(mit(gutesEinzel(), "lastPrice", "-")), std::nullopt,
         Kursfehler::antwortUnlesbar("Feld „lastPrice“: Zahl nicht lesbar: -")},
        {"zu groß", zuGross, std::nullopt, Kursfehler::antwortUnlesbar("Antwort größer als erlaubt")},
        {"leer", Antwort::json(""), std::nullopt, Kursfehler::antwortUnlesbar("Antwort war leer")},
        // A hard failure on the second market wins over the error held from the first.
        {"kein Kurs dann 500", als(preisNull), Antwort::nachStatus(500), Kursfehler::quellenfehler(500)},
        {"404 dann unlesbar", Antwort::nachStatus(404), Antwort::json("[]"),
         Kursfehler::antwortUnlesbar("Objekt erwartet, gefunden: array")},
    };
    for (const auto& fall : faelle) {
        qbtest::Testserver eigener;
        BoerseFrankfurtKursquelle q{"Börse Frankfurt", qbtest::abrufFuer(eigener), eigener.adresse()};
        eigener.beantworte(einzelPfad, [&fall](const Anfrage& a) {
            if (a.wert("mic") == "XETR") {
                return fall.xetr;
            }
            return fall.xfra ? *fall.xfra : Antwort::nachStatus(598);
        });
        std::vector<std::string> erwarteteZiele{einzelZiel("XETR")};
        if (fall.xfra) {
            erwarteteZiele.push_back(einzelZiel("XFRA"));
        }
        const auto anfang = std::chrono::steady_clock::now();
        if (fall.erwartet) {
            EXPECT_EQ(kursfehler([&] { q.aktuellerKurs(isin, {}); }), *fall.erwartet) << fall.name;
        } else {
            EXPECT_EQ(q.aktuellerKurs(isin, {}).quelle, "Börse Frankfurt (XFRA)") << fall.name;
        }
        // Far below the wait for data, which a stalled body must not cost.
        EXPECT_LT(std::chrono::steady_clock::now() - anfang, 5s) << fall.name;
        std::vector<std::string> ziele;
        for (const auto& a : eigener.anfragen()) {
            ziele.push_back(a.ziel);
        }
        EXPECT_EQ(ziele, erwarteteZiele) << fall.name;
    }
}

TEST_F(BoerseTest, eineAntwortVonAnderswoUndEinStoppEndenOhneZweitenMarkt) {
    const std::string anderswo = "https://localhost:" + std::to_string(server.port()) + "/anderswo";
    server.beantworte("/anderswo", als(gutesEinzel()));
    einzelkurs({{"XETR", Antwort::nach(anderswo)}, {"XFRA", als(gutesEinzel())}});
    EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs(isin, {}); }),
              Kursfehler::netzwerk("Die Antwort kam von einer anderen Adresse"));
    EXPECT_TRUE(server.anfragen(einzelPfad).size() == 1u);

    Antwort langsam = als(gutesEinzel());
    langsam.verzoegerung = 10s;
    einzelkurs({{"XETR", langsam}, {"XFRA", als(gutesEinzel())}});
    std::stop_source stopp;
    std::thread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stopp.request_stop();
    });
    EXPECT_THROW(quelle.aktuellerKurs(isin, stopp.get_token()), qb::Abgebrochen);
    EXPECT_THROW(quelle.kursreihe(isin, qbtest::berlin(2024, 5, 1), qbtest::berlin(2024, 5, 2), stopp.get_token()),
                 qb::Abgebrochen);
    stopper.join();
    auto anfragen = server.anfragen(einzelPfad);
    ASSERT_EQ(anfragen.size(), 2u);
    EXPECT_EQ(anfragen[1].wert("mic"), "XETR");
}

TEST_F(BoerseTest, waehltDenPreisImErlaubtenBereich) {
    struct Fall {
        json lastPrice;
        json closing;
        std::optional<std::string> kurs;
        Kursart art;
    };
    const Fall faelle[] = {
        {1000000, 5, "1000000", Kursart::letzterHandel},
        {"123.45", 5, "123.45", Kursart::letzterHandel},
        {"1.234,5", 5, "1234.5", Kursart::letzterHandel},
        {0.1234567, 5, "0.123457", Kursart::letzterHandel},
        {"1000000.01", 7, "7", Kursart::schlusskursVortag},
        {0, "7.5", "7.5", Kursart::schlusskursVortag},
        {-3, 7, "7", Kursart::schlusskursVortag},
        {nullptr, 7, "7", Kursart::schlusskursVortag},
        {0, 0, std::nullopt, Kursart::letzterHandel},
        {nullptr, 1000001, std::nullopt, Kursart::letzterHandel},
    };
    for (const auto& fall : faelle) {
        json antwort = mit(mit(gutesEinzel(), "lastPrice", fall.lastPrice), "closingPricePrevTradingDay", fall.closing);
        einzelkurs({{"XETR", als(antwort)}, {"XFRA", Antwort::nachStatus(404)}});
        if (fall.kurs) {
            Kursnotierung n = quelle.aktuellerKurs(isin, {});
            EXPECT_EQ(n.kurs, Dezimal::aus(*fall.kurs)) << antwort.dump();
            EXPECT_EQ(n.art, fall.art) << antwort.dump();
            // The date of the last trade is kept whichever price was chosen.
            EXPECT_EQ(n.kursdatum, qbtest::utcSekunden(1715960112));
        } else {
            EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs(isin, {}); }), Kursfehler::keinKursEnthalten(isin))
                << antwort.dump();
        }
    }
}

TEST_F(BoerseTest, liestDieUebrigenFelderDerAntwort) {
    struct Fall {
        json antwort;
        std::optional<Notierungsart> notierungsart;
        std::optional<qb::Zeitpunkt> kursdatum;
        qb::Handelsumfang umfang;
    };
    const qb::Handelsumfang voll{3, 1200, Dezimal::aus("45678.9")};
    json ohneUmfang = mit(mit(mit(gutesEinzel(), "priceFixings", ohne), "turnoverInPieces", ohne), "turnoverInEur", ohne);
    const Fall faelle[] = {
        {mit(gutesEinzel(), "tradedInPercent", true), Notierungsart::prozentVomNennwert,
         qbtest::utcSekunden(1715960112), voll},
        {mit(gutesEinzel(), "tradedInPercent", ohne), std::nullopt, qbtest::utcSekunden(1715960112), voll},
        {mit(gutesEinzel(), "isin", "de0007164600"), Notierungsart::stueckpreis, qbtest::utcSekunden(1715960112), voll},
        {mit(gutesEinzel(), "timestampLastPrice", "2024-05-17T17:35:12.345Z"), Notierungsart::stueckpreis,
         qbtest::utcSekunden(1715967312) + 345ms, voll},
        {mit(gutesEinzel(), "timestampLastPrice", "2024-05-17"), Notierungsart::stueckpreis,
         qbtest::utcSekunden(freitag), voll},
        {mit(gutesEinzel(), "timestampLastPrice", "17.05.2024"), Notierungsart::stueckpreis, std::nullopt, voll},
        {mit(gutesEinzel(), "timestampLastPrice", ohne), Notierungsart::stueckpreis, std::nullopt, voll},
        {ohneUmfang, Notierungsart::stueckpreis, qbtest::utcSekunden(1715960112), qb::Handelsumfang{}},
        // Only the price and the currency: the "isin" may be missing when there is a price.
        {json::parse(R"({"lastPrice":2,"currency":{"originalValue":"USD"}})"), std::nullopt, std::nullopt,
         qb::Handelsumfang{}},
    };
    for (const auto& fall : faelle) {
        einzelkurs({{"XETR", als(fall.antwort)}});
        Kursnotierung n = quelle.aktuellerKurs(isin, {});
        EXPECT_EQ(n.notierungsart, fall.notierungsart) << fall.antwort.dump();
        EXPECT_EQ(n.kursdatum, fall.kursdatum) << fall.antwort.dump();
        EXPECT_EQ(n.handelsumfang, fall.umfang) << fall.antwort.dump();
    }
}

TEST_F(BoerseTest, einFeldFalschenTypsMachtDieAntwortUnlesbar) {
    struct Fall {
        const char* schluessel;
        json wert;
        const char* grund;
    };
    const Fall faelle[] = {
        {"isin", 5, "Feld „isin“: Text erwartet, gefunden: number"},
        {"currency", "EUR", "Feld „currency“: Objekt erwartet, gefunden: string"},
        {"currency", {{"originalValue", 978}}, "Feld „currency.originalValue“: Text erwartet, gefunden: number"},
        {"tradedInPercent", "ja", "Feld „tradedInPercent“: Wahrheitswert erwartet, gefunden: string"},
        {"priceFixings", 1.5, "Feld „priceFixings“: keine Ganzzahl"},
        {"turnoverInPieces", "12", "Feld „turnoverInPieces“: Ganzzahl erwartet, gefunden: string"},
        {"status", true, "Feld „status“: Ganzzahl erwartet, gefunden: boolean"},
        {"turnoverInEur", json::array(), "Feld „turnoverInEur“: Zahl erwartet, gefunden: array"},
        {"timestampLastPrice", 1715960112, "Feld „timestampLastPrice“: Text erwartet, gefunden: number"},
    };
    for (const auto& fall : faelle) {
        einzelkurs({{"XETR", als(mit(gutesEinzel(), fall.schluessel, fall.wert))}, {"XFRA", als(gutesEinzel())}});
        EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs(isin, {}); }), Kursfehler::antwortUnlesbar(fall.grund))
            << fall.schluessel;
    }
    // Null is an absent value, and a whole number written as 3.0 is still whole.
    einzelkurs({{"XETR", als(mit(mit(gutesEinzel(), "status", nullptr), "priceFixings", 3.0))}});
    EXPECT_EQ(quelle.aktuellerKurs(isin, {}).handelsumfang->preisfeststellungen, 3);
}

TEST_F(BoerseTest, eineUnbrauchbareAdresseWirdNichtAngefragt) {
    BoerseFrankfurtKursquelle kaputt{"Börse Frankfurt", qbtest::abrufFuer(server), "keine adresse"};
    EXPECT_EQ(kursfehler([&] { kaputt.aktuellerKurs(isin, {}); }), Kursfehler::antwortUnlesbar("Adresse nicht bildbar"));
    EXPECT_EQ(kursfehler([&] { kaputt.kurs(isin, qbtest::berlin(2024, 5, 19), {}); }),
              Kursfehler::antwortUnlesbar("Adresse nicht bildbar"));
    BoerseFrankfurtKursquelle unverschluesselt{"Börse Frankfurt", qbtest::abrufFuer(server),
                                               "http://127.0.0.1:" + std::to_string(server.port())};
    EXPECT_EQ(kursfehler([&] { unverschluesselt.aktuellerKurs(isin, {}); }),
              Kursfehler::netzwerk("Nur HTTPS ist erlaubt"));
    EXPECT_TRUE(server.anfragen().empty());
}

json verlaufJson(std::vector<json> c, std::vector<long long> t, const char* s = "ok") {
    return json{{"s", s}, {"c", c}, {"t", t}};
}

TEST_F(BoerseTest, kursAmSonntagIstDerSchlusskursVomFreitag) {
    einzelkurs({{"XETR", als(mit(gutesEinzel(), "tradedInPercent", true))}});
    verlauf({{"XETR", als(verlaufJson({"101.5", 102, 99}, {donnerstag, freitag, montag}))}});

    Kursnotierung n = quelle.kurs("DE0007164600", qbtest::berlin(2024, 5, 19, 15, 30), {});

    EXPECT_EQ(n.kurs, Dezimal(102));
    EXPECT_EQ(n.waehrung, "EUR");
    EXPECT_EQ(n.art, Kursart::tagesschluss);
    EXPECT_EQ(n.notierungsart, Notierungsart::prozentVomNennwert);
    EXPECT_EQ(n.kursdatum, qbtest::utcSekunden(freitag));
    EXPECT_EQ(n.quelle, "Börse Frankfurt (XETR, Kurshistorie)");
    EXPECT_EQ(n.handelsumfang, std::nullopt);
    EXPECT_EQ(n.umrechnung, std::nullopt);
    // From midnight 14 days before the day to its last second, Berlin time, in whole seconds.
    EXPECT_EQ(ziele(), (std::vector<std::string>{
                           einzelZiel("XETR"),
                           std::string(verlaufPfad) +
                               "?symbol=XETR%3ADE0007164600&resolution=D&from=1714860000&to=1716155999"}));
    auto historie = server.anfragen(verlaufPfad).at(0);
    EXPECT_EQ(historie.wert("symbol"), "XETR:DE0007164600");
    EXPECT_EQ(historie.wert("resolution"), "D");
}

TEST_F(BoerseTest, kursAmTagNimmtDenErstenVonGleichenTagenAusDerSortiertenListe) {
    einzelkurs({{"XETR", als(gutesEinzel())}});
    verlauf({{"XETR", als(verlaufJson({99, 7, 8, 5, 0}, {montag, freitag, freitag, donnerstag, freitag + 3600}))}});
    EXPECT_EQ(quelle.kurs(isin, qbtest::berlin(2024, 5, 19), {}).kurs, Dezimal(7));
}

TEST_F(BoerseTest, verlaufOhneBrauchbarenPunktGehtZumNaechstenMarkt) {
    const json guterVerlauf = verlaufJson({50}, {freitag});
    struct Fall {
        const char* name;
        json xetrVerlauf;
    };
    const Fall faelle[] = {
        {"no_data", verlaufJson({1}, {freitag}, "no_data")},
        {"OK gross", verlaufJson({1}, {freitag}, "OK")},
        {"ohne s", json{{"c", {1}}, {"t", {freitag}}}},
        {"ohne c", json{{"s", "ok"}, {"t", {freitag}}}},
        {"ungleich lang", verlaufJson({1, 2, 3}, {donnerstag, freitag})},
        {"nur nach dem Tag", verlaufJson({1}, {montag})},
        {"nur unbrauchbare Preise", verlaufJson({0, -1, "1000000.01"}, {donnerstag, freitag, freitag})},
        {"leer", verlaufJson({}, {})},
    };
    for (const auto& fall : faelle) {
        einzelkurs({{"XETR", als(gutesEinzel())}, {"XFRA", als(gutesEinzel())}});
        verlauf({{"XETR", als(fall.xetrVerlauf)}, {"XFRA", als(guterVerlauf)}});
        Kursnotierung n = quelle.kurs(isin, qbtest::berlin(2024, 5, 19), {});
        EXPECT_EQ(n.quelle, "Börse Frankfurt (XFRA, Kurshistorie)") << fall.name;
        EXPECT_EQ(n.kurs, Dezimal(50)) << fall.name;

        verlauf({{"XETR", als(fall.xetrVerlauf)}, {"XFRA", Antwort::nachStatus(404)}});
        EXPECT_EQ(kursfehler([&] { quelle.kurs(isin, qbtest::berlin(2024, 5, 19), {}); }),
                  Kursfehler::keinKursEnthalten(isin))
            << fall.name;
    }
}

TEST_F(BoerseTest, historieEndetBeiHartenFehlernSofort) {
    struct Fall {
        const char* name;
        Antwort einzel;
        Antwort historie;
        Kursfehler erwartet;
        std::size_t anfragen;
    };
    const Fall faelle[] = {
        {"andere ISIN", als(mit(gutesEinzel(), "isin", "DE0001102614")), als(verlaufJson({1}, {freitag})),
         Kursfehler::antwortUnlesbar("Antwort gehört zu DE0001102614, angefragt war DE0007164600"), 1},
        {"Text in t", als(gutesEinzel()), Antwort::json(R"({"s":"ok","c":[1],"t":["x"]})"),
         Kursfehler::antwortUnlesbar("Feld „t[0]“: Ganzzahl erwartet, gefunden: string"), 2},
        {"null in c", als(gutesEinzel()), Antwort::json(R"({"s":"ok","c":[1,null],"t":[1,2]})"),
         Kursfehler::antwortUnlesbar("Feld „c[1]“: Zahl erwartet, gefunden: null"), 2},
        {"Historie 500", als(gutesEinzel()), Antwort::nachStatus(500), Kursfehler::quellenfehler(500), 2},
    };
    for (const auto& fall : faelle) {
        qbtest::Testserver eigener;
        BoerseFrankfurtKursquelle q{"Börse Frankfurt", qbtest::abrufFuer(eigener), eigener.adresse()};
        eigener.beantworte(einzelPfad, fall.einzel);
        eigener.beantworte(verlaufPfad, fall.historie);
        EXPECT_EQ(kursfehler([&] { q.kurs(isin, qbtest::berlin(2024, 5, 19), {}); }), fall.erwartet) << fall.name;
        EXPECT_EQ(eigener.anfragen().size(), fall.anfragen) << fall.name;
        EXPECT_EQ(kursfehler([&] { q.kursreihe(isin, qbtest::berlin(2024, 5, 1), qbtest::berlin(2024, 5, 19), {}); }),
                  fall.erwartet)
            << fall.name;
    }
}

TEST_F(BoerseTest, kursreiheSortiertUndFiltertDiePunkte) {
    einzelkurs({{"XETR", Antwort::nachStatus(404)},
                {"XFRA", als(mit(gutesEinzel(), "currency", {{"originalValue", "USD"}}))}});
    verlauf({{"XFRA", als(verlaufJson({3, 0, "2,5", -1, 1, "1000000.01", 1000000},
                                      {montag, donnerstag, freitag, freitag, donnerstag, freitag, freitag}))}});
    // Fractions of a second are cut off toward zero.
    auto von = qbtest::utcSekunden(1714860000) + 900ms;
    auto bis = qbtest::utcSekunden(1716155999) + 999ms;

    qb::Kursreihe reihe = quelle.kursreihe(isin, von, bis, {});

    EXPECT_EQ(reihe.waehrung, "USD");
    EXPECT_EQ(reihe.quelle, "Börse Frankfurt (XFRA, Kurshistorie)");
    EXPECT_EQ(reihe.punkte, (std::vector<qb::Kurspunkt>{{qbtest::utcSekunden(donnerstag), Dezimal(1), std::nullopt},
                                                        {qbtest::utcSekunden(freitag), Dezimal::aus("2.5"), std::nullopt},
                                                        {qbtest::utcSekunden(freitag), Dezimal(1000000), std::nullopt},
                                                        {qbtest::utcSekunden(montag), Dezimal(3), std::nullopt}}));
    auto historie = server.anfragen(verlaufPfad);
    ASSERT_EQ(historie.size(), 1u);
    EXPECT_EQ(historie[0].ziel, std::string(verlaufPfad) +
                                    "?symbol=XFRA%3ADE0007164600&resolution=D&from=1714860000&to=1716155999");
}

TEST(Isodatum, liestDieDreiFormenDesZeitstempels) {
    struct Fall {
        const char* text;
        std::optional<qb::Zeitpunkt> zeit;
    };
    const Fall faelle[] = {
        {"2024-05-17T17:35:12Z", qbtest::utcSekunden(1715967312)},
        {"2024-05-17T17:35:12+02:00", qbtest::utcSekunden(1715960112)},
        {"2024-05-17T17:35:12-01:30", qbtest::utcSekunden(1715967312 + 5400)},
        {"2024-05-17T17:35:12.5Z", qbtest::utcSekunden(1715967312) + 500ms},
        {"2024-05-17T17:35:12.1234567+00:00", qbtest::utcSekunden(1715967312) + 123456us},
        {"2024-05-17", qbtest::utcSekunden(freitag)},
        {"2024-05-17T17:35:12", std::nullopt},
        {"2024-05-17T17:35Z", std::nullopt},
        {"2024-05-17T24:00:00Z", std::nullopt},
        {"2024-02-30", std::nullopt},
        {"2024-05-17T17:35:12.Z", std::nullopt},
        {"2024-05-17T17:35:12+0200", std::nullopt},
        {"17.05.2024", std::nullopt},
        {"2024-05-17 ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(qb::Isodatum::zeitstempel(fall.text), fall.zeit) << fall.text;
    }
}

} // namespace
