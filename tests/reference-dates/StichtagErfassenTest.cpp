#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Hinweiszeile.h"
#include "app/Modellbeobachter.h"
#include "app/Spielstandhilfe.h"
#include "app/Zahleneingabe.h"
#include "model/Bewertung.h"
#include "reference-dates/KurseingabeFelder.h"
#include "reference-dates/StichtagErfassen.h"
#include "reference-dates/StichtagskursFelder.h"
#include "sources/Testhilfen.h"

using namespace qb;
using namespace std::chrono_literals;
using qbtest::Antwort;

namespace {

const char* const einzelPfad = "/v1/data/price_information/single";
const char* const usdPfad = "/v2/rate/EUR/USD";

// The five positions: class, identifier, the exchange's price (EUR) or for the currency the
// ECB rate, and the price the group types.
struct Posten {
    Assetklasse klasse;
    const char* kennung;
    const char* vergleich;
    const char* getippt;
};
const std::vector<Posten> posten{
    {Assetklasse::aktie, "DE0007164600", "120", "120,5"},
    {Assetklasse::anleihe, "DE0001102580", "99.5", "99,4"},
    {Assetklasse::waehrung, "USD", "1.08", "1,08"},
    {Assetklasse::rohstoff, "DE000A0S9GB0", "70", "70"},
    {Assetklasse::co2Zertifikat, "DE0005140008", "15", "15,1"},
};

Antwort einzelkurs(const std::string& isin, const std::string& kurs) {
    return Antwort::json(R"({"isin":")" + isin + R"(","lastPrice":)" + kurs +
                         R"(,"currency":{"originalValue":"EUR"},"tradedInPercent":false})");
}

class StichtagErfassenTest : public ::testing::Test {
protected:
    StichtagErfassenTest() {
        for (const auto& p : posten) {
            auto position = testspiel::kaufe(spiel.portfolio, p.klasse, "Posten", 10, testspiel::eur("100"));
            position->setzeKennung(p.kennung);
            preise[p.kennung] = p.vergleich;
        }
        spiel.speichereOderScheitere();
        // Every answer comes late, so that the sheet is seen waiting for it.
        server.beantworte(einzelPfad, [this](const qbtest::Anfrage& anfrage) {
            const std::string isin = anfrage.wert("isin");
            Antwort antwort = preise.contains(isin) ? einzelkurs(isin, preise.at(isin)) : Antwort::nachStatus(404);
            if (fehlschlagen.contains(isin)) {
                antwort = Antwort::nachStatus(500);
            }
            antwort.verzoegerung = verzoegerung;
            return antwort;
        });
        server.beantworte(usdPfad, [this](const qbtest::Anfrage&) {
            Antwort antwort = Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":1.08})");
            antwort.verzoegerung = verzoegerung;
            return antwort;
        });
    }

    void oeffne(std::optional<Zeitpunkt> abruftag = std::nullopt) {
        blatt = std::make_unique<StichtagErfassen>(spiel.portfolio, beobachter, qbtest::dienstFuer(server), abruftag);
        spion = std::make_unique<QSignalSpy>(blatt.get(), &StichtagErfassen::angelegt);
        blatt->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt.get()));
    }

    StichtagskursFelder* zeile(Assetklasse klasse) const {
        return blatt->findChild<StichtagskursFelder*>(QStringLiteral("zeile_") + QString::fromUtf8(rohwert(klasse).data()));
    }

    // The one number field the row shows for its price.
    QLineEdit* preisfeld(Assetklasse klasse) const {
        for (auto* feld : zeile(klasse)->findChildren<Zahleneingabe*>()) {
            if (feld->isVisible()) {
                return feld->feld();
            }
        }
        ADD_FAILURE() << "kein Preisfeld";
        return nullptr;
    }

    void tippe(Assetklasse klasse, const char* text) {
        QLineEdit* feld = preisfeld(klasse);
        feld->setFocus();
        QTest::keyClicks(feld, QString::fromUtf8(text));
    }

    void tippeAlle() {
        for (const auto& p : posten) {
            tippe(p.klasse, p.getippt);
        }
    }

    QString vergleichstext(Assetklasse klasse) const {
        auto* label = zeile(klasse)->findChild<QLabel*>(QStringLiteral("vergleich"));
        return label->isVisible() ? label->text() : QString();
    }

    bool alleVerglichen() const { return blatt->entwurf().vergleiche().size() == posten.size(); }

    QPushButton* knopf(const QString& name) const { return blatt->findChild<QPushButton*>(name); }

    QMessageBox* rueckfrage() const { return blatt->findChild<QMessageBox*>(QStringLiteral("rueckfrage")); }

    std::size_t anfragenFuer(const std::string& isin) const {
        std::size_t anzahl = 0;
        for (const auto& anfrage : server.anfragen(einzelPfad)) {
            anzahl += anfrage.wert("isin") == isin ? 1 : 0;
        }
        return anzahl;
    }

    qbtest::Spielstand spiel;
    Modellbeobachter beobachter{spiel.kontext()};
    qbtest::Testserver server;
    std::map<std::string, std::string> preise;
    std::set<std::string> fehlschlagen;
    std::chrono::milliseconds verzoegerung = 200ms;
    std::unique_ptr<StichtagErfassen> blatt;
    std::unique_ptr<QSignalSpy> spion;
};

} // namespace

TEST_F(StichtagErfassenTest, fuenfKurseMitVergleichWerdenEinStichtagMitFuenfNotizen) {
    oeffne();
    // The rows wait for their comparison while the prices are typed.
    EXPECT_TRUE(zeile(Assetklasse::aktie)->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible());
    tippeAlle();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 10000));
    EXPECT_TRUE(vergleichstext(Assetklasse::aktie).startsWith(QStringLiteral("Vergleich: Börse Frankfurt")))
        << vergleichstext(Assetklasse::aktie).toStdString();
    // The typed text survived every answer that arrived meanwhile.
    EXPECT_EQ(preisfeld(Assetklasse::aktie)->text(), QStringLiteral("120,5"));
    EXPECT_EQ(preisfeld(Assetklasse::co2Zertifikat)->text(), QStringLiteral("15,1"));
    // One request per row, no more.
    for (const auto& p : posten) {
        if (p.klasse != Assetklasse::waehrung) {
            EXPECT_EQ(anfragenFuer(p.kennung), 1U) << p.kennung;
        }
    }

    // Return in a number field neither saves nor closes.
    QTest::keyClick(preisfeld(Assetklasse::aktie), Qt::Key_Return);
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());

    // Every price within 10 % of its comparison: saved at once, no question.
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    EXPECT_EQ(rueckfrage(), nullptr);
    ASSERT_EQ(spion->count(), 1);
    EXPECT_FALSE(blatt->isVisible());
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 1U);
    ASSERT_EQ(bestand.preisnotizen.size(), 5U);
    std::map<std::string, Dezimal> nachKennung;
    for (const auto& notiz : bestand.preisnotizen) {
        EXPECT_EQ(notiz.felder.quelle, "Bloomberg");
        EXPECT_EQ(notiz.felder.herkunft, Preisherkunft::manuell);
        nachKennung[notiz.felder.kennung] = notiz.felder.preis;
    }
    EXPECT_EQ(nachKennung.at("DE0007164600"), Dezimal::aus("120.5"));
    EXPECT_EQ(nachKennung.at("DE0001102580"), Dezimal::aus("99.4"));
    EXPECT_EQ(nachKennung.at("DE0005140008"), Dezimal::aus("15.1"));
    EXPECT_TRUE(spion->at(0).at(0).value<Bewertungserfassung::Ergebnis>().verworfen.empty());
}

TEST_F(StichtagErfassenTest, starkeAbweichungFragtUndSpeichertNurNachTrotzdemSpeichern) {
    oeffne();
    tippe(Assetklasse::aktie, "150");
    tippe(Assetklasse::anleihe, "99,5");
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 10000));
    EXPECT_NE(zeile(Assetklasse::aktie)->findChild<Hinweiszeile*>(QStringLiteral("warnung")), nullptr);

    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_NE(rueckfrage(), nullptr);
    EXPECT_EQ(rueckfrage()->text(), QStringLiteral("Ein Kurs weicht stark vom Vergleich ab"));
    rueckfrage()->findChild<QPushButton*>(QStringLiteral("zurueckZurEingabe"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() == nullptr || !rueckfrage()->isVisible(); }, 2000));
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());

    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() && rueckfrage()->isVisible(); }, 2000));
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());
    rueckfrage()->findChild<QPushButton*>(QStringLiteral("trotzdemSpeichern"))->click();
    ASSERT_EQ(spion->count(), 1);
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 1U);
    ASSERT_EQ(bestand.preisnotizen.size(), 2U);
    std::map<std::string, Dezimal> nachKennung;
    for (const auto& notiz : bestand.preisnotizen) {
        nachKennung[notiz.felder.kennung] = notiz.felder.preis;
    }
    EXPECT_EQ(nachKennung.at("DE0007164600"), Dezimal(150));
    EXPECT_EQ(nachKennung.at("DE0001102580"), Dezimal::aus("99.5"));
}

TEST_F(StichtagErfassenTest, schliessenWaehrendDesAbrufsSpeichertNichts) {
    verzoegerung = 1500ms;
    oeffne();
    tippe(Assetklasse::aktie, "120");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.anfragen(einzelPfad).size() >= 4; }, 5000));
    QTest::mouseClick(knopf(QStringLiteral("abbrechen")), Qt::LeftButton);
    auto* frage = blatt->findChild<QMessageBox*>(QStringLiteral("verwerfenFrage"));
    ASSERT_NE(frage, nullptr);
    EXPECT_EQ(frage->text(), QStringLiteral("Eingetragene Kurse verwerfen?"));
    frage->findChild<QPushButton*>(QStringLiteral("verwerfen"))->click();
    EXPECT_FALSE(blatt->isVisible());
    EXPECT_EQ(blatt->result(), QDialog::Rejected);

    // The answers still arrive at the server's pace; none reaches the closed sheet.
    QTest::qWait(2500);
    EXPECT_TRUE(blatt->entwurf().vergleiche().empty());
    EXPECT_EQ(spion->count(), 0);
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());
}

TEST_F(StichtagErfassenTest, erneutHolenFragtNurDenFehlgeschlagenenVergleich) {
    fehlschlagen.insert("DE0007164600");
    oeffne();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 10000));
    QPushButton* erneut = zeile(Assetklasse::aktie)->findChild<QPushButton*>(QStringLiteral("vergleichErneutHolen"));
    ASSERT_TRUE(erneut->isVisible());
    EXPECT_TRUE(vergleichstext(Assetklasse::aktie).startsWith(QStringLiteral("Kein Vergleichskurs abrufbar: ")));
    EXPECT_FALSE(zeile(Assetklasse::anleihe)->findChild<QPushButton*>(QStringLiteral("vergleichErneutHolen"))->isVisible());
    const std::size_t vorherAktie = anfragenFuer("DE0007164600");
    const std::size_t vorherAnleihe = anfragenFuer("DE0001102580");

    fehlschlagen.clear();
    QTest::mouseClick(erneut, Qt::LeftButton);
    EXPECT_TRUE(zeile(Assetklasse::aktie)->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return vergleichstext(Assetklasse::aktie).startsWith(QStringLiteral("Vergleich: ")); },
                                10000));
    EXPECT_GT(anfragenFuer("DE0007164600"), vorherAktie);
    EXPECT_EQ(anfragenFuer("DE0001102580"), vorherAnleihe);
    EXPECT_FALSE(erneut->isVisible());
}

TEST_F(StichtagErfassenTest, gescheitertesSpeichernLaesstBlattUndEingabeStehen) {
    verzoegerung = 0ms;
    oeffne();
    tippe(Assetklasse::aktie, "120");
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 10000));
    // The footer names the rows still without a price.
    auto* ohneKurs = blatt->findChild<QLabel*>(QStringLiteral("ohneKurs"));
    EXPECT_TRUE(ohneKurs->isVisible());
    EXPECT_EQ(ohneKurs->text(), QStringLiteral("Ohne Kurs bleiben: Anleihe, Währung, Rohstoff, CO2-Zertifikat. Du kannst "
                                               "sie später im Stichtag eintragen."));

    spiel.sperre("INSERT ON Bewertung");
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    auto* fehler = blatt->findChild<Hinweiszeile*>(QStringLiteral("fehler"));
    ASSERT_TRUE(fehler->isVisible());
    EXPECT_EQ(fehler->text(), QStringLiteral("Der Stichtag konnte nicht gesichert werden: ") +
                                  QString::fromStdString(qbtest::gesperrtMeldung));
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_EQ(preisfeld(Assetklasse::aktie)->text(), QStringLiteral("120"));
    EXPECT_EQ(spion->count(), 0);

    // Saving can be repeated once the store takes it.
    spiel.entsperre();
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    EXPECT_EQ(spion->count(), 1);
    EXPECT_EQ(spiel.gespeichert().bewertungen.size(), 1U);
}
