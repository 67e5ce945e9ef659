#include <future>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sources/Kursabruf.h"
#include "sources/Testhilfen.h"

using namespace std::chrono_literals;
using nlohmann::json;
using qb::Assetklasse;
using qb::Dezimal;
using qb::Kursabruf;
using qb::Kursnotierung;
using qbtest::Antwort;
using Stand = qb::Kursabruf::Stand;

namespace {

const char* const ohneAbruf = "Für diese Position holt die App keine Kurse. Trage den Kurs von Hand ein.";

json einzel(const char* isin, json preis, const char* waehrung) {
    return json{{"isin", isin}, {"lastPrice", std::move(preis)}, {"currency", {{"originalValue", waehrung}}}};
}

json rate(const char* datum, const char* wert) {
    return json{{"date", datum}, {"base", "EUR"}, {"quote", "USD"}, {"rate", wert}};
}

// A source that fails as no source should: with an error that is no Kursfehler.
struct KaputteQuelle : qb::Kursquelle {
    std::string name = "kaputt";
    const std::string& bezeichnung() const override { return name; }
    std::string_view kennungshinweis() const override { return ""; }
    qb::Kennungsurteil pruefe(std::string_view) const override { return qb::Kennungsurteil::verwendbar; }
    Kursnotierung aktuellerKurs(std::string_view, std::stop_token) const override { throw std::bad_alloc(); }
    Kursnotierung kurs(std::string_view, qb::Zeitpunkt, std::stop_token) const override { throw 0; }
    qb::Kursreihe kursreihe(std::string_view, qb::Zeitpunkt, qb::Zeitpunkt, std::stop_token) const override {
        throw 0;
    }
};

class KursabrufTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    Kursabruf abruf{qb::Kursdienst::standard(adressen())};
    std::vector<Stand> staende;

    void SetUp() override {
        abruf.beobachte([this](const Stand& s) { staende.push_back(s); });
    }
    qb::Kursdienst::Adressen adressen() const {
        qb::Kursdienst::Adressen a;
        a.boerse = server.adresse();
        a.ezb = server.adresse();
        a.sitzung.caDatei = server.caDatei();
        return a;
    }
    // The three steps as a view drives them: start and outcome here, the job on a worker.
    std::optional<Kursnotierung> hole(Assetklasse klasse, std::string kennung,
                                      std::optional<qb::Zeitpunkt> stichtag = std::nullopt,
                                      std::function<bool()> giltNoch = [] { return true; }) {
        auto auftrag = abruf.starte(klasse, std::move(kennung), stichtag);
        if (!auftrag) {
            return std::nullopt;
        }
        auto ergebnis = std::async(std::launch::async, [a = *auftrag] { return a.fuehreAus({}); }).get();
        return abruf.wendeAn(std::move(ergebnis), giltNoch);
    }
};

TEST_F(KursabrufTest, holtUndRechnetInEuroUm) {
    server.beantworte("/v1/data/price_information/single",
                      Antwort::json(einzel("DE0007164600", 110, "USD").dump()));
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "1.1").dump()));

    auto notierung = hole(Assetklasse::aktie, " de0007164600 ");

    ASSERT_TRUE(notierung.has_value());
    EXPECT_EQ(notierung->kurs, Dezimal(100));
    EXPECT_EQ(notierung->waehrung, "EUR");
    EXPECT_EQ(notierung->quelle, "Börse Frankfurt (XETR)");
    EXPECT_EQ(notierung->umrechnung, (qb::Umrechnung{Dezimal(110), "USD", Dezimal::aus("1.1")}));
    EXPECT_EQ(staende, (std::vector<Stand>{Stand::laeuft(), Stand::ruht()}));
    EXPECT_EQ(abruf.stand(), Stand::ruht());
}

TEST_F(KursabrufTest, einZweiterStartWaehrendDesLaufsBleibtOhneWirkung) {
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "2").dump()));
    auto erster = abruf.starte(Assetklasse::waehrung, "usd", std::nullopt);
    ASSERT_TRUE(erster.has_value());
    EXPECT_FALSE(abruf.starte(Assetklasse::waehrung, "usd", std::nullopt).has_value());
    EXPECT_EQ(abruf.stand(), Stand::laeuft());

    auto ergebnis = std::async(std::launch::async, [a = *erster] { return a.fuehreAus({}); }).get();
    auto notierung = abruf.wendeAn(std::move(ergebnis), [] { return true; });

    ASSERT_TRUE(notierung.has_value());
    EXPECT_EQ(notierung->kurs, Dezimal::aus("0.5"));
    EXPECT_EQ(server.anfragen().size(), 1u);
    EXPECT_EQ(staende, (std::vector<Stand>{Stand::laeuft(), Stand::ruht()}));
}

TEST_F(KursabrufTest, eineKennungOhneAbrufFragtKeineQuelle) {
    const std::pair<Assetklasse, const char*> faelle[] = {
        {Assetklasse::aktie, ""},           {Assetklasse::anleihe, " \t "},    {Assetklasse::aktie, "DE0007164601"},
        {Assetklasse::rohstoff, "XC0009655157"}, {Assetklasse::waehrung, "US"}, {Assetklasse::co2Zertifikat, "SAP SE"},
    };
    for (const auto& [klasse, kennung] : faelle) {
        EXPECT_EQ(hole(klasse, kennung), std::nullopt) << kennung;
        EXPECT_EQ(abruf.stand(), Stand::fehlgeschlagen(ohneAbruf)) << kennung;
    }
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(KursabrufTest, einFehlenderEzbKursLaesstDenAbrufScheitern) {
    server.beantworte("/v1/data/price_information/single",
                      Antwort::json(einzel("DE0007164600", 110, "USD").dump()));
    server.beantworte("/v2/rate/EUR/USD", Antwort::nachStatus(500));

    EXPECT_EQ(hole(Assetklasse::aktie, "DE0007164600"), std::nullopt);
    EXPECT_EQ(abruf.stand(), Stand::fehlgeschlagen("Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: "
                                                   "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen."));

    // The view dismisses the failure; rest is told once, and a resting runner stays silent.
    staende.clear();
    abruf.setzeRuhend();
    abruf.setzeRuhend();
    EXPECT_EQ(staende, std::vector<Stand>{Stand::ruht()});
}

// Every error that is no source's goes on to the holder's background task, its one failure path.
TEST_F(KursabrufTest, einUnerwarteterFehlerGehtUnveraendertAnDieAufgabeDesHalters) {
    auto standard = std::make_shared<const qb::Kursdienst>(qb::Kursdienst::standard(adressen()));
    auto kaputt = std::make_shared<KaputteQuelle>();
    Kursabruf mitFehler{qb::Kursdienst(kaputt, kaputt, {standard, &standard->umrechner()})};
    auto auftrag = mitFehler.starte(Assetklasse::aktie, "DE0007164600", std::nullopt);
    EXPECT_THROW(auftrag->fuehreAus({}), std::bad_alloc);
}

TEST_F(KursabrufTest, einErgebnisDasNichtMehrGiltWirdVerworfen) {
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "2").dump()));
    std::vector<std::thread::id> gefragtAuf;
    auto giltNicht = [&] {
        gefragtAuf.push_back(std::this_thread::get_id());
        return false;
    };
    EXPECT_EQ(hole(Assetklasse::waehrung, "USD", std::nullopt, giltNicht), std::nullopt);
    EXPECT_EQ(abruf.stand(), Stand::ruht());
    EXPECT_EQ(hole(Assetklasse::waehrung, "US", std::nullopt, giltNicht), std::nullopt);
    EXPECT_EQ(abruf.stand(), Stand::ruht());
    EXPECT_EQ(gefragtAuf, std::vector<std::thread::id>(2, std::this_thread::get_id()));
    EXPECT_EQ(staende, (std::vector<Stand>{Stand::laeuft(), Stand::ruht(), Stand::laeuft(), Stand::ruht()}));
}

TEST_F(KursabrufTest, einErfolgNachEinemFehlerLoeschtDieMeldung) {
    server.beantworte("/v2/rate/EUR/USD", Antwort::nachStatus(404));
    hole(Assetklasse::waehrung, "USD");
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "2").dump()));
    hole(Assetklasse::waehrung, "USD");

    const Stand fehler = Stand::fehlgeschlagen("Die Kennung USD ist bei dieser Quelle nicht bekannt.");
    EXPECT_EQ(staende, (std::vector<Stand>{Stand::laeuft(), fehler, Stand::laeuft(), Stand::ruht()}));
    EXPECT_EQ(*fehler.fehlermeldung(), "Die Kennung USD ist bei dieser Quelle nicht bekannt.");
    EXPECT_EQ(Stand::ruht().fehlermeldung(), nullptr);
}

TEST_F(KursabrufTest, einGleicherStandBenachrichtigtNiemanden) {
    abruf.wendeAn(Kursabruf::Abrufergebnis::abgebrochen(), [] { return true; });
    abruf.wendeAn(Kursabruf::Abrufergebnis::fehler("x"), [] { return false; });
    EXPECT_TRUE(staende.empty());

    abruf.wendeAn(Kursabruf::Abrufergebnis::fehler("x"), [] { return true; });
    abruf.wendeAn(Kursabruf::Abrufergebnis::fehler("x"), [] { return true; });
    abruf.wendeAn(Kursabruf::Abrufergebnis::fehler("y"), [] { return true; });
    EXPECT_EQ(staende, (std::vector<Stand>{Stand::fehlgeschlagen("x"), Stand::fehlgeschlagen("y")}));

    int weitere = 0;
    auto nummer = abruf.beobachte([&](const Stand&) { ++weitere; });
    abruf.wendeAn(Kursabruf::Abrufergebnis::abgebrochen(), [] { return true; });
    abruf.beendeBeobachtung(nummer);
    abruf.starte(Assetklasse::aktie, "x", std::nullopt);
    EXPECT_EQ(weitere, 1);
    EXPECT_EQ(staende.size(), 4u);
}

TEST_F(KursabrufTest, einAbbruchEndetStillInRuhe) {
    Antwort langsam = Antwort::json(rate("2024-05-17", "2").dump());
    langsam.verzoegerung = 10s;
    server.beantworte("/v2/rate/EUR/USD", langsam);
    auto auftrag = abruf.starte(Assetklasse::waehrung, "USD", std::nullopt);
    ASSERT_TRUE(auftrag.has_value());
    std::stop_source stopp;
    auto ergebnis = std::async(std::launch::async, [a = *auftrag, t = stopp.get_token()] { return a.fuehreAus(t); });
    std::this_thread::sleep_for(100ms);
    stopp.request_stop();
    ASSERT_EQ(ergebnis.wait_for(2s), std::future_status::ready);
    auto e = ergebnis.get();
    EXPECT_TRUE(e.istAbgebrochen());

    EXPECT_EQ(abruf.wendeAn(std::move(e), [] { return true; }), std::nullopt);
    EXPECT_EQ(abruf.stand(), Stand::ruht());
    EXPECT_EQ(staende, (std::vector<Stand>{Stand::laeuft(), Stand::ruht()}));
}

TEST_F(KursabrufTest, einStichtagFragtDenKursDesTagesUndDessenEzbKurs) {
    server.beantworte("/v1/data/price_information/single",
                      Antwort::json(einzel("DE0007164600", 1, "USD").dump()));
    server.beantworte("/v1/tradingview/history", Antwort::json(R"({"s":"ok","c":[40],"t":[1715904000]})"));
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(rate("2024-05-17", "1.25").dump()));

    auto aktie = hole(Assetklasse::aktie, "DE0007164600", qbtest::berlin(2024, 5, 19, 12));
    auto waehrung = hole(Assetklasse::waehrung, "USD", qbtest::berlin(2024, 5, 19, 12));

    ASSERT_TRUE(aktie.has_value());
    EXPECT_EQ(aktie->kurs, Dezimal(32));
    EXPECT_EQ(aktie->art, qb::Kursart::tagesschluss);
    EXPECT_EQ(aktie->quelle, "Börse Frankfurt (XETR, Kurshistorie)");
    ASSERT_TRUE(waehrung.has_value());
    EXPECT_EQ(waehrung->kurs, Dezimal::aus("0.8"));
    EXPECT_EQ(waehrung->kursdatum, qbtest::berlin(2024, 5, 17));
    for (const auto& anfrage : server.anfragen("/v2/rate/EUR/USD")) {
        EXPECT_EQ(anfrage.wert("date"), "2024-05-19");
    }
    EXPECT_EQ(server.anfragen("/v2/rate/EUR/USD").size(), 2u);
}

} // namespace
