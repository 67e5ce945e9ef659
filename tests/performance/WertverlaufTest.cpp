#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QTest>

#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "performance/Kursbuehne.h"
#include "performance/Wertverlauf.h"
#include "sources/Testhilfen.h"
#include "valuation/Testspiel.h"

using namespace std::chrono_literals;
using qb::Assetklasse;
using qb::Dezimal;
using qb::Verlaufstag;
using qb::Wertverlauf;
using qb::Zeitpunkt;
using qbtest::berlin;
using qbtest::Kursbuehne;

namespace {

const char* const siemens = "DE0007164600";
const char* const telekom = "DE0005557508";
const char* const apple = "US0378331005";
const std::string historie = "Börse Frankfurt (XETR, Kurshistorie)";
const std::string eigene = "eigene Eintragungen";
const std::string quellenfehler500 = "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.";

Verlaufstag tag(int monat, int t, const char* wert) {
    return Verlaufstag{berlin(2024, monat, t), Dezimal::aus(wert)};
}

// A game of 10 000 EUR entered on 6 May 2024, in a store, so that every record has its id.
class WertverlaufTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    Kursbuehne buehne{server};
    qb::Kursdienst dienst = qbtest::dienstFuer(server);
    qb::Modellcontainer container{qb::Ablage::imArbeitsspeicher()};
    std::shared_ptr<qb::Portfolio> portfolio =
        std::make_shared<qb::Portfolio>("Gruppe", Dezimal(10000), berlin(2024, 5, 6, 9));

    WertverlaufTest() { container.kontext().fuegeEin(portfolio); }

    std::shared_ptr<qb::Position> kaufe(Assetklasse klasse, const std::string& kennung, std::int64_t stueck,
                                        const char* preis) {
        auto position = testspiel::kaufe(portfolio, klasse, "Papier " + kennung, stueck, testspiel::eur(preis));
        position->setzeKennung(kennung);
        return position;
    }

    // A share in EUR with a gap on the 15th and a weekend, a bond in USD at two ECB rates, and
    // a commodity without identifier priced by a reference date at 15:00 on the 14th:
    // 2 100 EUR invested, 7 900 EUR cash.
    void richteSpielEin() {
        kaufe(Assetklasse::aktie, siemens, 10, "100");
        kaufe(Assetklasse::anleihe, apple, 10, "100");
        auto rohstoff = kaufe(Assetklasse::rohstoff, " \t", 2, "50");
        auto stichtag = testspiel::stichtag(portfolio, berlin(2024, 5, 14, 15));
        testspiel::notiere(stichtag, rohstoff, testspiel::eur("60"));
        buehne.papier(siemens, "EUR",
                      {{Kursbuehne::utcTag(2024, 5, 2), "101"},
                       {Kursbuehne::utcTag(2024, 5, 14), "103"},
                       {Kursbuehne::utcTag(2024, 5, 16), "105"},
                       {Kursbuehne::utcTag(2024, 5, 17), "106"},
                       {Kursbuehne::utcTag(2024, 5, 20), "107"},
                       {Kursbuehne::utcTag(2024, 5, 21), "108"}});
        buehne.papier(apple, "USD",
                      {{Kursbuehne::utcTag(2024, 5, 13), "121"},
                       {Kursbuehne::utcTag(2024, 5, 14), "125"},
                       {Kursbuehne::utcTag(2024, 5, 15), "125"},
                       {Kursbuehne::utcTag(2024, 5, 16), "130"}});
        buehne.raten("USD", {{"2024-05-10", "1.1"}, {"2024-05-14", "1.25"}});
    }

    Wertverlauf::Ergebnis berechne(Zeitpunkt von = berlin(2024, 5, 13), Zeitpunkt bis = berlin(2024, 5, 20, 12)) {
        return Wertverlauf::berechne(*portfolio, von, bis, dienst);
    }
};

TEST_F(WertverlaufTest, wertetJedenTagMitKursenAusVorlaufLueckenFremdwaehrungUndEigenenEintragungen) {
    richteSpielEin();

    const Wertverlauf::Ergebnis ergebnis = berechne();

    // 13th: share 1 010 from the lead-in close of the 2nd, bond 121 USD / 1.1 = 110 % -> 1 100.
    // 14th: the commodity's reference price of 15:00 counts, bond 125 / 1.25. 15th: the share's
    // gap carried. 18th and 19th: no point anywhere. 21st: after the end of the window.
    EXPECT_EQ(ergebnis.tage, (std::vector<Verlaufstag>{tag(5, 13, "10110"), tag(5, 14, "10050"),
                                                       tag(5, 15, "10050"), tag(5, 16, "10110"),
                                                       tag(5, 17, "10120"), tag(5, 20, "10130")}));
    EXPECT_TRUE(ergebnis.fehlgeschlagen.empty());
    EXPECT_EQ(ergebnis.quellen, (std::vector<std::string>{historie, eigene}));

    // Both histories from 14 days before the start of the window's first day; one rate series.
    const auto verlaeufe = server.anfragen("/v1/tradingview/history");
    ASSERT_EQ(verlaeufe.size(), 2U);
    for (const auto& anfrage : verlaeufe) {
        EXPECT_EQ(anfrage.wert("from"), std::to_string(std::chrono::duration_cast<std::chrono::seconds>(
                                                            berlin(2024, 4, 29).time_since_epoch())
                                                            .count()));
    }
    EXPECT_EQ(buehne.ratenanfragen("USD"), 1);
}

TEST_F(WertverlaufTest, einScheiternLeertDieTageUndNenntSeineKlasse) {
    struct Fall {
        const char* name;
        std::function<void(Kursbuehne&)> stoerung;
        std::map<Assetklasse, std::string> fehlgeschlagen;
        std::vector<std::string> quellen;
    };
    const std::vector<Fall> faelle = {
        {"Anleihe mit Serverfehler", [](Kursbuehne& b) { b.scheitert(apple, 500); },
         {{Assetklasse::anleihe, quellenfehler500}}, {historie, eigene}},
        {"beide Papiere mit Serverfehler",
         [](Kursbuehne& b) {
             b.scheitert(apple, 500);
             b.scheitert(siemens, 500);
         },
         {{Assetklasse::aktie, quellenfehler500}, {Assetklasse::anleihe, quellenfehler500}}, {eigene}},
        {"Aktie ohne Kurse", [](Kursbuehne& b) { b.papier(siemens, "EUR", {}); },
         {{Assetklasse::aktie, "Zu DE0007164600 lag kein verwertbarer Kurs vor."}}, {historie, eigene}},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        // A fresh game per case in the same store.
        portfolio = std::make_shared<qb::Portfolio>("Gruppe", Dezimal(10000), berlin(2024, 5, 6, 9));
        container.kontext().fuegeEin(portfolio);
        richteSpielEin();
        fall.stoerung(buehne);

        const Wertverlauf::Ergebnis ergebnis = berechne();

        EXPECT_TRUE(ergebnis.tage.empty());
        EXPECT_EQ(ergebnis.fehlgeschlagen, fall.fehlgeschlagen);
        EXPECT_EQ(ergebnis.quellen, fall.quellen);
    }
}

TEST_F(WertverlaufTest, holtUndWertetNurDiePositionDieFuerIhreKlasseZaehlt) {
    richteSpielEin();
    // A second share that is never valued; its history would fail. Its buy value of 100 EUR
    // is still invested, so the cash is 7 800 EUR.
    kaufe(Assetklasse::aktie, telekom, 1, "100");
    buehne.papier(telekom, "EUR", {{Kursbuehne::utcTag(2024, 5, 13), "1"}});
    buehne.scheitert(telekom, 500);

    const Wertverlauf::Ergebnis ergebnis = berechne(berlin(2024, 5, 16), berlin(2024, 5, 17, 12));

    EXPECT_EQ(ergebnis.tage, (std::vector<Verlaufstag>{tag(5, 16, "10010"), tag(5, 17, "10020")}));
    EXPECT_TRUE(ergebnis.fehlgeschlagen.empty());
    EXPECT_EQ(buehne.verlaufsanfragen(telekom), 0);
    EXPECT_EQ(buehne.verlaufsanfragen(siemens), 1);
}

TEST_F(WertverlaufTest, einTagOhnePreisFuerEinePositionFaelltWeg) {
    richteSpielEin();
    // From the 2nd on: the bond's history begins on the 13th, so the share's days before it and
    // the purchase day of the own entries are left out.
    const Wertverlauf::Ergebnis ergebnis = berechne(berlin(2024, 5, 1), berlin(2024, 5, 14, 12));

    EXPECT_EQ(ergebnis.tage, (std::vector<Verlaufstag>{tag(5, 13, "10110"), tag(5, 14, "10050")}));
}

TEST_F(WertverlaufTest, ohnePositionenOderOhneAbrufbareKennungWirdNichtsGefragt) {
    // Nothing complete: an empty result without a request.
    kaufe(Assetklasse::aktie, siemens, 0, "100");
    EXPECT_EQ(berechne(), Wertverlauf::Ergebnis{});

    // A currency and a commodity the sources cannot fetch: valued from the own entries, from
    // the purchase day on, whose point lies at the start of the entry day.
    kaufe(Assetklasse::waehrung, "US-Dollar", 100, "1");
    auto rohstoff = kaufe(Assetklasse::co2Zertifikat, "XC0009655157", 1, "70");
    auto stichtag = testspiel::stichtag(portfolio, berlin(2024, 5, 8, 17));
    testspiel::notiere(stichtag, rohstoff, testspiel::eur("80"));
    const Wertverlauf::Ergebnis ergebnis = berechne(berlin(2024, 5, 1), berlin(2024, 5, 10));

    EXPECT_EQ(ergebnis.tage, (std::vector<Verlaufstag>{tag(5, 6, "10000"), tag(5, 8, "10010")}));
    EXPECT_EQ(ergebnis.quellen, (std::vector<std::string>{eigene}));
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(WertverlaufTest, dasTagesendeFolgtDerUhrumstellung) {
    // A reference date half an hour before midnight counts for its day also on the 25-hour day
    // in October; on the 23-hour day in March, one half an hour after midnight does not count
    // for the day before.
    auto rohstoff = kaufe(Assetklasse::rohstoff, "", 1, "50");
    portfolio->setzeKaufdatum(berlin(2024, 3, 25, 9));
    testspiel::notiere(testspiel::stichtag(portfolio, berlin(2024, 3, 31, 12)), rohstoff, testspiel::eur("60"));
    testspiel::notiere(testspiel::stichtag(portfolio, berlin(2024, 4, 1, 0, 30)), rohstoff, testspiel::eur("70"));
    testspiel::notiere(testspiel::stichtag(portfolio, berlin(2024, 10, 27, 23, 30)), rohstoff, testspiel::eur("80"));

    const Wertverlauf::Ergebnis ergebnis = berechne(berlin(2024, 3, 31), berlin(2024, 10, 28));

    EXPECT_EQ(ergebnis.tage, (std::vector<Verlaufstag>{Verlaufstag{berlin(2024, 3, 31), Dezimal(10010)},
                                                       Verlaufstag{berlin(2024, 4, 1), Dezimal(10020)},
                                                       Verlaufstag{berlin(2024, 10, 27), Dezimal(10030)}}));
}

TEST_F(WertverlaufTest, einHaltGibtDasLeereErgebnis) {
    richteSpielEin();
    qbtest::Testserver langsam;
    Kursbuehne buehneLangsam(langsam, 5s);
    buehneLangsam.papier(siemens, "EUR", {{Kursbuehne::utcTag(2024, 5, 13), "1"}});
    const qb::Kursdienst langsamerDienst = qbtest::dienstFuer(langsam);
    std::stop_source halt;

    // The records stay on this thread; only the fetch runs elsewhere, as in the tab.
    const Wertverlauf::Auftrag auftrag = Wertverlauf::auftrag(*portfolio, berlin(2024, 5, 13), berlin(2024, 5, 20));
    auto ende = std::async(std::launch::async,
                           [&] { return Wertverlauf::hole(auftrag, langsamerDienst, halt.get_token()); });
    // Both papers are asked at once; the commodity's own entries need no request.
    ASSERT_TRUE(QTest::qWaitFor([&] { return langsam.anfragen().size() >= 2; }, 5000));
    halt.request_stop();

    ASSERT_EQ(ende.wait_for(3s), std::future_status::ready);
    const Wertverlauf::Abruf abruf = ende.get();
    EXPECT_TRUE(abruf.abgebrochen);
    EXPECT_EQ(Wertverlauf::werte(*portfolio, auftrag, abruf), Wertverlauf::Ergebnis{});
}

} // namespace
