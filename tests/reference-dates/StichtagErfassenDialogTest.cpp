#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/Arbeitspool.h"
#include "ui/Bedienhilfe.h"
#include "ui/Dialoge.h"
#include "ui/Fenstergroesse.h"
#include "ui/Hinweiszeile.h"
#include "ui/Modellbeobachter.h"
#include "ui/Radhilfe.h"
#include "ui/Schrifthilfe.h"
#include "ui/Spielstandhilfe.h"
#include "ui/Zahleneingabe.h"
#include "model/Bewertung.h"
#include "ui/KurseingabeFelder.h"
#include "reference-dates/StichtagErfassenDialog.h"
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

class StichtagErfassenDialogTest : public ::testing::Test {
protected:
    StichtagErfassenDialogTest() {
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
            warteAufFreigabe();
            return antwort;
        });
        server.beantworte(usdPfad, [this](const qbtest::Anfrage&) {
            Antwort antwort = Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":1.08})");
            if (fehlschlagen.contains("USD")) {
                antwort = Antwort::nachStatus(500);
            }
            antwort.verzoegerung = verzoegerung;
            warteAufFreigabe();
            return antwort;
        });
    }

    ~StichtagErfassenDialogTest() override { zurueckhalten = false; }

    // On the server's threads: answers wait while the test holds them back. The fixture lets them
    // go as it ends; the bound of a minute only keeps a hung test from holding the server for ever.
    void warteAufFreigabe() const {
        for (int i = 0; i < 12000 && zurueckhalten; ++i) {
            std::this_thread::sleep_for(5ms);
        }
    }

    void oeffne(std::optional<Zeitpunkt> abruftag = std::nullopt, QWidget* eltern = nullptr) {
        blatt = std::make_unique<StichtagErfassenDialog>(spiel.portfolio, beobachter, qbtest::dienstFuer(server),
                                                         abruftag, eltern);
        spion = std::make_unique<QSignalSpy>(blatt.get(), &StichtagErfassenDialog::angelegt);
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

    // Every request the rows make now has its answer: a row switched to another currency waits
    // for the new one, whatever became of the old.
    bool alleVerglichen() const { return blatt->entwurf().offeneAuftraege().empty(); }

    // Lets every fetch still on the pool end and delivers what it sends back: a request the sheet
    // sent has reached the server by then, and an answer it was still waiting for has arrived.
    static void lassAlleAbrufeEnden() {
        ASSERT_TRUE(arbeitspool().waitForDone(30000));
        QCoreApplication::processEvents();
    }

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
    std::map<std::string, std::string> preise;
    std::set<std::string> fehlschlagen;
    std::chrono::milliseconds verzoegerung = 200ms;
    std::atomic<bool> zurueckhalten{false};
    // Declared after everything its answers read, so that it stops before those go: a request
    // the sheet sends in a test's last line is answered while the server stops.
    qbtest::Testserver server;
    // The main window, for a sheet opened over it; it goes after the sheet.
    QWidget fenster;
    std::unique_ptr<StichtagErfassenDialog> blatt;
    std::unique_ptr<QSignalSpy> spion;
};

} // namespace

TEST_F(StichtagErfassenDialogTest, fuenfKurseMitVergleichWerdenEinStichtagMitFuenfNotizen) {
    zurueckhalten = true;
    oeffne();
    // The rows wait for their comparison while the prices are typed.
    EXPECT_TRUE(zeile(Assetklasse::aktie)->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible());
    zurueckhalten = false;
    tippeAlle();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
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

TEST_F(StichtagErfassenDialogTest, starkeAbweichungFragtUndSpeichertNurNachTrotzdemSpeichern) {
    oeffne();
    tippe(Assetklasse::aktie, "150");
    tippe(Assetklasse::anleihe, "99,5");
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    EXPECT_NE(zeile(Assetklasse::aktie)->findChild<Hinweiszeile*>(QStringLiteral("warnung")), nullptr);

    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_NE(rueckfrage(), nullptr);
    EXPECT_EQ(rueckfrage()->text(), QStringLiteral("Ein Kurs weicht stark vom Vergleich ab"));
    // Return is "Zurück zur Eingabe": a deviating price is saved only by a deliberate click.
    QTest::keyClick(rueckfrage(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() == nullptr || !rueckfrage()->isVisible(); }, 30000));
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());

    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() && rueckfrage()->isVisible(); }, 30000));
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

TEST_F(StichtagErfassenDialogTest, schliessenWaehrendDesAbrufsSpeichertNichts) {
    zurueckhalten = true;
    oeffne();
    tippe(Assetklasse::aktie, "120");
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.anfragen(einzelPfad).size() >= 4; }, 30000));
    QTest::mouseClick(knopf(QStringLiteral("abbrechen")), Qt::LeftButton);
    auto* frage = blatt->findChild<QMessageBox*>(QStringLiteral("verwerfenFrage"));
    ASSERT_NE(frage, nullptr);
    EXPECT_EQ(frage->text(), QStringLiteral("Eingetragene Kurse verwerfen?"));
    frage->findChild<QPushButton*>(QStringLiteral("verwerfen"))->click();
    EXPECT_FALSE(blatt->isVisible());
    EXPECT_EQ(blatt->result(), QDialog::Rejected);

    // The answers go out after the sheet closed; none reaches it.
    zurueckhalten = false;
    lassAlleAbrufeEnden();
    EXPECT_TRUE(blatt->entwurf().vergleiche().empty());
    EXPECT_EQ(spion->count(), 0);
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());
}

TEST_F(StichtagErfassenDialogTest, erneutHolenFragtNurDenFehlgeschlagenenVergleich) {
    fehlschlagen.insert("DE0007164600");
    oeffne();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
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
                                30000));
    EXPECT_GT(anfragenFuer("DE0007164600"), vorherAktie);
    EXPECT_EQ(anfragenFuer("DE0001102580"), vorherAnleihe);
    EXPECT_FALSE(erneut->isVisible());
}

TEST_F(StichtagErfassenDialogTest, gescheitertesSpeichernLaesstBlattUndEingabeStehen) {
    verzoegerung = 0ms;
    oeffne();
    tippe(Assetklasse::aktie, "120");
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    // The footer names the rows still without a price.
    auto* ohneKurs = blatt->findChild<QLabel*>(QStringLiteral("ohneKurs"));
    EXPECT_TRUE(ohneKurs->isVisible());
    EXPECT_EQ(ohneKurs->text(), QStringLiteral("Ohne Kurs bleiben: Anleihe, Währung, Rohstoff, CO2-Zertifikat. Du kannst "
                                               "sie später im Stichtag eintragen."));

    spiel.sperre("INSERT ON Bewertung");
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    auto* fehler = blatt->findChild<Hinweiszeile*>(QStringLiteral("fehler"));
    ASSERT_TRUE(fehler->isVisible());
    // One lead: the save's own text.
    EXPECT_EQ(fehler->text(), QString::fromStdString(qbtest::gesperrtMeldung));
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_EQ(preisfeld(Assetklasse::aktie)->text(), QStringLiteral("120"));
    EXPECT_EQ(spion->count(), 0);

    // Saving can be repeated once the store takes it.
    spiel.entsperre();
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    EXPECT_EQ(spion->count(), 1);
    EXPECT_EQ(spiel.gespeichert().bewertungen.size(), 1U);
}

TEST_F(StichtagErfassenDialogTest, offeneVergleicheEinFehlschlagUndEineSpaeteAbweichungBisZumGespeichertenStichtag) {
    zurueckhalten = true;
    fehlschlagen.insert("DE000A0S9GB0");
    oeffne();
    for (const auto& p : posten) {
        tippe(p.klasse, p.klasse == Assetklasse::aktie ? "150" : p.getippt);
    }
    ASSERT_TRUE(blatt->entwurf().vergleiche().empty());

    // Asked while every comparison is still out.
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_NE(rueckfrage(), nullptr);
    EXPECT_EQ(rueckfrage()->text(), QStringLiteral("Noch nicht alle Kurse verglichen"));
    EXPECT_EQ(rueckfrage()->informativeText(),
              QStringLiteral("Noch nicht verglichen: Aktie, Anleihe, Währung, Rohstoff, CO2-Zertifikat. Der "
                             "Vergleichskurs wird noch geholt."));

    // The answers arrive while the question is shown; the share's is far off.
    zurueckhalten = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    rueckfrage()->findChild<QPushButton*>(QStringLiteral("trotzdemSpeichern"))->click();
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_EQ(spion->count(), 0);
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());
    auto* neueAbweichung = blatt->findChild<QWidget*>(QStringLiteral("neueAbweichung"));
    EXPECT_TRUE(neueAbweichung->isVisible());
    EXPECT_NE(zeile(Assetklasse::aktie)->findChild<Hinweiszeile*>(QStringLiteral("warnung")), nullptr);
    // The failed comparison is shown with its reason and a retry; it does not block saving.
    EXPECT_EQ(vergleichstext(Assetklasse::rohstoff),
              QStringLiteral("Kein Vergleichskurs abrufbar: Die Quelle meldete einen Fehler (HTTP 500). Später "
                             "erneut versuchen."));
    EXPECT_TRUE(zeile(Assetklasse::rohstoff)->findChild<QPushButton*>(QStringLiteral("vergleichErneutHolen"))->isVisible());

    // Asked again, now about the deviation alone.
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    EXPECT_FALSE(neueAbweichung->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() && rueckfrage()->isVisible(); }, 30000));
    EXPECT_EQ(rueckfrage()->text(), QStringLiteral("Ein Kurs weicht stark vom Vergleich ab"));
    EXPECT_EQ(rueckfrage()->informativeText(),
              QStringLiteral("Aktie: Kurs aktuell laut Quelle: 120,00 €. Eingetragen: 150,00 €. "
                             "Abweichung 25\u00a0%."))
        << rueckfrage()->informativeText().toStdString();
    rueckfrage()->findChild<QPushButton*>(QStringLiteral("trotzdemSpeichern"))->click();
    ASSERT_EQ(spion->count(), 1);
    EXPECT_FALSE(blatt->isVisible());
    EXPECT_TRUE(spion->at(0).at(0).value<Bewertungserfassung::Ergebnis>().verworfen.empty());

    // Exactly one reference date with the five typed prices, as typed.
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 1U);
    const Zeitpunkt datum = bestand.bewertungen[0].felder.datum;
    ASSERT_EQ(bestand.preisnotizen.size(), 5U);
    struct Erwartet {
        Dezimal preis;
        std::optional<Dezimal> preisOriginal;
        std::optional<std::string> originalwaehrung;
        std::optional<Dezimal> umrechnung;
    };
    const std::map<std::string, Erwartet> erwartet{
        {"DE0007164600", {Dezimal(150), {}, {}, {}}},
        {"DE0001102580", {Dezimal::aus("99.4"), {}, {}, {}}},
        {"USD", {Dezimal::aus("0.925925925926"), Dezimal(1), "USD", Dezimal::aus("1.08")}},
        {"DE000A0S9GB0", {Dezimal(70), {}, {}, {}}},
        {"DE0005140008", {Dezimal::aus("15.1"), {}, {}, {}}},
    };
    std::set<std::string> gesehen;
    for (const auto& notiz : bestand.preisnotizen) {
        const auto& f = notiz.felder;
        SCOPED_TRACE(f.kennung);
        ASSERT_TRUE(erwartet.contains(f.kennung));
        gesehen.insert(f.kennung);
        const Erwartet& e = erwartet.at(f.kennung);
        EXPECT_EQ(notiz.bewertung, bestand.bewertungen[0].id);
        EXPECT_EQ(f.preis, e.preis);
        EXPECT_EQ(f.waehrung, "EUR");
        EXPECT_EQ(f.quelle, "Bloomberg");
        EXPECT_EQ(f.art, Kursart::vonHand);
        EXPECT_EQ(f.herkunft, Preisherkunft::manuell);
        EXPECT_EQ(f.abgerufenAm, datum);
        EXPECT_EQ(f.handelsumfang, std::nullopt);
        EXPECT_EQ(f.preisOriginal, e.preisOriginal);
        EXPECT_EQ(f.originalwaehrung, e.originalwaehrung);
        EXPECT_EQ(f.umrechnung, e.umrechnung);
    }
    EXPECT_EQ(gesehen.size(), 5U);
}

TEST_F(StichtagErfassenDialogTest, eineAndereHandelswaehrungHoltNurDenNeuenVergleich) {
    oeffne();
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    ASSERT_EQ(server.anfragen(usdPfad).size(), 1U);
    const auto anzahlen = [&] {
        std::map<std::string, std::size_t> anzahl;
        for (const auto& p : posten) {
            anzahl[p.kennung] = anfragenFuer(p.kennung);
        }
        return anzahl;
    };
    const auto vorher = anzahlen();
    StichtagskursFelder* aktie = zeile(Assetklasse::aktie);
    auto* wahl = aktie->findChild<QComboBox*>(QStringLiteral("handelswaehrung"));
    const auto waehle = [&](const char* code) {
        const int index = wahl->findData(QString::fromUtf8(code));
        ASSERT_GE(index, 0);
        wahl->setCurrentIndex(index);
        emit wahl->activated(index);
    };
    const auto umrechnungsfeld = [&] { return aktie->findChild<Zahleneingabe*>(QStringLiteral("umrechnung")); };
    const auto eingabe = [&] { return blatt->entwurf().zeile(Assetklasse::aktie)->eingabe; };

    waehle("USD");
    EXPECT_TRUE(aktie->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return vergleichstext(Assetklasse::aktie).startsWith(QStringLiteral("Vergleich: ")); },
                                30000));
    // Only the share's new request went out: its price and its rate.
    auto nachher = anzahlen();
    for (const auto& p : posten) {
        EXPECT_EQ(nachher.at(p.kennung), vorher.at(p.kennung) + (p.klasse == Assetklasse::aktie ? 1 : 0)) << p.kennung;
    }
    EXPECT_EQ(server.anfragen(usdPfad).size(), 2U);
    // The fetched rate fills the untouched rate field, and the field shows what the draft holds.
    EXPECT_EQ(eingabe().umrechnung, Dezimal::aus("1.08"));
    EXPECT_EQ(eingabe().ezbVorbelegung, Dezimal::aus("1.08"));
    EXPECT_EQ(umrechnungsfeld()->feld()->text(), QStringLiteral("1,08"));

    // Back to euros and to dollars again: both answers are stored, nothing is fetched, and the
    // field and the draft agree at every step.
    waehle("EUR");
    EXPECT_FALSE(aktie->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible());
    EXPECT_EQ(eingabe().umrechnung, Dezimal(0));
    EXPECT_EQ(eingabe().ezbVorbelegung, std::nullopt);
    waehle("USD");
    EXPECT_FALSE(aktie->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible());
    EXPECT_EQ(eingabe().umrechnung, Dezimal::aus("1.08"));
    EXPECT_EQ(umrechnungsfeld()->feld()->text(), QStringLiteral("1,08"));
    tippe(Assetklasse::aktie, "130");
    EXPECT_EQ(eingabe().kurs, Dezimal(130));
    lassAlleAbrufeEnden();
    EXPECT_EQ(anzahlen(), nachher);
    EXPECT_EQ(server.anfragen(usdPfad).size(), 2U);

    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_EQ(spion->count(), 1);
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.preisnotizen.size(), 1U);
    EXPECT_EQ(bestand.preisnotizen[0].felder.preisOriginal, Dezimal(130));
    EXPECT_EQ(bestand.preisnotizen[0].felder.originalwaehrung, "USD");
    EXPECT_EQ(bestand.preisnotizen[0].felder.umrechnung, Dezimal::aus("1.08"));
}

TEST(StichtagErfassenTitel, nenntDenTagMitAusgeschriebenemMonat) {
    const Zeitpunkt heute = testspiel::tag(2026, 12, 7, 9);
    const Zeitpunkt nachtrag = testspiel::tag(2024, 3, 11, 17);
    EXPECT_EQ(StichtagErfassenDialog::titel({heute, std::nullopt}), QStringLiteral("Stichtag am 7. Dezember 2026"));
    EXPECT_EQ(StichtagErfassenDialog::titel({nachtrag, nachtrag}), QStringLiteral("Kurse vom 11. März 2024 nachtragen"));
}

TEST_F(StichtagErfassenDialogTest, dasRadUeberDerWaehrungswahlRolltDasBlattUndLaesstDieWaehrung) {
    oeffne();
    blatt->resize(560, 440);
    QApplication::setActiveWindow(blatt.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(blatt.get()));
    tippe(Assetklasse::aktie, "120,5");
    auto* flaeche = blatt->findChild<QScrollArea*>();
    QScrollBar* leiste = flaeche->verticalScrollBar();
    ASSERT_GT(leiste->maximum(), 0);
    auto* wahl = zeile(Assetklasse::anleihe)->findChild<QComboBox*>(QStringLiteral("handelswaehrung"));
    const auto waehrung = [&] { return blatt->entwurf().zeile(Assetklasse::anleihe)->eingabe.handelswaehrung; };
    ASSERT_EQ(wahl->currentData().toString(), QStringLiteral("EUR"));

    qbtest::dreheRad(wahl);
    EXPECT_EQ(wahl->currentData().toString(), QStringLiteral("EUR"));
    EXPECT_EQ(waehrung(), "EUR");
    EXPECT_GT(leiste->value(), 0);

    // Chosen on purpose, the wheel still picks.
    wahl->setFocus(Qt::TabFocusReason);
    qbtest::dreheRad(wahl);
    EXPECT_NE(wahl->currentData().toString(), QStringLiteral("EUR"));
    EXPECT_EQ(waehrung(), wahl->currentData().toString().toStdString());
}

// Assistive technology meets the sheet, its price fields, the buttons of its rows and its two
// questions under the names a sighted user reads.
TEST_F(StichtagErfassenDialogTest, blattFelderKnoepfeUndFragenHeissenWieIhreBeschriftung) {
    oeffne();
    tippe(Assetklasse::aktie, "150");
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    EXPECT_EQ(qbtest::zugangsname(blatt.get()), utf8(blatt->windowTitle()));

    // Each row's fields and buttons say the row's class after their label, told apart.
    std::size_t felder = 0;
    for (const auto& p : posten) {
        const std::string klasse(bezeichnung(p.klasse));
        for (const auto& feld : qbtest::beschriftungen(*zeile(p.klasse))) {
            EXPECT_EQ(feld.name, feld.beschriftung + ": " + klasse);
            ++felder;
        }
        for (const char* name : {"vergleichskursUebernehmen", "selbstEintragen", "vergleichErneutHolen"}) {
            auto* knopf = zeile(p.klasse)->findChild<QPushButton*>(QString::fromUtf8(name));
            ASSERT_NE(knopf, nullptr);
            EXPECT_EQ(qbtest::zugangsname(knopf), utf8(knopf->text()) + ": " + klasse);
        }
    }
    EXPECT_GE(felder, posten.size());

    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() && rueckfrage()->isVisible(); }, 30000));
    EXPECT_EQ(qbtest::zugangsname(rueckfrage()), "Ein Kurs weicht stark vom Vergleich ab");
    QTest::keyClick(rueckfrage(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rueckfrage() == nullptr || !rueckfrage()->isVisible(); }, 30000));

    QTest::mouseClick(knopf(QStringLiteral("abbrechen")), Qt::LeftButton);
    auto* frage = blatt->findChild<QMessageBox*>(QStringLiteral("verwerfenFrage"));
    ASSERT_NE(frage, nullptr);
    EXPECT_EQ(qbtest::zugangsname(frage), "Eingetragene Kurse verwerfen?");
}

// A group that opens the sheet and types the first price from its terminal writes it into the
// first row's price field, not into the scrolled page or a picker. At a larger font the sheet
// shows its rows whole: as wide as they need, widening for a row that grows, and as high as
// they need where the screen has room, higher than the window it opens over.
TEST_F(StichtagErfassenDialogTest, dieEingabeBeginntImErstenKursfeldUndDieZeilenStehenGanzImBlick) {
    std::optional<qbtest::Anwendungsschrift> schrift;
    const auto rollt = [&] { return blatt->findChild<QScrollArea*>()->horizontalScrollBar()->isVisible(); };
    // Measured while the comparisons are on their way: the lines they bring make the rows higher.
    zurueckhalten = true;
    fenster.resize(920, 580);
    fenster.show();
    for (const qreal punkte : {QApplication::font().pointSizeF(), 16.0}) {
        schrift.emplace(punkte);
        oeffne(std::nullopt, &fenster);
        QApplication::setActiveWindow(blatt.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(blatt.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != nullptr; }, 30000));
        EXPECT_EQ(QApplication::focusWidget(), preisfeld(Assetklasse::aktie))
            << QApplication::focusWidget()->metaObject()->className() << " "
            << QApplication::focusWidget()->objectName().toStdString();
        EXPECT_FALSE(rollt()) << punkte;
    }
    QScrollBar* senkrecht = blatt->findChild<QScrollArea*>()->verticalScrollBar();
    blatt->passeAn(QSize(1920, 1080));
    EXPECT_TRUE(QTest::qWaitFor([&] { return senkrecht->maximum() == 0; }, 30000)) << blatt->height();
    EXPECT_GT(blatt->height(), fenster.height());
    const int breite = blatt->width();
    auto* wahl = zeile(Assetklasse::aktie)->findChild<QComboBox*>(QStringLiteral("handelswaehrung"));
    emit wahl->activated(wahl->findData(QStringLiteral("USD")));
    tippe(Assetklasse::aktie, "120,5");
    EXPECT_TRUE(QTest::qWaitFor([&] { return blatt->width() > breite && !rollt(); }, 30000));
}

// Tab walks a row as the eye reads it. A row button pressed from the keyboard that goes leaves
// the cursor in the row's price field, not on the next row's currency picker.
TEST_F(StichtagErfassenDialogTest, einKnopfDerGehtLaesstDenCursorInSeinerZeile) {
    fehlschlagen.insert("DE0007164600");
    oeffne();
    QApplication::setActiveWindow(blatt.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(blatt.get()));
    // A share in dollars whose price failed, with a rate of the user's own beside the ECB's.
    auto* wahl = zeile(Assetklasse::aktie)->findChild<QComboBox*>(QStringLiteral("handelswaehrung"));
    emit wahl->activated(wahl->findData(QStringLiteral("USD")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    zeile(Assetklasse::aktie)->findChild<Zahleneingabe*>("umrechnung")->feld()->setText("1,2");
    // The ECB line's button comes after the rate above it, then the comparison line's.
    EXPECT_EQ(qbtest::tabfolge(wahl, 4),
              (std::vector<std::string>{"kurs", "umrechnung", "ezbUebernehmen", "vergleichErneutHolen"}));
    fehlschlagen.clear();
    for (const char* name : {"ezbUebernehmen", "vergleichErneutHolen"}) {
        auto* knopf = zeile(Assetklasse::aktie)->findChild<QPushButton*>(name);
        knopf->setFocus(Qt::TabFocusReason);
        QTest::keyClick(knopf, Qt::Key_Space);
        EXPECT_EQ(QApplication::focusWidget(), preisfeld(Assetklasse::aktie)) << name;
    }
}

// At scale factor 2 on a 1280 × 800 screen the sheet and its question fit: the prices and the
// long message scroll, the buttons stay in view.
TEST_F(StichtagErfassenDialogTest, aufEinemKleinenBildschirmPassenBlattUndRueckfrage) {
    const auto ganzImFenster = [](const QWidget* w) {
        return w->isVisible() &&
               w->window()->rect().contains(QRect(w->mapTo(w->window(), QPoint()), w->size()));
    };
    const QSize bildschirm(640, 400);
    const QSize platz = bildschirm - Fenstergroesse::rahmen;
    oeffne();
    blatt->passeAn(bildschirm);
    blatt->resize(blatt->minimumSize());
    EXPECT_EQ(blatt->size(), QSize(520, platz.height()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ganzImFenster(knopf(QStringLiteral("speichern"))); }, 30000));
    EXPECT_GT(blatt->findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0);

    for (const auto& p : posten) {
        tippe(p.klasse, "1000");
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000));
    QTest::mouseClick(knopf(QStringLiteral("speichern")), Qt::LeftButton);
    QMessageBox* frage = rueckfrage();
    ASSERT_NE(frage, nullptr);
    // With a larger font too, as small screens often have.
    QFont gross = frage->font();
    gross.setPointSizeF(gross.pointSizeF() * 1.5);
    frage->setFont(gross);
    passeMeldungAn(frage, bildschirm);
    auto* rolle = frage->findChild<QScrollArea*>();
    ASSERT_NE(rolle, nullptr);
    // The larger font and the smaller screen are taken in over a few turns of the event loop:
    // what is waited for is their end, the message scrolling and the question in the screen's
    // height with its buttons whole.
    const auto knoepfeGanz = [&] {
        const auto knoepfe = frage->findChildren<QPushButton*>();
        return std::all_of(knoepfe.begin(), knoepfe.end(), ganzImFenster);
    };
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return rolle->verticalScrollBar()->maximum() > 0 && frage->height() <= platz.height() && knoepfeGanz();
        },
        30000));
    EXPECT_LE(frage->height(), platz.height());
    for (QPushButton* knopf : frage->findChildren<QPushButton*>()) {
        EXPECT_TRUE(ganzImFenster(knopf)) << utf8(knopf->text());
    }
    frage->reject();
}

// At a larger font the comparison lines that arrive wrap and make the rows higher: the sheet
// grows with them, as far as the screen holds (1080 less the frame's 48), so that the last row's
// price stays in view where there is room.
TEST_F(StichtagErfassenDialogTest, dasBlattWaechstMitSeinenZeilenBisZumBildschirm) {
    struct Fall {
        qreal punkte;
        bool rollt;
    };
    const int bildschirmhoch = 1080 - Fenstergroesse::rahmen.height();
    for (const Fall fall : {Fall{14, false}, Fall{17, true}}) {
        SCOPED_TRACE(fall.punkte);
        qbtest::Anwendungsschrift schrift(fall.punkte);
        zurueckhalten = true;
        oeffne(std::nullopt, &fenster);
        blatt->passeAn(QSize(1920, 1080));
        auto* flaeche = blatt->findChild<QScrollArea*>();
        QScrollBar* senkrecht = flaeche->verticalScrollBar();
        ASSERT_TRUE(QTest::qWaitFor([&] { return senkrecht->maximum() == 0; }, 30000)) << blatt->height();
        const int vorher = blatt->height();
        // Every row's comparison line laid out at the height its text needs, inside the visible
        // part of the page. A line just shown, or laid out before its row has grown, is not.
        const auto zeilenGanzImBlick = [&] {
            return std::all_of(posten.begin(), posten.end(), [&](const Posten& p) {
                auto* linie = zeile(p.klasse)->findChild<QLabel*>(QStringLiteral("vergleich"));
                const QRect ort(linie->mapTo(flaeche->viewport(), QPoint()), linie->size());
                return linie->isVisible() && linie->height() >= linie->heightForWidth(linie->width()) &&
                       flaeche->viewport()->rect().contains(ort);
            });
        };
        zurueckhalten = false;
        // The answers arrive one by one, and each makes the sheet grow a step later: what is
        // waited for is where the growing ends, the screen's height or rows all in view.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return alleVerglichen() && (fall.rollt ? blatt->height() == bildschirmhoch && senkrecht->maximum() > 0
                                                       : senkrecht->maximum() == 0 && zeilenGanzImBlick());
            },
            30000))
            << vorher << " " << blatt->height() << " " << senkrecht->maximum();
        EXPECT_GT(blatt->height(), vorher);
        EXPECT_EQ(blatt->height() < bildschirmhoch, !fall.rollt) << blatt->height();
        EXPECT_EQ(zeilenGanzImBlick(), !fall.rollt);
        blatt.reset();
    }
}

// Grown downwards, a sheet whose frame would reach past the bottom of the screen's available area
// goes up by just that much, its buttons in view; one that still ends within it stays where it
// is. At 14 pt the rows need all the height the screen gives: lowered to its smallest height, the
// sheet grows back to it as the comparisons arrive.
TEST_F(StichtagErfassenDialogTest, dasBlattRuecktHochWoEsUeberDenBildschirmrandWuechse) {
    const qbtest::Anwendungsschrift schrift(14);
    struct Fall {
        const char* name;
        // How far the grown frame would reach past the available area's bottom where it stayed.
        int ueberstand;
        int hoch;
    };
    const std::vector<Fall> faelle{
        {"100 Pixel darüber hinaus", 100, 100},
        {"1 Pixel darüber hinaus", 1, 1},
        {"bis an den Rand", 0, 0},
        {"20 Pixel davor", -20, 0},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        zurueckhalten = true;
        oeffne(std::nullopt, &fenster);
        const QRect frei = blatt->screen()->availableGeometry();
        const int ganz = blatt->height();
        ASSERT_EQ(ganz, frei.height() - Fenstergroesse::rahmen.height());
        blatt->resize(blatt->width(), blatt->minimumHeight());
        const int rahmenhoehe = blatt->frameGeometry().height() + ganz - blatt->height();
        const int oben = frei.bottom() + 1 + fall.ueberstand - rahmenhoehe;
        ASSERT_GE(oben - fall.hoch, frei.top());
        blatt->move(blatt->x(), oben);
        ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->frameGeometry().top() == oben; }, 30000));
        const QRect vorher = blatt->frameGeometry();

        zurueckhalten = false;
        ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen() && blatt->height() == ganz; }, 30000))
            << blatt->height();
        const QRect nachher = blatt->frameGeometry();
        EXPECT_EQ(nachher.top(), vorher.top() - fall.hoch);
        EXPECT_EQ(nachher.left(), vorher.left());
        EXPECT_LE(nachher.bottom(), frei.bottom());
        EXPECT_EQ(nachher.bottom(), frei.bottom() + std::min(fall.ueberstand, 0));
        blatt.reset();
    }
}

// Tab from the first field visits every field and button of the sheet exactly once before it
// comes back, and Shift+Tab walks the same ring backwards: while the comparisons are on their way,
// once they arrived (on a past day with their buttons to take them over) or failed, and with a row
// switched to dollars and back.
TEST_F(StichtagErfassenDialogTest, tabGehtInJedemZustandDesBlattsEinmalUmAlles) {
    server.beantworte("/v1/tradingview/history", Antwort::json(R"({"s":"ok","c":[100],"t":[1715904000]})"));
    verzoegerung = {};
    struct Fall {
        const char* name;
        std::optional<Zeitpunkt> abruftag;
        bool scheitern;
    };
    for (const Fall& fall : {Fall{"Stichtag", std::nullopt, false}, Fall{"gescheitert", std::nullopt, true},
                             Fall{"Nachtrag", testspiel::tag(2024, 5, 17), false}}) {
        const std::string name = fall.name;
        fehlschlagen.clear();
        if (fall.scheitern) {
            for (const auto& p : posten) {
                fehlschlagen.insert(p.kennung);
            }
        }
        zurueckhalten = true;
        oeffne(fall.abruftag);
        qbtest::pruefeTabring(blatt.get(), name + ", Vergleiche unterwegs");
        zurueckhalten = false;
        ASSERT_TRUE(QTest::qWaitFor([&] { return alleVerglichen(); }, 30000)) << name;
        qbtest::pruefeTabring(blatt.get(), name + ", Vergleiche da");

        // The rate field the dollars bring goes with them, and comes anew.
        auto* wahl = zeile(Assetklasse::aktie)->findChild<QComboBox*>(QStringLiteral("handelswaehrung"));
        auto* wirdGeholt = zeile(Assetklasse::aktie)->findChild<QWidget*>(QStringLiteral("wirdGeholt"));
        for (const char* code : {"USD", "EUR", "USD"}) {
            wahl->setCurrentIndex(wahl->findData(QString::fromUtf8(code)));
            emit wahl->activated(wahl->currentIndex());
            ASSERT_TRUE(QTest::qWaitFor([&] { return !wirdGeholt->isVisible(); }, 30000)) << name;
            qbtest::pruefeTabring(blatt.get(), name + ", Aktie in " + code);
        }
        blatt.reset();
    }
}
