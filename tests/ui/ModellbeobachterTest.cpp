#include <memory>

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/Modellbeobachter.h"
#include "model/Ablage.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Speichern.h"

using namespace qb;

namespace {

TEST(ModellbeobachterTest, vieleAenderungenEinerAktionMeldenSichEinmalNachDerAktion) {
    auto ablage = Ablage::imArbeitsspeicher();
    Modellkontext kontext(*ablage);
    Modellbeobachter beobachter(kontext);
    QSignalSpy signale(&beobachter, &Modellbeobachter::geaendert);

    // One action: a portfolio with 300 positions, saved, all in one turn of the event loop.
    auto portfolio = std::make_shared<Portfolio>("", Dezimal(10000), Zeitpunkt{});
    kontext.fuegeEin(portfolio);
    for (int i = 0; i < 300; ++i) {
        portfolio->fuegeHinzu(std::make_shared<Position>(Assetklasse::aktie));
    }
    ASSERT_EQ(speichere(kontext), std::nullopt);
    EXPECT_EQ(signale.count(), 0) << "views must not read records in the middle of an action";
    ASSERT_TRUE(signale.wait(2000));
    QTest::qWait(20);
    EXPECT_EQ(signale.count(), 1);

    // A second action later is a second signal; a rollback is a change too.
    portfolio->setzeGruppenname("Team");
    kontext.zuruecksetzen();
    ASSERT_TRUE(signale.wait(2000));
    EXPECT_EQ(signale.count(), 2);
    EXPECT_EQ(portfolio->gruppenname(), "");
}

TEST(ModellbeobachterTest, nachDemEndeDerBeobachtungKommtNichtsMehr) {
    auto ablage = Ablage::imArbeitsspeicher();
    Modellkontext kontext(*ablage);
    auto portfolio = std::make_shared<Portfolio>("", Dezimal(10000), Zeitpunkt{});
    kontext.fuegeEin(portfolio);
    int signale = 0;
    {
        Modellbeobachter beobachter(kontext);
        QObject::connect(&beobachter, &Modellbeobachter::geaendert, [&] { ++signale; });
        portfolio->setzeGruppenname("A");
        // Gone before the queued signal could be delivered.
    }
    portfolio->setzeGruppenname("B");
    QTest::qWait(50);
    EXPECT_EQ(signale, 0);
}

} // namespace
