#include <filesystem>
#include <memory>

#include <QLabel>
#include <QPushButton>
#include <QStackedLayout>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ui/Fensterhilfe.h"
#include "app/PortfolioAnsicht.h"
#include "app/Portfoliofenster.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Speichern.h"

using namespace qb;

namespace {

QString gezeigteSeite(const PortfolioAnsicht& ansicht) {
    auto* stapel = qobject_cast<QStackedLayout*>(ansicht.layout());
    return stapel != nullptr && stapel->currentWidget() != nullptr ? stapel->currentWidget()->objectName()
                                                                   : QString();
}

void fuehreAus(Ablage& ablage, const char* sql) {
    char* meldung = nullptr;
    ASSERT_EQ(sqlite3_exec(static_cast<sqlite3*>(ablage.verbindung()), sql, nullptr, nullptr, &meldung),
              SQLITE_OK)
        << (meldung != nullptr ? meldung : "");
}

TEST(PortfolioAnsichtTest, ersterStartLegtGenauEinPortfolioAnSpeichertEsUndZeigtDasHauptfenster) {
    Modellcontainer container(Ablage::imArbeitsspeicher());
    const Zeitpunkt vorher = jetzt();
    PortfolioAnsicht ansicht(container.kontext());
    // The creation runs once the waiting view is up, not inside the constructor.
    EXPECT_EQ(gezeigteSeite(ansicht), "vorbereitung");
    EXPECT_EQ(container.kontext().portfolios().size(), 0u);

    ASSERT_TRUE(qbtest::warteBis([&] { return ansicht.portfoliofenster() != nullptr; }));
    const Zeitpunkt nachher = jetzt();
    EXPECT_EQ(gezeigteSeite(ansicht), "portfoliofenster");
    QTest::qWait(20); // further turns of the event loop create nothing more

    const Bestand bestand = container.ablage().lade();
    ASSERT_EQ(bestand.portfolios.size(), 1u);
    const Portfolio::Felder& felder = bestand.portfolios.front().felder;
    EXPECT_EQ(felder.gruppenname, "");
    EXPECT_EQ(felder.startkapital, Dezimal(10000));
    // The moment of creation, not the start of its day.
    EXPECT_GE(felder.kaufdatum, vorher);
    EXPECT_LE(felder.kaufdatum, nachher);
    EXPECT_FALSE(container.kontext().hatAenderungen());
    EXPECT_EQ(ansicht.portfoliofenster()->portfolio(), container.kontext().portfolios().front());
}

TEST(PortfolioAnsichtTest, vorhandenePortfoliosZeigenDasMitDerKleinstenKennungUndLegenNichtsAn) {
    Modellcontainer container(Ablage::imArbeitsspeicher());
    auto erstes = std::make_shared<Portfolio>("Erstes", Dezimal(10000), Zeitpunkt{});
    auto zweites = std::make_shared<Portfolio>("Zweites", Dezimal(5000), Zeitpunkt{});
    container.kontext().fuegeEin(erstes);
    container.kontext().fuegeEin(zweites);
    ASSERT_EQ(speichere(container.kontext()), std::nullopt);
    ASSERT_LT(erstes->id(), zweites->id());

    PortfolioAnsicht ansicht(container.kontext());
    // At once, without a waiting view in between.
    ASSERT_NE(ansicht.portfoliofenster(), nullptr);
    EXPECT_EQ(ansicht.portfoliofenster()->portfolio(), erstes);
    QTest::qWait(20);
    EXPECT_EQ(container.ablage().lade().portfolios.size(), 2u);
    EXPECT_EQ(ansicht.portfoliofenster()->portfolio(), erstes);
}

TEST(PortfolioAnsichtTest, einFehlgeschlagenesSpeichernZeigtDieMeldungUndErneutVersuchenLegtNochEinmalAn) {
    qbtest::Testordner ordner;
    auto ablage = Ablage::oeffne(ordner.pfad() / "Spielstand.sqlite");
    fuehreAus(*ablage, "CREATE TRIGGER sperre BEFORE INSERT ON Portfolio "
                       "BEGIN SELECT RAISE(ABORT, 'Anlegen gesperrt'); END");
    Modellcontainer container(std::move(ablage));

    PortfolioAnsicht ansicht(container.kontext());
    ASSERT_TRUE(qbtest::warteBis([&] { return gezeigteSeite(ansicht) == QStringLiteral("anlagefehler"); }));
    auto* text = ansicht.findChild<QLabel*>(QStringLiteral("anlagefehlerText"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(),
              QStringLiteral("Die Änderung konnte nicht gespeichert werden: Eine Bedingung der Datenbank ist verletzt"));
    EXPECT_EQ(text->textFormat(), Qt::PlainText);
    // Rolled back: neither the context nor the store holds a portfolio.
    EXPECT_TRUE(container.kontext().portfolios().empty());
    EXPECT_TRUE(container.ablage().lade().portfolios.empty());
    // Nothing is retried by itself.
    QTest::qWait(20);
    EXPECT_EQ(gezeigteSeite(ansicht), "anlagefehler");

    fuehreAus(container.ablage(), "DROP TRIGGER sperre");
    auto* knopf = ansicht.findChild<QPushButton*>(QStringLiteral("erneutVersuchen"));
    ASSERT_NE(knopf, nullptr);
    ansicht.show();
    QTest::mouseClick(knopf, Qt::LeftButton);
    EXPECT_EQ(gezeigteSeite(ansicht), "vorbereitung");
    ASSERT_TRUE(qbtest::warteBis([&] { return ansicht.portfoliofenster() != nullptr; }));
    EXPECT_EQ(container.ablage().lade().portfolios.size(), 1u);
}

} // namespace
