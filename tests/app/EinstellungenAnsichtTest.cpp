#include <memory>
#include <string>

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "Spielstandhilfe.h"
#include "Umgebung.h"
#include "app/EinstellungenAnsicht.h"
#include "app/Hinweiszeile.h"
#include "app/Modellbeobachter.h"
#include "app/Textbruecke.h"
#include "app/Zahleneingabe.h"

using namespace qb;
using qbtest::Spielstand;
using testspiel::tag;

namespace {

// The settings tab on screen over a game in a real store file.
struct Einstellungsseite {
    explicit Einstellungsseite(Spielstand& spiel)
        : beobachter(spiel.kontext()), ansicht(std::make_unique<EinstellungenAnsicht>(spiel.portfolio, beobachter)) {
        ansicht->resize(700, 900);
        ansicht->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(ansicht.get()));
    }

    template <typename T>
    T* teil(const char* name) const {
        T* gefunden = ansicht->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(gefunden, nullptr) << name;
        return gefunden;
    }
    QPushButton* knopf(const char* name) const { return teil<QPushButton>(name); }
    QLineEdit* startkapital() const { return teil<Zahleneingabe>("startkapital")->feld(); }
    std::string text(const char* name) const { return utf8(teil<QLabel>(name)->text()); }
    void klicke(const char* name) const {
        ASSERT_TRUE(knopf(name)->isEnabled()) << name;
        QTest::mouseClick(knopf(name), Qt::LeftButton);
    }
    // Answers the reset confirmation, which opens without blocking.
    void antworte(const char* knopfname) const {
        QMessageBox* frage = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            frage = ansicht->findChild<QMessageBox*>(QStringLiteral("zuruecksetzenBestaetigen"));
            return frage != nullptr && frage->isVisible();
        }));
        EXPECT_EQ(utf8(frage->text()), "Spiel wirklich zurücksetzen?");
        QPointer<QMessageBox> offen(frage);
        QTest::mouseClick(frage->findChild<QPushButton*>(QString::fromLatin1(knopfname)), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return offen.isNull() || !offen->isVisible(); }));
    }

    Modellbeobachter beobachter;
    std::unique_ptr<EinstellungenAnsicht> ansicht;
};

TEST(EinstellungenAnsichtTest, dieDreiEinstellungenErreichenDenSpeicherNurUeberIhreKnoepfe) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Spielstand spiel;
    Einstellungsseite seite(spiel);
    auto* name = seite.teil<QLineEdit>("gruppenname");
    auto* einstieg = seite.teil<QDateEdit>("einstieg");
    EXPECT_EQ(name->text(), QStringLiteral("Gruppe"));
    EXPECT_EQ(einstieg->text(), QStringLiteral("04.03.2024"));
    EXPECT_EQ(seite.startkapital()->text(), QStringLiteral("100000"));
    EXPECT_FALSE(seite.knopf("gruppennameUebernehmen")->isEnabled());
    EXPECT_FALSE(seite.knopf("spielZuruecksetzen")->isEnabled());

    // Typing changes nothing stored; Return in the field takes the name over.
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("  Team Nord "));
    EXPECT_TRUE(seite.knopf("gruppennameUebernehmen")->isEnabled());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.gruppenname, "Gruppe");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.gruppenname, "Team Nord");
    EXPECT_EQ(name->text(), QStringLiteral("Team Nord"));
    EXPECT_FALSE(seite.knopf("gruppennameUebernehmen")->isEnabled());

    // A day picked; its button takes it over with the time of day of the stored entry.
    EXPECT_FALSE(seite.knopf("einstiegUebernehmen")->isEnabled());
    einstieg->setDate(QDate(2024, 2, 28));
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2024, 3, 4, 9));
    seite.klicke("einstiegUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2024, 2, 28, 9));

    // The starting capital as the user writes it, grouped.
    seite.startkapital()->selectAll();
    QTest::keyClicks(seite.startkapital(), QStringLiteral("120.000"));
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(100000));
    seite.klicke("startkapitalUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(120000));
    EXPECT_EQ(seite.startkapital()->text(), QStringLiteral("120.000"));
    EXPECT_FALSE(seite.knopf("startkapitalUebernehmen")->isEnabled());
    QTRY_COMPARE(seite.teil<QLabel>("standBarbestand")->text(), QStringLiteral("120.000,00\u00a0€"));
    EXPECT_EQ(seite.text("versionszeile"), std::string("Quinzelbrockat ") + QB_VERSION);
}

TEST(EinstellungenAnsichtTest, zuruecksetzenFragtErstUndLoeschtDannAlles) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungsseite seite(spiel);
    EXPECT_EQ(seite.text("standPositionen"), "1 von 5");
    EXPECT_EQ(seite.text("standStichtage"), "1");
    EXPECT_EQ(seite.teil<QDateEdit>("einstieg")->maximumDate(), QDate(2024, 3, 11)) << "the first reference date's day";

    seite.klicke("spielZuruecksetzen");
    seite.antworte("abbrechen");
    EXPECT_EQ(spiel.gespeichert().positionen.size(), 2U);

    seite.klicke("spielZuruecksetzen");
    seite.antworte("allesLoeschen");
    const Bestand bestand = spiel.gespeichert();
    EXPECT_TRUE(bestand.positionen.empty());
    EXPECT_TRUE(bestand.bewertungen.empty());
    EXPECT_EQ(bestand.portfolios.at(0).felder.gruppenname, "Gruppe");
    EXPECT_EQ(seite.text("standPositionen"), "0 von 5");
    EXPECT_EQ(seite.text("standStichtage"), "0");
    EXPECT_FALSE(seite.knopf("spielZuruecksetzen")->isEnabled());
}

TEST(EinstellungenAnsichtTest, einGescheitertesSpeichernStehtAlsKopierbareMeldungDaUndDieEingabeBleibt) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungsseite seite(spiel);
    spiel.sperre("UPDATE ON Portfolio");

    seite.startkapital()->selectAll();
    QTest::keyClicks(seite.startkapital(), QStringLiteral("90000"));
    auto* warnung = seite.teil<Hinweiszeile>("startkapitalwarnung");
    EXPECT_TRUE(warnung->isVisible());
    seite.klicke("startkapitalUebernehmen");

    auto* meldung = seite.teil<QLabel>("meldung");
    EXPECT_TRUE(meldung->isVisible());
    EXPECT_EQ(utf8(meldung->text()), qbtest::gesperrtMeldung);
    EXPECT_EQ(meldung->textFormat(), Qt::PlainText);
    EXPECT_TRUE(meldung->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(seite.startkapital()->text(), QStringLiteral("90000"));
    EXPECT_TRUE(seite.knopf("startkapitalUebernehmen")->isEnabled());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(100000));

    // Once the store takes it, the message goes.
    spiel.entsperre();
    seite.klicke("startkapitalUebernehmen");
    EXPECT_FALSE(meldung->isVisible());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(90000));
}

} // namespace
