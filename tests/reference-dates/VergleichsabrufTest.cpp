#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "reference-dates/Vergleichsabruf.h"
#include "sources/Testhilfen.h"

using namespace qb;
using namespace std::chrono_literals;
using qbtest::Antwort;

namespace {

using Auftrag = Stichtagsentwurf::Vergleichsauftrag;
using RateTeil = Kurspruefung::Teil<Umrechnung>;

const char* const einzelPfad = "/v1/data/price_information/single";

Antwort einzelkurs(const char* isin, const char* kurs, const char* waehrung, bool inProzent = false) {
    return Antwort::json(std::string(R"({"isin":")") + isin + R"(","lastPrice":)" + kurs +
                         R"(,"currency":{"originalValue":")" + waehrung + R"("},"tradedInPercent":)" +
                         (inProzent ? "true" : "false") + "}");
}

Antwort rate(const char* waehrung, const char* kurs) {
    return Antwort::json(std::string(R"({"date":"2024-05-17","base":"EUR","quote":")") + waehrung +
                         R"(","rate":)" + kurs + "}");
}

class VergleichsabrufTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    Kursdienst dienst = qbtest::dienstFuer(server);

    // Stops once the server has one more request for a price than now, so that the stop comes
    // while that answer is on its way (at the latest after half a minute, so that a test whose
    // request never comes still ends).
    std::jthread stopptBeimServer(std::stop_source& quelle) const {
        return std::jthread([this, &quelle, bisher = server.anfragen(einzelPfad).size()] {
            for (int i = 0; i < 6000 && server.anfragen(einzelPfad).size() <= bisher; ++i) {
                std::this_thread::sleep_for(5ms);
            }
            quelle.request_stop();
        });
    }

    Vergleichsabruf::Antwort hole(const Auftrag& auftrag, std::optional<Zeitpunkt> abruftag = std::nullopt) {
        auto antwort = Vergleichsabruf::hole(auftrag, abruftag, dienst, {});
        EXPECT_TRUE(antwort);
        return antwort.value_or(Vergleichsabruf::Antwort{auftrag, {Kurspruefung::Teil<Kursnotierung>::fehlt("—"),
                                                                   RateTeil::fehlt("—")}});
    }
};

TEST_F(VergleichsabrufTest, fremdwaehrungBringtKursInEuroUndEzbKurs) {
    server.beantworte(einzelPfad, einzelkurs("US0378331005", "150", "USD", true));
    server.beantworte("/v2/rate/EUR/USD", rate("USD", "1.5"));
    const Auftrag auftrag{Assetklasse::anleihe, "US0378331005", "USD"};
    const auto antwort = hole(auftrag);

    EXPECT_EQ(antwort.auftrag, auftrag);
    const Kursnotierung* kurs = antwort.referenz.kurs.wert();
    ASSERT_TRUE(kurs);
    EXPECT_EQ(kurs->kurs, Dezimal(100));
    EXPECT_EQ(kurs->waehrung, "EUR");
    EXPECT_EQ(kurs->notierungsart, Notierungsart::prozentVomNennwert);
    EXPECT_EQ(kurs->umrechnung, (Umrechnung{Dezimal(150), "USD", Dezimal::aus("1.5")}));
    EXPECT_EQ(antwort.referenz.wechselkurs, RateTeil::vorhanden(Umrechnung{Dezimal(1), "USD", Dezimal::aus("1.5")}));
    // Current quote and current rate: no day is asked for.
    for (const auto& anfrage : server.anfragen("/v2/rate/EUR/USD")) {
        EXPECT_EQ(anfrage.wert("date"), "");
    }
}

TEST_F(VergleichsabrufTest, waehrungUndRohstoffreferenzpreis) {
    server.beantworte("/v2/rate/EUR/USD", rate("USD", "1.25"));

    // A currency row quotes from the ECB source and never gets a rate part; the day is asked for.
    const auto waehrung = hole(Auftrag{Assetklasse::waehrung, "usd", std::nullopt}, qbtest::berlin(2024, 5, 17, 17));
    const Kursnotierung* kurs = waehrung.referenz.kurs.wert();
    ASSERT_TRUE(kurs);
    EXPECT_EQ(kurs->kurs, Dezimal::aus("0.8"));
    EXPECT_EQ(kurs->quelle, "EZB-Referenzkurs");
    EXPECT_TRUE(waehrung.referenz.wechselkurs.istEntfallen());
    ASSERT_EQ(server.anfragen("/v2/rate/EUR/USD").size(), 1U);
    EXPECT_EQ(server.anfragen("/v2/rate/EUR/USD")[0].wert("date"), "2024-05-17");

    // An "XC" ISIN has no price to fetch, but its foreign trading currency still gets its rate.
    const auto rohstoff = hole(Auftrag{Assetklasse::rohstoff, "XC0009655157", "USD"});
    EXPECT_TRUE(rohstoff.referenz.kurs.istEntfallen());
    EXPECT_EQ(rohstoff.referenz.wechselkurs, RateTeil::vorhanden(Umrechnung{Dezimal(1), "USD", Dezimal::aus("1.25")}));
    EXPECT_TRUE(server.anfragen(einzelPfad).empty());
}

TEST_F(VergleichsabrufTest, fehlerWerdenTextJeTeil) {
    server.beantworte(einzelPfad, einzelkurs("DE0007164600", "120", "GBP"));
    server.beantworte("/v2/rate/EUR/GBP", Antwort::nachStatus(404));
    const auto antwort = hole(Auftrag{Assetklasse::aktie, "DE0007164600", "GBP"});

    // The rate part carries the reason alone; the price part the whole conversion message.
    const std::string* grund = antwort.referenz.wechselkurs.grund();
    ASSERT_TRUE(grund);
    EXPECT_EQ(*grund, "Die Kennung GBP ist bei dieser Quelle nicht bekannt.");
    const std::string* kursGrund = antwort.referenz.kurs.grund();
    ASSERT_TRUE(kursGrund);
    EXPECT_EQ(*kursGrund, "Der Kurs ist in GBP notiert, und der EZB-Kurs zum Umrechnen fehlt: " + *grund);

    // A failing exchange gives the source's message, in EUR without a rate part.
    server.beantworte(einzelPfad, Antwort::nachStatus(429));
    const auto ohneBoerse = hole(Auftrag{Assetklasse::aktie, "DE0007164600", std::nullopt});
    EXPECT_EQ(ohneBoerse.referenz.kurs, Kurspruefung::Teil<Kursnotierung>::fehlt(
                                            "Zu viele Anfragen an die Quelle. In ein paar Minuten erneut versuchen."));
    EXPECT_TRUE(ohneBoerse.referenz.wechselkurs.istEntfallen());
}

TEST_F(VergleichsabrufTest, einAbbruchLiefertNichts) {
    server.beantworte(einzelPfad, [](const qbtest::Anfrage&) {
        Antwort langsam = einzelkurs("DE0007164600", "120", "EUR");
        langsam.verzoegerung = 20s;
        return langsam;
    });
    server.beantworte("/v2/rate/EUR/USD", rate("USD", "1.25"));
    const Auftrag auftrag{Assetklasse::aktie, "DE0007164600", "USD"};

    std::stop_source vorher;
    vorher.request_stop();
    EXPECT_EQ(Vergleichsabruf::hole(auftrag, std::nullopt, dienst, vorher.get_token()), std::nullopt);

    std::stop_source waehrend;
    const std::jthread stopper = stopptBeimServer(waehrend);
    EXPECT_EQ(Vergleichsabruf::hole(auftrag, std::nullopt, dienst, waehrend.get_token()), std::nullopt);
    // Neither the slow price nor the rate after it reached an answer.
    EXPECT_TRUE(server.anfragen("/v2/rate/EUR/USD").empty());

    // Without a rate part to fetch, a stop during the price still delivers nothing.
    std::stop_source inEuro;
    const std::jthread zweiter = stopptBeimServer(inEuro);
    EXPECT_EQ(Vergleichsabruf::hole(Auftrag{Assetklasse::aktie, "DE0007164600", std::nullopt}, std::nullopt, dienst,
                                    inEuro.get_token()),
              std::nullopt);
}

// A failed job misses the ECB rate only for a row in a foreign currency.
TEST(VergleichsabrufGescheitert, fehltDerEzbKursNurBeiFremderWaehrung) {
    const auto euro = Vergleichsabruf::gescheitert({Assetklasse::aktie, "DE0007164600", std::nullopt}, "x");
    const auto usd = Vergleichsabruf::gescheitert({Assetklasse::anleihe, "US0378331005", "USD"}, "x");
    EXPECT_EQ(euro.referenz.wechselkurs, RateTeil::entfaellt());
    EXPECT_EQ(usd.referenz.wechselkurs, RateTeil::fehlt("x"));
}

} // namespace
