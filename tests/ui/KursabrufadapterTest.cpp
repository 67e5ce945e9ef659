#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

#include "ui/Arbeitspool.h"
#include "ui/Kursabrufadapter.h"
#include "sources/Testhilfen.h"

using namespace qb;
using qbtest::Antwort;

namespace {

const char* const pfad = "/v2/rate/EUR/USD";

using qbtest::dienstFuer;

Antwort kurs(const char* wert, std::chrono::milliseconds verzoegerung = {}) {
    Antwort antwort = Antwort::json(std::string(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":)") + wert + "}");
    antwort.verzoegerung = verzoegerung;
    return antwort;
}

TEST(KursabrufadapterTest, holtAufDemPoolUndMeldetDasErgebnisAufDemGuiThread) {
    qbtest::Testserver server;
    server.beantworte(pfad, kurs("2", std::chrono::milliseconds(100)));
    Kursabrufadapter adapter(dienstFuer(server));
    QSignalSpy staende(&adapter, &Kursabrufadapter::standGeaendert);

    std::optional<std::optional<Kursnotierung>> ergebnis;
    bool aufGuiThread = false;
    ASSERT_TRUE(adapter.hole(Assetklasse::waehrung, "usd", std::nullopt, [] { return true; },
                             [&](std::optional<Kursnotierung> n) {
                                 ergebnis = std::move(n);
                                 aufGuiThread = QThread::currentThread() == adapter.thread();
                             }));
    EXPECT_TRUE(adapter.stand().istLaufend());
    // A second press while the first fetch runs does nothing.
    EXPECT_FALSE(adapter.hole(Assetklasse::waehrung, "usd", std::nullopt, [] { return true; },
                              [](std::optional<Kursnotierung>) { ADD_FAILURE(); }));

    ASSERT_TRUE(QTest::qWaitFor([&] { return ergebnis.has_value(); }, 30000));
    ASSERT_TRUE(ergebnis->has_value());
    EXPECT_EQ((*ergebnis)->kurs, Dezimal::aus("0.5"));
    EXPECT_TRUE(aufGuiThread);
    EXPECT_TRUE(adapter.stand().istRuhend());
    EXPECT_EQ(staende.count(), 2); // laeuft, ruht
}

TEST(KursabrufadapterTest, einFehlerBleibtStehenBisDieAnsichtIhnZuruecknimmt) {
    qbtest::Testserver server;
    server.beantworte(pfad, Antwort::nachStatus(500));
    Kursabrufadapter adapter(dienstFuer(server));
    bool fertig = false;
    adapter.hole(Assetklasse::waehrung, "USD", std::nullopt, [] { return true; },
                 [&](std::optional<Kursnotierung> n) {
                     EXPECT_FALSE(n.has_value());
                     fertig = true;
                 });
    ASSERT_TRUE(QTest::qWaitFor([&] { return fertig; }, 30000));
    ASSERT_NE(adapter.stand().fehlermeldung(), nullptr);
    EXPECT_FALSE(adapter.stand().fehlermeldung()->empty());
    adapter.setzeRuhend();
    EXPECT_TRUE(adapter.stand().istRuhend());
}

// A source that fails with an error that is no Kursfehler.
struct KaputteQuelle : Kursquelle {
    std::string name = "kaputt";
    const std::string& bezeichnung() const override { return name; }
    std::string_view kennungshinweis() const override { return ""; }
    Kennungsurteil pruefe(std::string_view) const override { return Kennungsurteil::verwendbar; }
    Kursnotierung aktuellerKurs(std::string_view, std::stop_token) const override { throw 0; }
    Kursnotierung kurs(std::string_view, Zeitpunkt, std::stop_token) const override { throw 0; }
    Kursreihe kursreihe(std::string_view, Zeitpunkt, Zeitpunkt, std::stop_token) const override { throw 0; }
};

TEST(KursabrufadapterTest, einUnerwarteterFehlerEndetMitDemDeutschenSatzDerHintergrundaufgabe) {
    qbtest::Testserver server;
    auto standard = std::make_shared<const Kursdienst>(dienstFuer(server));
    auto kaputt = std::make_shared<KaputteQuelle>();
    Kursabrufadapter adapter(Kursdienst(kaputt, kaputt, {standard, &standard->umrechner()}));
    adapter.hole(Assetklasse::aktie, "DE0007164600", std::nullopt, [] { return true; }, [](auto) {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !adapter.stand().istLaufend(); }, 30000));
    EXPECT_EQ(adapter.stand(), Kursabruf::Stand::fehlgeschlagen("Der Vorgang konnte nicht abgeschlossen werden."));
}

TEST(KursabrufadapterTest, eineNichtMehrGewuenschteAntwortLiefertNichts) {
    qbtest::Testserver server;
    server.beantworte(pfad, kurs("2"));
    Kursabrufadapter adapter(dienstFuer(server));
    std::optional<std::optional<Kursnotierung>> ergebnis;
    adapter.hole(Assetklasse::waehrung, "USD", std::nullopt, [] { return false; },
                 [&](std::optional<Kursnotierung> n) { ergebnis = std::move(n); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ergebnis.has_value(); }, 30000));
    EXPECT_FALSE(ergebnis->has_value());
    EXPECT_TRUE(adapter.stand().istRuhend());
}

TEST(KursabrufadapterTest, einGeschlossenesBlattErfaehrtNichtsMehrVomAbruf) {
    qbtest::Testserver server;
    server.beantworte(pfad, kurs("2", std::chrono::milliseconds(300)));
    auto adapter = std::make_unique<Kursabrufadapter>(dienstFuer(server));
    bool gerufen = false;
    adapter->hole(Assetklasse::waehrung, "USD", std::nullopt, [] { return true; },
                  [&](std::optional<Kursnotierung>) { gerufen = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.anfragen(pfad).empty(); }, 30000));
    adapter.reset();
    // The stopped fetch ends on the pool; what it sends back is delivered, and must find nobody.
    ASSERT_TRUE(arbeitspool().waitForDone(30000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(gerufen);
}

} // namespace
