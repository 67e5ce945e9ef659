#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

#include "model/Kursfehler.h"
#include "model/SpeicherHilfe.h"
#include "ui/Ansichtsaufgabe.h"
#include "ui/Arbeitspool.h"

using qb::Ansichtsaufgabe;

namespace {

// A piece of work that blocks until the test lets it finish, and tells whether it saw a stop.
struct Sperre {
    std::promise<void> frei;
    std::shared_future<void> wartet{frei.get_future().share()};
    std::atomic<bool> sahStopp{false};
    std::atomic<bool> gestartet{false};
};

// Every run of these tests turns a failure into a result the same way.
const auto fehlschlag = [](std::string meldung) { return "Fehler: " + meldung; };

// `wirft`: the work fails once it is let go.
auto blockierend(const std::shared_ptr<Sperre>& sperre, std::string ergebnis, bool wirft = false) {
    return [sperre, ergebnis, wirft](std::stop_token stop) {
        sperre->gestartet = true;
        std::stop_callback meldeStopp(stop, [sperre] { sperre->sahStopp = true; });
        sperre->wartet.wait();
        if (wirft) {
            throw std::runtime_error("kaputt");
        }
        return ergebnis;
    };
}

bool warte(const std::function<bool()>& bedingung) {
    return QTest::qWaitFor(bedingung, 5000);
}

// Lets every run on the pool end and delivers what the runs sent back to the GUI thread: a late
// result has then been applied or dropped, however slowly the machine runs.
[[nodiscard]] bool lassAlleLaeufeEnden() {
    if (!qb::arbeitspool().waitForDone(5000)) {
        return false;
    }
    QCoreApplication::processEvents();
    return true;
}

TEST(AnsichtsaufgabeTest, liefertDasErgebnisAufDemGuiThreadUndNurFuerDenGueltigenSchluessel) {
    QObject kontext;
    Ansichtsaufgabe<int> aufgabe(&kontext);
    std::vector<std::string> angewandt;
    std::vector<bool> aufGuiThread;
    auto anwenden = [&](std::string ergebnis) {
        angewandt.push_back(ergebnis);
        aufGuiThread.push_back(QThread::currentThread() == kontext.thread());
    };

    auto alt = std::make_shared<Sperre>();
    ASSERT_TRUE(aufgabe.setzeSchluessel(1, blockierend(alt, "alt"), anwenden, fehlschlag));
    ASSERT_TRUE(warte([&] { return alt->gestartet.load(); }));
    // The same key again starts nothing.
    EXPECT_FALSE(aufgabe.setzeSchluessel(1, blockierend(alt, "doppelt"), anwenden, fehlschlag));

    auto neu = std::make_shared<Sperre>();
    ASSERT_TRUE(aufgabe.setzeSchluessel(2, blockierend(neu, "neu"), anwenden, fehlschlag));
    EXPECT_TRUE(alt->sahStopp) << "a key change stops the old run";
    EXPECT_FALSE(neu->sahStopp);

    neu->frei.set_value();
    ASSERT_TRUE(warte([&] { return !angewandt.empty(); }));
    EXPECT_FALSE(aufgabe.laeuft());
    // The old run finishes only now; its late result must not overwrite the newer one.
    alt->frei.set_value();
    ASSERT_TRUE(lassAlleLaeufeEnden()); // the queued delivery of the stale result, if any, ran here
    EXPECT_EQ(angewandt, std::vector<std::string>{"neu"});
    EXPECT_EQ(aufGuiThread, std::vector<bool>{true});
}

// Part of what a run applies its result with: each move waits until the worker pool is idle,
// so that the run's work is surely done while the run is still being set up.
struct WartetAufDenPool {
    WartetAufDenPool() = default;
    WartetAufDenPool(const WartetAufDenPool&) { qb::arbeitspool().waitForDone(5000); }
    WartetAufDenPool(WartetAufDenPool&&) noexcept { qb::arbeitspool().waitForDone(5000); }
};

TEST(AnsichtsaufgabeTest, einSchonFertigesErgebnisKommtErstNachDemStart) {
    // A view marks its run as started after setzeSchluessel() returns; a result applied inside
    // that call would be overwritten at once.
    QObject kontext;
    Ansichtsaufgabe<int> aufgabe(&kontext);
    bool imAufruf = false;
    std::vector<bool> angewandtImAufruf;
    auto anwenden = [&, wartet = WartetAufDenPool()](std::string) { angewandtImAufruf.push_back(imAufruf); };

    imAufruf = true;
    ASSERT_TRUE(aufgabe.setzeSchluessel(
        1, [](std::stop_token) { return std::string("fertig"); }, anwenden, fehlschlag));
    imAufruf = false;
    ASSERT_TRUE(warte([&] { return !angewandtImAufruf.empty(); }));
    EXPECT_EQ(angewandtImAufruf, std::vector<bool>{false});
    EXPECT_FALSE(aufgabe.laeuft());
}

TEST(AnsichtsaufgabeTest, einGestoppterOderVerwaisterLaufWendetNichtsAn) {
    struct Fall {
        const char* name;
        bool kontextLoeschen;
        bool wirft;
    };
    for (const Fall fall : {Fall{"stoppe()", false, false}, Fall{"Kontext geht", true, false},
                            Fall{"stoppe(), dann ein Fehler", false, true},
                            Fall{"Kontext geht, dann ein Fehler", true, true}}) {
        SCOPED_TRACE(fall.name);
        auto kontext = std::make_unique<QObject>();
        auto aufgabe = std::make_unique<Ansichtsaufgabe<int>>(kontext.get());
        auto sperre = std::make_shared<Sperre>();
        bool angewandt = false;
        aufgabe->setzeSchluessel(
            7, blockierend(sperre, "x", fall.wirft), [&](std::string) { angewandt = true; }, fehlschlag);
        ASSERT_TRUE(warte([&] { return sperre->gestartet.load(); }));
        if (fall.kontextLoeschen) {
            aufgabe.reset(); // the view's members go first, then the view itself
            kontext.reset();
        } else {
            aufgabe->stoppe();
            EXPECT_FALSE(aufgabe->schluessel().has_value()) << "after a stop the same key starts anew";
        }
        EXPECT_TRUE(sperre->sahStopp);
        sperre->frei.set_value();
        ASSERT_TRUE(lassAlleLaeufeEnden());
        EXPECT_FALSE(angewandt);
    }
}

TEST(AnsichtsaufgabeTest, eineArbeitDieScheitertEndetMitEinerDeutschenMeldungUndIhremTextImProtokoll) {
    const std::string quelle = "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.";
    const std::string allgemein = "Fehler: Der Vorgang konnte nicht abgeschlossen werden.";
    const std::string gescheitert = "Hintergrundarbeit gescheitert: ";
    // What the work throws, what is applied, what is logged.
    const std::tuple<std::exception_ptr, std::vector<std::string>, std::vector<std::string>> faelle[] = {
        {std::make_exception_ptr(std::runtime_error("disk I/O error")), {allgemein},
         {gescheitert + "disk I/O error"}},
        {std::make_exception_ptr(42), {allgemein}, {gescheitert + "unbekannter Fehler"}},
        {std::make_exception_ptr(qb::Kursfehler::quellenfehler(500)), {"Fehler: " + quelle},
         {gescheitert + quelle}},
        // A stop is never text, not even one the work reports without being asked to stop.
        {std::make_exception_ptr(qb::Abgebrochen()), {}, {}},
    };
    for (const auto& [fehler, erwartet, zeilen] : faelle) {
        const qb::test::Protokollmitschnitt protokoll;
        QObject kontext;
        Ansichtsaufgabe<int> aufgabe(&kontext);
        std::vector<std::string> angewandt;
        aufgabe.setzeSchluessel(
            1, [f = fehler](std::stop_token) -> std::string { std::rethrow_exception(f); },
            [&](std::string e) { angewandt.push_back(e); }, fehlschlag);
        ASSERT_TRUE(warte([&] { return !aufgabe.laeuft(); }));
        EXPECT_EQ(angewandt, erwartet);
        EXPECT_EQ(protokoll.texte(), zeilen);
    }
}

TEST(AnsichtsaufgabeTest, fuenfLaeufeSindZugleichUnterwegs) {
    // The comparison of a reference date sends its five requests at once, also on two cores.
    QObject kontext;
    std::vector<std::unique_ptr<Ansichtsaufgabe<int>>> aufgaben;
    std::vector<std::shared_ptr<Sperre>> sperren;
    int fertig = 0;
    for (int i = 0; i < 5; ++i) {
        aufgaben.push_back(std::make_unique<Ansichtsaufgabe<int>>(&kontext));
        sperren.push_back(std::make_shared<Sperre>());
        aufgaben.back()->setzeSchluessel(
            i, blockierend(sperren.back(), "x"), [&](std::string) { ++fertig; }, fehlschlag);
    }
    EXPECT_TRUE(warte([&] {
        return std::all_of(sperren.begin(), sperren.end(), [](const auto& s) { return s->gestartet.load(); });
    }));
    for (auto& sperre : sperren) {
        sperre->frei.set_value();
    }
    EXPECT_TRUE(warte([&] { return fertig == 5; }));
}

TEST(AnsichtsaufgabeTest, einKontextDerGehtWaehrendSeinLaufEndetBekommtNichts) {
    // A sheet closed just as its stopped fetch ends: the view goes on the GUI thread while the
    // worker hands the result over. Many rounds, with the two moments shifted against each other.
    int angewandt = 0;
    for (int runde = 0; runde < 20000; ++runde) {
        auto kontext = std::make_unique<QObject>();
        auto aufgabe = std::make_unique<Ansichtsaufgabe<int>>(kontext.get());
        auto los = std::make_shared<std::atomic<bool>>(false);
        aufgabe->setzeSchluessel(
            1,
            [los](std::stop_token) {
                while (!*los) {
                }
                return 1;
            },
            [&angewandt](int) { ++angewandt; }, [](std::string) { return 0; });
        *los = true;
        std::atomic<int> verschiebung = 0;
        while (verschiebung < (runde % 50) * 20) {
            ++verschiebung;
        }
        aufgabe.reset();
        kontext.reset();
        if (runde % 50 == 0) {
            QCoreApplication::processEvents();
        }
    }
    qb::arbeitspool().waitForDone();
    QCoreApplication::processEvents();
    EXPECT_EQ(angewandt, 0);
}

} // namespace
