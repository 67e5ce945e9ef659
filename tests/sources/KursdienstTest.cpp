#include <condition_variable>
#include <cstdlib>
#include <future>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sources/Kursdienst.h"
#include "Umgebung.h"
#include "sources/Testhilfen.h"

using namespace std::chrono_literals;
using nlohmann::json;
using qb::Dezimal;
using qb::Kursdienst;
using qb::Kursfehler;
using qb::Kursnotierung;
using qb::Kursreihe;
using qb::Kurspunkt;
using qbtest::Anfrage;
using qbtest::Antwort;
using qbtest::berlin;
using qbtest::kursfehler;

namespace {

const char* const ohneCode = "Die Quelle nennt keinen gültigen Währungscode.";
const char* const unplausibel = "Der umgerechnete Kurs liegt außerhalb jeder plausiblen Größe.";

// A rate source seen from above: fixed answers, and a record of what it was asked.
class FesteUmrechnung : public qb::Umrechnungsquelle {
public:
    Dezimal kurs = Dezimal(1);
    std::vector<Kurspunkt> reihe;
    std::function<void()> fehler;
    mutable std::vector<std::pair<std::string, std::optional<qb::Zeitpunkt>>> gefragt;

    Dezimal umrechnungskurs(std::string_view waehrung, std::optional<qb::Zeitpunkt> am, std::stop_token) const override {
        gefragt.emplace_back(std::string(waehrung), am);
        if (fehler) {
            fehler();
        }
        return kurs;
    }
    std::vector<Kurspunkt> umrechnungsreihe(std::string_view waehrung, qb::Zeitpunkt von, qb::Zeitpunkt,
                                            std::stop_token) const override {
        gefragt.emplace_back(std::string(waehrung), von);
        if (fehler) {
            fehler();
        }
        return reihe;
    }
};

// A quote source that only records the identifiers it was asked to judge.
class MerkendeQuelle : public qb::Kursquelle {
public:
    explicit MerkendeQuelle(std::string name) : name_(std::move(name)) {}
    mutable std::vector<std::string> geprueft;

    const std::string& bezeichnung() const override { return name_; }
    std::string_view kennungshinweis() const override { return ""; }
    qb::Kennungsurteil pruefe(std::string_view kennung) const override {
        geprueft.emplace_back(kennung);
        return qb::Kennungsurteil::ohneKurs;
    }
    Kursnotierung aktuellerKurs(std::string_view, std::stop_token) const override { throw std::logic_error("nie"); }
    Kursnotierung kurs(std::string_view, qb::Zeitpunkt, std::stop_token) const override { throw std::logic_error("nie"); }
    Kursreihe kursreihe(std::string_view, qb::Zeitpunkt, qb::Zeitpunkt, std::stop_token) const override {
        throw std::logic_error("nie");
    }

private:
    std::string name_;
};

Kursnotierung notierung(const char* kurs, std::string waehrung) {
    Kursnotierung n;
    n.kurs = Dezimal::aus(kurs);
    n.waehrung = std::move(waehrung);
    n.art = qb::Kursart::schlusskursVortag;
    n.notierungsart = qb::Notierungsart::prozentVomNennwert;
    n.kursdatum = berlin(2024, 5, 17, 17, 35);
    n.abgerufenAm = berlin(2024, 5, 19, 9);
    n.quelle = "Börse Frankfurt (XETR)";
    n.handelsumfang = qb::Handelsumfang{3, 1200, std::nullopt};
    return n;
}

json rate(const char* datum, const char* wert) {
    return json{{"date", datum}, {"base", "EUR"}, {"quote", "USD"}, {"rate", wert}};
}

const char* const einzelPfad = "/v1/data/price_information/single";
const char* const usdPfad = "/v2/rate/EUR/USD";

// What the exchange sends for a paper it does not know on a market: a 404 with a body.
Antwort unbekannterWert() {
    return Antwort::json(R"({"messages":["Instrument not found"],"status":404})", 404);
}

Antwort einzelkurs(const std::string& isin, int preis, const char* waehrung) {
    return Antwort::json(json{{"isin", isin}, {"lastPrice", preis}, {"currency", {{"originalValue", waehrung}}}}.dump());
}

class KursdienstTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    Kursdienst dienst = Kursdienst::standard(adressen());
    std::shared_ptr<FesteUmrechnung> fest = std::make_shared<FesteUmrechnung>();
    std::shared_ptr<MerkendeQuelle> wertpapiere = std::make_shared<MerkendeQuelle>("W");
    std::shared_ptr<MerkendeQuelle> waehrungen = std::make_shared<MerkendeQuelle>("Z");
    Kursdienst vonOben{wertpapiere, waehrungen, fest};

    Kursdienst::Adressen adressen() const {
        Kursdienst::Adressen a;
        a.boerse = server.adresse();
        a.ezb = server.adresse();
        a.sitzung.caDatei = server.caDatei();
        return a;
    }
};

TEST_F(KursdienstTest, einEuroKursBleibtUnveraendert) {
    for (std::string code : {"EUR", "eur", " EUR"}) {
        Kursnotierung n = notierung("12.5", code);
        n.umrechnung = qb::Umrechnung{Dezimal(1), "XYZ", Dezimal(2)};
        EXPECT_EQ(dienst.inEuro(n, std::nullopt, {}), n) << code;
        Kursreihe reihe{{{berlin(2024, 5, 17), Dezimal(3), std::nullopt}}, code, "Q"};
        Kursreihe zurueck = dienst.reiheInEuro(reihe, berlin(2024, 5, 1), berlin(2024, 5, 19), {});
        EXPECT_EQ(zurueck.punkte, reihe.punkte);
        EXPECT_EQ(zurueck.waehrung, code);
    }
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(KursdienstTest, rechnetEinenFremdenKursMitDemEzbKursUm) {
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "1.1").dump()));
    Kursnotierung usd = notierung("110", "usd");
    usd.umrechnung = qb::Umrechnung{Dezimal(9), "GBP", Dezimal(9)};

    Kursnotierung aktuell = dienst.inEuro(usd, std::nullopt, {});
    Kursnotierung amTag = dienst.inEuro(usd, berlin(2024, 5, 19, 12), {});

    Kursnotierung erwartet = usd;
    erwartet.kurs = Dezimal(100);
    erwartet.waehrung = "EUR";
    erwartet.umrechnung = qb::Umrechnung{Dezimal(110), "USD", Dezimal::aus("1.1")};
    EXPECT_EQ(aktuell, erwartet);
    EXPECT_EQ(amTag, erwartet);
    auto anfragen = server.anfragen();
    ASSERT_EQ(anfragen.size(), 2u);
    EXPECT_EQ(anfragen[0].ziel, "/v2/rate/EUR/USD?providers=ECB");
    EXPECT_EQ(anfragen[1].ziel, "/v2/rate/EUR/USD?providers=ECB&date=2024-05-19");
}

TEST_F(KursdienstTest, einUmgerechneterKursMussPlausibelSein) {
    struct Fall {
        const char* kurs;
        const char* rate;
        std::optional<const char*> euro;
    };
    const Fall faelle[] = {
        {"1000000000", "1", "1000000000"},
        {"110", "3", "36.666666666667"},
        {"1000000000.01", "1", std::nullopt},
        {"110", "0", std::nullopt},
        {"110", "-1.1", std::nullopt},
        {"0.0000000000004", "1", std::nullopt},
        {"-5", "1", std::nullopt},
    };
    for (const auto& fall : faelle) {
        fest->kurs = Dezimal::aus(fall.rate);
        if (fall.euro) {
            EXPECT_EQ(vonOben.inEuro(notierung(fall.kurs, "USD"), std::nullopt, {}).kurs, Dezimal::aus(*fall.euro));
        } else {
            EXPECT_EQ(kursfehler([&] { vonOben.inEuro(notierung(fall.kurs, "USD"), std::nullopt, {}); }),
                      Kursfehler::keineUmrechnung("USD", unplausibel))
                << fall.kurs << " / " << fall.rate;
        }
    }
}

TEST_F(KursdienstTest, keinWaehrungscodeHeisstKeineUmrechnung) {
    for (std::string text : {"", "U$D", "US", "€UR"}) {
        const Kursfehler erwartet = Kursfehler::keineUmrechnung(text, ohneCode);
        EXPECT_EQ(kursfehler([&] { vonOben.inEuro(notierung("1", text), std::nullopt, {}); }), erwartet);
        EXPECT_EQ(kursfehler([&] { vonOben.ezbKurs(text, std::nullopt, {}); }), erwartet);
        EXPECT_EQ(kursfehler([&] { vonOben.reiheInEuro(Kursreihe{{}, text, "Q"}, berlin(2024, 5, 1), berlin(2024, 5, 2), {}); }),
                  erwartet);
    }
    EXPECT_TRUE(fest->gefragt.empty());
}

TEST_F(KursdienstTest, ezbKursFragtDieQuelleUndHuelltIhreFehlerEin) {
    EXPECT_EQ(vonOben.ezbKurs("EUR", std::nullopt, {}), Dezimal(1));
    EXPECT_EQ(vonOben.ezbKurs(" usd", berlin(2024, 5, 19), {}), Dezimal(1));
    EXPECT_EQ(fest->gefragt, (std::vector<std::pair<std::string, std::optional<qb::Zeitpunkt>>>{
                                 {"EUR", std::nullopt}, {"USD", berlin(2024, 5, 19)}}));

    fest->fehler = [] { throw std::runtime_error("kaputt"); };
    EXPECT_EQ(kursfehler([&] { vonOben.ezbKurs("usd", std::nullopt, {}); }), Kursfehler::keineUmrechnung("USD", "kaputt"));

    struct Fall {
        Antwort antwort;
        const char* grund;
    };
    const Fall faelle[] = {
        {Antwort::nachStatus(404), "Die Kennung USD ist bei dieser Quelle nicht bekannt."},
        {Antwort::nachStatus(500), "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen."},
        {Antwort::nachStatus(429), "Zu viele Anfragen an die Quelle. In ein paar Minuten erneut versuchen."},
        {Antwort::json(rate("2024-05-17", "0").dump()), "Zu USD lag kein verwertbarer Kurs vor."},
        {Antwort::json("{"), "Die Antwort der Quelle war nicht lesbar: Kein gültiges JSON (Byte 2)"},
    };
    for (const auto& fall : faelle) {
        server.beantworte("/v2/rate/EUR/USD", fall.antwort);
        const Kursfehler erwartet = Kursfehler::keineUmrechnung("USD", fall.grund);
        EXPECT_EQ(kursfehler([&] { dienst.ezbKurs("usd", std::nullopt, {}); }), erwartet);
        EXPECT_EQ(kursfehler([&] { dienst.inEuro(notierung("1", "USD"), std::nullopt, {}); }), erwartet);
        EXPECT_EQ(erwartet.meldung(), std::string("Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: ") +
                                          fall.grund);
    }
}

TEST_F(KursdienstTest, einAbbruchBleibtEinAbbruch) {
    Antwort langsam = Antwort::json(rate("2024-05-17", "1.1").dump());
    langsam.verzoegerung = 10s;
    server.beantworte("/v2/rate/EUR/USD", langsam);
    server.beantworte("/v2/rates", langsam);
    const std::function<void(std::stop_token)> aufrufe[] = {
        [&](std::stop_token s) { dienst.inEuro(notierung("1", "USD"), std::nullopt, s); },
        [&](std::stop_token s) { dienst.ezbKurs("USD", berlin(2024, 5, 17), s); },
        [&](std::stop_token s) {
            dienst.reiheInEuro(Kursreihe{{}, "USD", "Q"}, berlin(2024, 5, 1), berlin(2024, 5, 2), s);
        },
    };
    for (const auto& aufruf : aufrufe) {
        std::stop_source stopp;
        auto ende = std::async(std::launch::async, [&] {
            try {
                aufruf(stopp.get_token());
            } catch (const qb::Abgebrochen&) {
                return std::string("abgebrochen");
            } catch (const std::exception& fehler) {
                return std::string(fehler.what());
            }
            return std::string("fertig");
        });
        std::this_thread::sleep_for(100ms);
        stopp.request_stop();
        ASSERT_EQ(ende.wait_for(2s), std::future_status::ready);
        EXPECT_EQ(ende.get(), "abgebrochen");
    }
}

TEST_F(KursdienstTest, rechnetEineReiheMitDemLetztenKursAmOderVorDemTagUm) {
    // Rates at local midnight, history points at midnight UTC, as the two services write them.
    server.beantworte("/v2/rates",
                      Antwort::json(json::array({rate("2024-05-14", "1.25"), rate("2024-05-10", "1.1"),
                                                 rate("2024-05-10", "2"), rate("2024-05-16", "4")})
                                        .dump()));
    const auto montag = qbtest::utcSekunden(1715558400);   // 2024-05-13
    const auto dienstag = qbtest::utcSekunden(1715644800); // 2024-05-14
    const auto mittwoch = qbtest::utcSekunden(1715731200); // 2024-05-15
    Kursreihe usd{{{dienstag, Dezimal(10), std::nullopt},
                   {montag, Dezimal(11), std::nullopt},
                   {mittwoch, Dezimal(5), std::nullopt}},
                  "USD",
                  "Börse Frankfurt (XETR, Kurshistorie)"};

    Kursreihe euro = dienst.reiheInEuro(usd, montag, berlin(2024, 5, 16, 12), {});

    EXPECT_EQ(euro.waehrung, "EUR");
    EXPECT_EQ(euro.quelle, "Börse Frankfurt (XETR, Kurshistorie)");
    EXPECT_EQ(euro.punkte, (std::vector<Kurspunkt>{
                               {dienstag, Dezimal(8), qb::Umrechnung{Dezimal(10), "USD", Dezimal::aus("1.25")}},
                               {montag, Dezimal(10), qb::Umrechnung{Dezimal(11), "USD", Dezimal::aus("1.1")}},
                               {mittwoch, Dezimal(4), qb::Umrechnung{Dezimal(5), "USD", Dezimal::aus("1.25")}}}));
    auto anfragen = server.anfragen();
    ASSERT_EQ(anfragen.size(), 1u);
    EXPECT_EQ(anfragen[0].ziel, "/v2/rates?base=EUR&quotes=USD&from=2024-04-29&to=2024-05-16&providers=ECB");
}

TEST_F(KursdienstTest, eineReiheScheitertGanzOderGarNicht) {
    const auto deutsch = qbtest::Umgebung::deutsch(); // the message writes the day in the user's locale
    server.beantworte("/v2/rates", Antwort::json(json::array({rate("2024-05-10", "1.1")}).dump()));
    Kursreihe frueh{{{qbtest::utcSekunden(1715558400), Dezimal(1), std::nullopt},
                     {qbtest::utcSekunden(1714953600), Dezimal(1), std::nullopt}},
                    "USD",
                    "Q"};
    EXPECT_EQ(kursfehler([&] { dienst.reiheInEuro(frueh, berlin(2024, 5, 6), berlin(2024, 5, 14), {}); }),
              Kursfehler::keineUmrechnung("USD", "Für den 6.5.2024 liegt kein EZB-Kurs vor."));

    Kursreihe leer = dienst.reiheInEuro(Kursreihe{{}, "usd", "Q"}, berlin(2024, 5, 6), berlin(2024, 5, 14), {});
    EXPECT_TRUE(leer.punkte.empty());
    EXPECT_EQ(leer.waehrung, "EUR");
    EXPECT_EQ(leer.quelle, "Q");
    EXPECT_EQ(server.anfragen().size(), 2u);

    server.beantworte("/v2/rates", Antwort::nachStatus(404));
    EXPECT_EQ(kursfehler([&] { dienst.reiheInEuro(frueh, berlin(2024, 5, 6), berlin(2024, 5, 14), {}); }),
              Kursfehler::keineUmrechnung("USD", "Die Kennung USD ist bei dieser Quelle nicht bekannt."));

    fest->reihe = {{berlin(2024, 5, 1), Dezimal(0), std::nullopt}};
    EXPECT_EQ(kursfehler([&] { vonOben.reiheInEuro(frueh, berlin(2024, 5, 6), berlin(2024, 5, 14), {}); }),
              Kursfehler::keineUmrechnung("USD", unplausibel));
    EXPECT_EQ(fest->gefragt.back(), (std::pair<std::string, std::optional<qb::Zeitpunkt>>{"USD", berlin(2024, 4, 22)}));
}

TEST_F(KursdienstTest, prueftDieKennungBeiDerQuelleDerKlasse) {
    EXPECT_EQ(vonOben.pruefe(" \t ", qb::Assetklasse::aktie), qb::Kennungsurteil::nichtErkannt);
    EXPECT_EQ(vonOben.pruefe("", qb::Assetklasse::waehrung), qb::Kennungsurteil::nichtErkannt);
    EXPECT_TRUE(wertpapiere->geprueft.empty());
    EXPECT_TRUE(waehrungen->geprueft.empty());

    EXPECT_EQ(vonOben.pruefe("\tUSD ", qb::Assetklasse::waehrung), qb::Kennungsurteil::ohneKurs);
    for (auto klasse : {qb::Assetklasse::aktie, qb::Assetklasse::anleihe, qb::Assetklasse::rohstoff,
                        qb::Assetklasse::co2Zertifikat}) {
        vonOben.pruefe(" DE0007164600\n", klasse);
    }
    EXPECT_EQ(waehrungen->geprueft, std::vector<std::string>{"USD"});
    EXPECT_EQ(wertpapiere->geprueft, std::vector<std::string>(4, "DE0007164600\n"));

    EXPECT_EQ(dienst.pruefe("XC0009655157", qb::Assetklasse::rohstoff), qb::Kennungsurteil::ohneKurs);
    EXPECT_EQ(dienst.pruefe(" usd ", qb::Assetklasse::waehrung), qb::Kennungsurteil::verwendbar);
    EXPECT_EQ(dienst.pruefe("USD", qb::Assetklasse::aktie), qb::Kennungsurteil::nichtErkannt);
    EXPECT_EQ(&dienst.quelle(qb::Assetklasse::waehrung), &dienst.waehrungen());
    EXPECT_EQ(&dienst.quelle(qb::Assetklasse::anleihe), &dienst.wertpapiere());
    EXPECT_EQ(dienst.wertpapiere().bezeichnung(), "Börse Frankfurt");
    EXPECT_EQ(dienst.waehrungen().bezeichnung(), "EZB-Referenzkurs");
}

TEST_F(KursdienstTest, fuenfVergleichsabrufeLaufenGleichzeitig) {
    const std::vector<std::string> isins{"DE0007164600", "US0378331005", "DE0001102614", "DE0005140008", "NL0009235381"};
    std::mutex mutex;
    std::condition_variable alleDa;
    int laufend = 0;
    int hoechstens = 0;
    // Each answer waits until all five requests are in; one after the other they would never meet.
    server.beantworte("/v1/data/price_information/single", [&](const Anfrage& a) {
        std::unique_lock sperre(mutex);
        hoechstens = std::max(hoechstens, ++laufend);
        alleDa.notify_all();
        alleDa.wait_for(sperre, 5s, [&] { return hoechstens >= 5; });
        --laufend;
        std::size_t nummer = std::find(isins.begin(), isins.end(), a.wert("isin")) - isins.begin();
        return Antwort::json(json{{"isin", a.wert("isin")},
                                  {"lastPrice", 10 * (nummer + 1)},
                                  {"currency", {{"originalValue", "USD"}}}}
                                 .dump());
    });
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "2").dump()));

    std::vector<std::future<Kursnotierung>> abrufe;
    for (const auto& isin : isins) {
        abrufe.push_back(std::async(std::launch::async, [this, isin] {
            return dienst.inEuro(dienst.quelle(qb::Assetklasse::aktie).aktuellerKurs(isin, {}), std::nullopt, {});
        }));
    }
    for (std::size_t i = 0; i < abrufe.size(); ++i) {
        Kursnotierung n = abrufe[i].get();
        EXPECT_EQ(n.kurs, Dezimal(static_cast<int>(5 * (i + 1)))) << isins[i];
        EXPECT_EQ(n.umrechnung, (qb::Umrechnung{Dezimal(static_cast<int>(10 * (i + 1))), "USD", Dezimal(2)}));
    }
    EXPECT_EQ(hoechstens, 5);
    EXPECT_EQ(server.anfragen().size(), 10u);
}

TEST_F(KursdienstTest, einVergleichBrauchtJeQuelleEinenHandschlag) {
    // The first market does not know the paper, the second quotes in USD; then the ECB rate.
    server.beantworte(einzelPfad, [](const Anfrage& a) {
        if (a.wert("mic") == "XETR") {
            return unbekannterWert();
        }
        return einzelkurs(a.wert("isin"), 11, "USD");
    });
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "1.1").dump()));

    for (int vergleich = 1; vergleich <= 3; ++vergleich) {
        Kursnotierung n = dienst.inEuro(dienst.wertpapiere().aktuellerKurs("US0378331005", {}), std::nullopt, {});
        EXPECT_EQ(n.kurs, Dezimal(10));
        EXPECT_EQ(server.anfragen().size(), 3u * vergleich);
        // Exchange and ECB are two hosts in the field and two sessions here, even though the test
        // server plays both: one handshake each, however many comparisons follow.
        EXPECT_EQ(server.handschlaege(), 2) << vergleich;
    }
    auto boerse = server.anfragen("/v1/data/price_information/single");
    ASSERT_EQ(boerse.size(), 6u);
    for (const auto& anfrage : boerse) {
        EXPECT_EQ(anfrage.verbindung, boerse[0].verbindung);
    }
    EXPECT_NE(server.anfragen("/v2/rate/EUR/USD")[0].verbindung, boerse[0].verbindung);
}

TEST_F(KursdienstTest, einUnbekannterWertKostetKeineNeueVerbindung) {
    // XETR knows the German papers, XFRA the American one in USD; nobody knows the British one.
    const std::string apple = "US0378331005";
    const std::string unbekannt = "GB0002634946";
    const std::vector<std::string> fuenf{"DE0007164600", apple, "DE0001102614", "DE0005140008", "DE0007100000"};
    struct Fall {
        const char* name;
        std::vector<std::vector<std::string>> runden;
        bool zugleich;
        std::size_t boerse;
        std::size_t ezb;
    };
    const Fall faelle[] = {
        {"fremde Aktie", {{apple}}, false, 1, 1},
        {"fünf nacheinander", {fuenf}, false, 1, 1},
        {"unbekannt, dann bekannt", {{unbekannt, "DE0007164600"}}, false, 1, 0},
        {"fünf zugleich", {fuenf}, true, 5, 1},
        {"zweimal fünf zugleich", {fuenf, fuenf}, true, 5, 1},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        qbtest::Testserver eigener;
        std::mutex mutex;
        std::condition_variable alleDa;
        int xetrAnfragen = 0;
        eigener.beantworte(einzelPfad, [&](const Anfrage& a) {
            const std::string isin = a.wert("isin");
            const bool xetr = a.wert("mic") == "XETR";
            if (xetr && fall.zugleich) {
                // Each round's first requests wait for one another, so that they surely overlap.
                std::unique_lock sperre(mutex);
                ++xetrAnfragen;
                alleDa.notify_all();
                alleDa.wait_for(sperre, 5s, [&] { return xetrAnfragen % 5 == 0; });
            }
            if (isin == unbekannt || xetr != isin.starts_with("DE")) {
                return unbekannterWert();
            }
            return einzelkurs(isin, 11, xetr ? "EUR" : "USD");
        });
        eigener.beantworte(usdPfad, Antwort::json(rate("2024-05-17", "1.1").dump()));
        const Kursdienst eigenerDienst = qbtest::dienstFuer(eigener);
        auto vergleiche = [&](const std::string& isin) -> std::optional<Dezimal> {
            try {
                return eigenerDienst.inEuro(eigenerDienst.wertpapiere().aktuellerKurs(isin, {}), std::nullopt, {}).kurs;
            } catch (const Kursfehler& fehler) {
                EXPECT_EQ(fehler, Kursfehler::kennungUnbekannt(unbekannt)) << isin;
                return std::nullopt;
            }
        };

        for (const auto& runde : fall.runden) {
            std::vector<std::future<std::optional<Dezimal>>> ergebnisse;
            for (const auto& isin : runde) {
                ergebnisse.push_back(std::async(fall.zugleich ? std::launch::async : std::launch::deferred,
                                                [&, isin] { return vergleiche(isin); }));
                if (!fall.zugleich) {
                    ergebnisse.back().wait();
                }
            }
            for (std::size_t i = 0; i < runde.size(); ++i) {
                const std::optional<Dezimal> erwartet =
                    runde[i] == unbekannt ? std::nullopt : std::optional(runde[i] == apple ? Dezimal(10) : Dezimal(11));
                EXPECT_EQ(ergebnisse[i].get(), erwartet) << runde[i];
            }
        }
        EXPECT_EQ(eigener.verbindungen(einzelPfad), fall.boerse);
        EXPECT_EQ(eigener.verbindungen(usdPfad), fall.ezb);
        // No connection was opened that carried no request.
        EXPECT_EQ(static_cast<std::size_t>(eigener.handschlaege()), fall.boerse + fall.ezb);
    }
}

TEST_F(KursdienstTest, derStandardLiestSeineAdressenAusDerUmgebung) {
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "1.1").dump()));
    setenv("QB_EZB_URL", server.adresse().c_str(), 1);
    setenv("QB_CA_DATEI", server.caDatei().c_str(), 1);
    setenv("QB_BOERSE_URL", "", 1);
    Kursdienst::Adressen gelesen = Kursdienst::Adressen::ausUmgebung();
    Kursdienst ausUmgebung = Kursdienst::standard();
    unsetenv("QB_EZB_URL");
    unsetenv("QB_CA_DATEI");
    unsetenv("QB_BOERSE_URL");

    EXPECT_EQ(gelesen.boerse, "https://api.boerse-frankfurt.de");
    EXPECT_EQ(gelesen.ezb, server.adresse());
    EXPECT_EQ(gelesen.sitzung.caDatei, server.caDatei());
    EXPECT_EQ(ausUmgebung.ezbKurs("USD", std::nullopt, {}), Dezimal::aus("1.1"));
    Kursdienst::Adressen ohne = Kursdienst::Adressen::ausUmgebung();
    EXPECT_EQ(ohne.ezb, "https://api.frankfurter.dev");
    EXPECT_EQ(ohne.sitzung.caDatei, std::nullopt);
}

} // namespace
