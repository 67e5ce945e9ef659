// The position editor's sheet as a user drives it, against the local HTTPS server and a real
// SQLite store: fetch, check, save, remove, and the answers that come too late.
#include <algorithm>
#include <chrono>
#include <future>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

#include "ui/Arbeitspool.h"
#include "ui/Bedienhilfe.h"
#include "ui/Fenstergroesse.h"
#include "ui/Hinweiszeile.h"
#include "ui/Modellbeobachter.h"
#include "ui/Schrifthilfe.h"
#include "ui/Spielstandhilfe.h"
#include "ui/Textbruecke.h"
#include "ui/Uhrhilfe.h"
#include "ui/Zahleneingabe.h"
#include "positions/PositionBearbeitenDialog.h"
#include "positions/Positionstexte.h"
#include "sources/Testserver.h"

using namespace qb;
using namespace std::chrono_literals;
using qbtest::Antwort;
using qbtest::Spielstand;
using testspiel::d;

namespace {

const char* const boerse = "/v1/data/price_information/single";
const char* const sap = "DE0007164600";

Antwort boersenkurs(const char* preis, std::chrono::milliseconds verzoegerung = {}, const std::string& isin = sap) {
    Antwort antwort = Antwort::json(R"({"isin":")" + isin + R"(","lastPrice":)" + preis +
                                    R"(,"currency":{"originalValue":"EUR"},"tradedInPercent":false,)"
                                    R"("priceFixings":12,"turnoverInPieces":40,"turnoverInEur":4000})");
    antwort.verzoegerung = verzoegerung;
    return antwort;
}

// One game in a SQLite file, entered tomorrow so that the buy price is today's quote, and the
// sources on the local server.
class Blatt : public ::testing::Test {
protected:
    Blatt() : beobachter(spiel.kontext()) {
        spiel.portfolio->setzeKaufdatum(jetzt() + 24h);
        spiel.speichereOderScheitere();
        fenster.resize(920, 560);
        fenster.show();
    }
    ~Blatt() override { gibFrei(); }

    // An answer the server sends only once the test lets it go, at the latest as the test ends:
    // it cannot arrive before what the test does until then.
    qbtest::Testserver::Beantworter zurueckgehalten(Antwort antwort) const {
        return [frei = frei_, antwort](const qbtest::Anfrage&) {
            frei.wait();
            return antwort;
        };
    }
    void gibFrei() {
        if (!freigegeben_) {
            freigegeben_ = true;
            freigabe_.set_value();
        }
    }

    // Lets every fetch and check still on the pool end and delivers what it sends back: a
    // request the sheet sent has reached the server by then, and its answer the sheet.
    static void lassAlleAbrufeEnden() {
        ASSERT_TRUE(arbeitspool().waitForDone(30000));
        QCoreApplication::processEvents();
    }

    Kursdienst dienst() const {
        Kursdienst::Adressen adressen;
        adressen.boerse = server.adresse();
        adressen.ezb = server.adresse();
        adressen.sitzung.caDatei = server.caDatei();
        return Kursdienst::standard(adressen);
    }

    QPointer<PositionBearbeitenDialog> oeffne(Assetklasse klasse) {
        auto* blatt = new PositionBearbeitenDialog(klasse, spiel.portfolio, beobachter, dienst(), &fenster);
        blatt->open();
        return blatt;
    }

    static QLineEdit* feld(QWidget* blatt, const char* name) {
        if (auto* zahl = blatt->findChild<Zahleneingabe*>(name)) {
            return zahl->feld();
        }
        return blatt->findChild<QLineEdit*>(name);
    }
    static void tippe(QWidget* blatt, const char* name, const QString& text) {
        QLineEdit* zeile = feld(blatt, name);
        ASSERT_NE(zeile, nullptr) << name;
        zeile->setFocus();
        zeile->selectAll();
        QTest::keyClicks(zeile, text);
    }
    static void klicke(QWidget* wo, const char* name) {
        auto* knopf = wo->findChild<QPushButton*>(name);
        ASSERT_NE(knopf, nullptr) << name;
        ASSERT_TRUE(knopf->isEnabled()) << name;
        QTest::mouseClick(knopf, Qt::LeftButton);
    }
    static QMessageBox* frage(QWidget* blatt, const char* name) {
        QMessageBox* box = nullptr;
        (void)QTest::qWaitFor([&] { return (box = blatt->findChild<QMessageBox*>(name)) != nullptr && box->isVisible(); },
                        30000);
        return box;
    }
    static std::string meldung(QMessageBox* box) { return utf8(box->text() + "|" + box->informativeText()); }

    // A share of SAP, 10 pieces, typed into a fresh sheet.
    QPointer<PositionBearbeitenDialog> sapBlatt() {
        QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::aktie);
        tippe(blatt, "name", "SAP");
        tippe(blatt, "kennung", sap);
        tippe(blatt, "menge", "10");
        return blatt;
    }

    std::optional<PositionZeile> gespeicherteAktie() const {
        for (const PositionZeile& zeile : spiel.gespeichert().positionen) {
            if (zeile.felder.assetklasse == Assetklasse::aktie) {
                return zeile;
            }
        }
        return std::nullopt;
    }

    qbtest::Testserver server;
    Spielstand spiel;
    Modellbeobachter beobachter;
    QWidget fenster;

private:
    std::promise<void> freigabe_;
    std::shared_future<void> frei_ = freigabe_.get_future().share();
    bool freigegeben_ = false;
};

TEST_F(Blatt, holtDenKaufkursSpeichertUndZeigtBeimNaechstenOeffnenDasGespeicherte) {
    server.beantworte(boerse, boersenkurs("100"));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    EXPECT_EQ(blatt->windowTitle(), "Aktie");
    EXPECT_FALSE(blatt->findChild<QPushButton*>("speichern")->isEnabled()); // no price yet

    klicke(blatt, "abrufen");
    ASSERT_TRUE(QTest::qWaitFor([&] { return feld(blatt, "kurs")->text() == "100"; }, 30000));
    EXPECT_EQ(utf8(blatt->findChild<QLabel*>("handel")->text()), "12 Preisfeststellungen, 40 Stück Umsatz, 4.000\u00a0€ Umsatz");
    EXPECT_EQ(utf8(blatt->findChild<QLabel*>("einsatz")->text()), "1.000,00\u00a0€");
    EXPECT_EQ(utf8(blatt->findChild<QLabel*>("nochFrei")->text()), "99.000,00\u00a0€");

    // Return presses "Speichern", in a number field too.
    feld(blatt, "menge")->setFocus();
    QTest::keyClick(feld(blatt, "menge"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));

    const auto gespeichert = gespeicherteAktie();
    ASSERT_TRUE(gespeichert.has_value());
    EXPECT_EQ(gespeichert->felder.name, "SAP");
    EXPECT_EQ(gespeichert->felder.kennung, sap);
    EXPECT_EQ(gespeichert->felder.stueckzahl, 10);
    EXPECT_EQ(gespeichert->felder.kaufpreis, d("100"));
    EXPECT_EQ(gespeichert->felder.quelle, "Börse Frankfurt (XETR)");
    EXPECT_EQ(server.anfragen(boerse).size(), 2U); // the fetch and the check

    QPointer<PositionBearbeitenDialog> wieder = oeffne(Assetklasse::aktie);
    EXPECT_EQ(feld(wieder, "name")->text(), "SAP");
    EXPECT_EQ(feld(wieder, "kennung")->text(), sap);
    EXPECT_EQ(feld(wieder, "menge")->text(), "10");
    EXPECT_EQ(feld(wieder, "kurs")->text(), "100");
    EXPECT_TRUE(wieder->findChild<QPushButton*>("entfernen")->isVisible());
    klicke(wieder, "abbrechen");
    EXPECT_TRUE(QTest::qWaitFor([&] { return wieder.isNull(); }, 30000));
}

TEST_F(Blatt, einStarkAbweichenderKursFragtErstUndSpeichertNurNachBestaetigung) {
    server.beantworte(boerse, boersenkurs("100"));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    tippe(blatt, "kurs", "120");

    QTest::keyClick(feld(blatt, "kurs"), Qt::Key_Return);
    QMessageBox* box = frage(blatt, "abweichungsfrage");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(meldung(box), "Der Kaufkurs weicht stark von der Quelle ab|Kurs aktuell laut Quelle: 100,00 €. "
                            "Eingetragen: 120,00 €. Abweichung 20\u00a0%.\n\nPrüfe Richtung, Währung und "
                            "Kommastelle. Meinst du den Wert so, speichere trotzdem.");
    klicke(box, "zurueck");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->findChild<QMessageBox*>() == nullptr; }, 30000));
    EXPECT_FALSE(gespeicherteAktie().has_value());
    EXPECT_TRUE(feld(blatt, "kurs")->isEnabled());
    EXPECT_EQ(blatt->focusWidget(), feld(blatt, "kurs")); // back where the questioned price is

    klicke(blatt, "speichern");
    box = frage(blatt, "abweichungsfrage");
    ASSERT_NE(box, nullptr);
    klicke(box, "trotzdem");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));
    const auto gespeichert = gespeicherteAktie();
    ASSERT_TRUE(gespeichert.has_value());
    EXPECT_EQ(gespeichert->felder.kaufpreis, d("120"));
    EXPECT_EQ(gespeichert->felder.quelle, "Bloomberg");
}

TEST_F(Blatt, eineQuelleDieScheitertGibtEinUngepruefteSpeichernMitGrund) {
    server.beantworte(boerse, Antwort::nachStatus(500));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    tippe(blatt, "kurs", "120");

    klicke(blatt, "speichern");
    QMessageBox* box = frage(blatt, "ungeprueft");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(meldung(box), "Gespeichert, aber nicht geprüft|Die App konnte den Kaufkurs nicht mit der Quelle "
                            "vergleichen: Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.");
    // Saved already; the sheet waits for the alert.
    ASSERT_TRUE(gespeicherteAktie().has_value());
    EXPECT_EQ(gespeicherteAktie()->felder.kaufpreis, d("120"));
    EXPECT_FALSE(blatt.isNull());
    klicke(box, "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));
}

TEST_F(Blatt, entfernenNimmtDiePositionMitIhrenKursenAusAllenStichtagen) {
    auto siemens = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
    auto bund = testspiel::kaufe(spiel.portfolio, Assetklasse::anleihe, "Bund", 5, testspiel::eur("99"));
    for (int t : {11, 18}) {
        auto stichtag = testspiel::stichtag(spiel.portfolio, testspiel::tag(2024, 3, t));
        testspiel::notiere(stichtag, siemens, testspiel::eur("160"));
        testspiel::notiere(stichtag, bund, testspiel::eur("98"));
    }
    spiel.speichereOderScheitere();
    ASSERT_EQ(spiel.gespeichert().preisnotizen.size(), 4U);

    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::aktie);
    klicke(blatt, "entfernen");
    QMessageBox* box = frage(blatt, "entfernenfrage");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(meldung(box), "Position wirklich entfernen?|Damit verschwinden auch alle Kurse dieser Position aus "
                            "allen Stichtagen.");
    klicke(box, "entfernenBestaetigt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));

    const Bestand bestand = spiel.gespeichert();
    EXPECT_FALSE(gespeicherteAktie().has_value());
    EXPECT_EQ(bestand.positionen.size(), 1U);
    EXPECT_EQ(bestand.bewertungen.size(), 2U);
    ASSERT_EQ(bestand.preisnotizen.size(), 2U);
    for (const auto& notiz : bestand.preisnotizen) {
        EXPECT_EQ(notiz.position, bestand.positionen.at(0).id);
    }
}

TEST_F(Blatt, einSpeicherDerDasSchreibenVerweigertLaesstDasBlattMitEingabeUndGrundOffen) {
    spiel.sperre("INSERT ON Position");
    // An identifier no source knows: nothing to compare, the save follows at once.
    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::rohstoff);
    tippe(blatt, "name", "Gold");
    tippe(blatt, "kennung", "Gold");
    tippe(blatt, "menge", "3");
    tippe(blatt, "kurs", "60");

    klicke(blatt, "speichern");
    auto* fehler = blatt->findChild<Hinweiszeile*>("speicherfehler");
    ASSERT_TRUE(QTest::qWaitFor([&] { return fehler->isVisible(); }, 30000));
    EXPECT_EQ(utf8(fehler->text()), qbtest::gesperrtMeldung);
    EXPECT_FALSE(blatt.isNull());
    EXPECT_EQ(feld(blatt, "name")->text(), "Gold");
    EXPECT_EQ(feld(blatt, "kurs")->text(), "60");
    EXPECT_TRUE(spiel.portfolio->positionen().empty()); // the rollback took the new position away
    EXPECT_TRUE(spiel.gespeichert().positionen.empty());

    spiel.entsperre();
    klicke(blatt, "speichern");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));
    ASSERT_EQ(spiel.gespeichert().positionen.size(), 1U);
    EXPECT_EQ(spiel.gespeichert().positionen.at(0).felder.name, "Gold");
}

TEST_F(Blatt, einKursDerNachDemTippenKommtWirdVerworfen) {
    server.beantworte(boerse, zurueckgehalten(boersenkurs("100")));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    auto* speichern = blatt->findChild<QPushButton*>("speichern");

    klicke(blatt, "abrufen");
    EXPECT_FALSE(blatt->findChild<QPushButton*>("abrufen")->isEnabled());
    tippe(blatt, "kurs", "95");
    EXPECT_FALSE(speichern->isEnabled()); // a fetch is running
    gibFrei();
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->findChild<QPushButton*>("abrufen")->isEnabled(); }, 30000));

    EXPECT_EQ(feld(blatt, "kurs")->text(), "95");
    EXPECT_EQ(blatt->editor().entwurf().eingabe.kurs, d("95"));
    EXPECT_FALSE(blatt->editor().entwurf().abgerufen.has_value());
    EXPECT_FALSE(blatt->findChild<QLabel*>("handel")->isVisible());
    EXPECT_FALSE(blatt->findChild<Hinweiszeile*>("abruffehler")->isVisible());
    EXPECT_TRUE(speichern->isEnabled());
    klicke(blatt, "abbrechen");
}

TEST_F(Blatt, schliessenWaehrendDerPruefungSpeichertNichts) {
    server.beantworte(boerse, zurueckgehalten(boersenkurs("100")));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    tippe(blatt, "kurs", "100");

    klicke(blatt, "speichern");
    ASSERT_TRUE(blatt->prueft());
    EXPECT_FALSE(feld(blatt, "kurs")->isEnabled());
    EXPECT_FALSE(blatt->findChild<QPushButton*>("speichern")->isEnabled());
    EXPECT_TRUE(blatt->findChild<QLabel*>("prueftText")->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.anfragen(boerse).empty(); }, 30000));
    klicke(blatt, "abbrechen");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull() || !blatt->isVisible(); }, 30000));

    // Whatever the check still does ends on the pool; what it sends back finds nobody.
    gibFrei();
    lassAlleAbrufeEnden();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(gespeicherteAktie().has_value());
    EXPECT_TRUE(spiel.portfolio->positionen().empty());
}

TEST_F(Blatt, eineGeaenderteKennungFragtErstWennStichtageSchonKurseHaben) {
    const char* const siemens = "DE0007236101";
    auto position = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "SAP", 10, testspiel::eur("100"));
    position->setzeKennung(sap);
    for (int t : {11, 18}) {
        testspiel::notiere(testspiel::stichtag(spiel.portfolio, testspiel::tag(2024, 3, t)), position,
                           testspiel::eur("110"));
    }
    spiel.speichereOderScheitere();
    server.beantworte(boerse, boersenkurs("100", {}, siemens));
    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::aktie);
    tippe(blatt, "kennung", siemens);

    klicke(blatt, "speichern");
    QMessageBox* box = frage(blatt, "kennungsfrage");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(meldung(box), "Kennung ändern?|Für 2 Stichtage sind schon Kurse eingetragen. Sie bleiben stehen und "
                            "werden mit den neuen Angaben weitergerechnet. Ist es ein anderes Papier, trag die Kurse "
                            "dieser Stichtage neu ein.");
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->findChild<QMessageBox*>() == nullptr; }, 30000));
    EXPECT_EQ(blatt->focusWidget(), feld(blatt, "kennung"));
    EXPECT_FALSE(blatt->prueft());
    lassAlleAbrufeEnden();
    EXPECT_TRUE(server.anfragen(boerse).empty());
    EXPECT_EQ(gespeicherteAktie()->felder.kennung, sap);
    EXPECT_EQ(feld(blatt, "kennung")->text(), siemens);

    klicke(blatt, "speichern");
    box = frage(blatt, "kennungsfrage");
    ASSERT_NE(box, nullptr);
    klicke(box, "trotzdem");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));
    EXPECT_EQ(server.anfragen(boerse).size(), 1U); // the check ran before the save
    EXPECT_EQ(gespeicherteAktie()->felder.kennung, siemens);
    EXPECT_EQ(spiel.gespeichert().preisnotizen.size(), 2U); // the prices stay
}

TEST_F(Blatt, einUngeprueftesSpeichernNachEinemFehlschlagZeigtDenAltenFehlerNichtMehr) {
    spiel.sperre("INSERT ON Position");
    server.beantworte(boerse, Antwort::nachStatus(500));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    tippe(blatt, "kurs", "120");
    auto* fehler = blatt->findChild<Hinweiszeile*>("speicherfehler");

    klicke(blatt, "speichern");
    ASSERT_TRUE(QTest::qWaitFor([&] { return fehler->isVisible(); }, 30000));
    EXPECT_EQ(utf8(fehler->text()), qbtest::gesperrtMeldung);
    EXPECT_EQ(blatt->findChild<QMessageBox*>(), nullptr); // nothing saved, so no alert
    EXPECT_TRUE(spiel.gespeichert().positionen.empty());

    spiel.entsperre();
    klicke(blatt, "speichern");
    EXPECT_FALSE(fehler->isVisible()); // gone as soon as the new save starts
    QMessageBox* box = frage(blatt, "ungeprueft");
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(fehler->isVisible());
    ASSERT_TRUE(gespeicherteAktie().has_value());
    EXPECT_EQ(gespeicherteAktie()->felder.kaufpreis, d("120"));
    klicke(box, "ok");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));
}

TEST_F(Blatt, einKursDerNachDemAendernDerKennungKommtWirdVerworfen) {
    server.beantworte(boerse, zurueckgehalten(boersenkurs("100")));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();

    klicke(blatt, "abrufen");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.anfragen(boerse).empty(); }, 30000));
    tippe(blatt, "kennung", "DE0007236101");
    gibFrei();
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->findChild<QPushButton*>("abrufen")->isEnabled(); }, 30000));
    lassAlleAbrufeEnden();

    EXPECT_EQ(server.anfragen(boerse).size(), 1U);
    EXPECT_EQ(feld(blatt, "kurs")->text(), "");
    EXPECT_EQ(blatt->editor().entwurf().eingabe.kurs, Dezimal(0));
    EXPECT_FALSE(blatt->editor().entwurf().abgerufen.has_value());
    EXPECT_FALSE(blatt->findChild<QLabel*>("handel")->isVisible());
    EXPECT_FALSE(blatt->findChild<Hinweiszeile*>("abruffehler")->isVisible());
    EXPECT_FALSE(blatt->findChild<QPushButton*>("speichern")->isEnabled()); // still no price
    klicke(blatt, "abbrechen");
}

// Entered on 7 December and the sheet open into the 8th: the buy price is no longer today's but
// the entry day's, as the section's title, its note and the fetch's button say.
TEST_F(Blatt, einBlattUeberMitternachtNenntDenKursDesEinstiegstags) {
    qbtest::Testuhr uhr(testspiel::tag(2026, 12, 8, 0) - 500ms);
    spiel.portfolio->setzeKaufdatum(testspiel::tag(2026, 12, 7, 9));
    spiel.speichereOderScheitere();
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    QApplication::setActiveWindow(blatt);
    ASSERT_TRUE(QTest::qWaitForWindowActive(blatt.data()));
    auto* kurs = blatt->findChild<QGroupBox*>("kurs");
    auto* heute = blatt->findChild<QLabel*>("heute");
    ASSERT_EQ(utf8(kurs->title()), "Aktueller Kurs");
    ASSERT_FALSE(heute->isHidden());
    uhr.stelle(testspiel::tag(2026, 12, 8, 0) + 500ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return kurs->title() != "Aktueller Kurs"; }, 30000));
    EXPECT_EQ(utf8(kurs->title()), "Kurs am Einstiegstag");
    EXPECT_EQ(utf8(blatt->findChild<QPushButton*>("abrufen")->text()), "Kurs vom 7.12. abrufen");
    EXPECT_TRUE(heute->isHidden());
    blatt->reject();
}

TEST(PositionstexteTest, kennungsnotizUndAbrufzeile) {
    using Notiz = Positionstexte::Kennungsnotiz;
    const QString hand = "hand.raised";
    struct Fall {
        Kennungsurteil urteil;
        bool leer;
        std::optional<Notiz> notiz;
    };
    for (const Fall& fall : std::vector<Fall>{
             {Kennungsurteil::verwendbar, false, std::nullopt},
             {Kennungsurteil::nichtErkannt, true,
              Notiz{hand, "Ohne Kennung hat die App am Stichtag keinen Vergleichskurs. Die Bloomberg-Kurse trägst du "
                          "ohnehin selbst ein; hier prüft sie dann niemand gegen.", false}},
             {Kennungsurteil::nichtErkannt, false,
              Notiz{hand, "Diese Kennung kennt die App nicht. Sie bleibt als Vermerk stehen, aber am Stichtag gibt es "
                          "dazu keinen Vergleichskurs.", false}},
             {Kennungsurteil::ohneKurs, false,
              Notiz{hand, "Das ist die Kennung eines Rohstoff-Referenzpreises, kein handelbares Wertpapier. Kurse "
                          "dafür gibt es nicht zum Abrufen: Trage Kaufkurs und Stichtagskurse selbst ein, meist in "
                          "US-Dollar.", false}},
             {Kennungsurteil::pruefzifferFalsch, false,
              Notiz{"exclamationmark.circle",
                    "Diese Kennung sieht aus wie eine ISIN, ist aber keine. Prüfe sie auf Tippfehler.", true}},
         }) {
        EXPECT_EQ(Positionstexte::kennungsnotiz(fall.urteil, fall.leer), fall.notiz) << static_cast<int>(fall.urteil);
    }

    const Formatierer deutsch("de_DE");
    const Zeitzone berlin("Europe/Berlin");
    const Zeitpunkt spaet = testspiel::tag(2024, 3, 4, 23) + 30min;
    EXPECT_EQ(Positionstexte::abrufknopf(false, spaet, deutsch, berlin), "Kurs vom 4.03. abrufen");
    EXPECT_EQ(Positionstexte::abrufknopf(false, std::nullopt, deutsch, berlin), "Kurs abrufen");
    EXPECT_EQ(Positionstexte::abrufknopf(true, spaet, deutsch, berlin), "Kurs wird abgerufen");
    EXPECT_EQ(Positionstexte::quellenzeile(Kennungsurteil::ohneKurs, "Börse Frankfurt"), "Kurs von Hand eintragen");
    EXPECT_EQ(Positionstexte::quellenzeile(Kennungsurteil::verwendbar, "Börse Frankfurt"), "Börse Frankfurt");
}

TEST(PositionstexteTest, wenigHandel) {
    struct Fall {
        std::optional<std::int64_t> preise;
        std::optional<const char*> umsatz;
        bool wenig;
    };
    for (const Fall& fall : std::vector<Fall>{{4, std::nullopt, true},
                                              {5, "999", true},
                                              {5, "1000", false},
                                              {0, std::nullopt, false},
                                              {std::nullopt, "0", false},
                                              {1, "5000", true}}) {
        Handelsumfang umfang{fall.preise, std::nullopt,
                             fall.umsatz ? std::optional<Dezimal>(d(*fall.umsatz)) : std::nullopt};
        EXPECT_EQ(Positionstexte::wenigHandel(umfang), fall.wenig) << fall.preise.value_or(-1);
    }
    EXPECT_EQ(Positionstexte::handelshinweis(Handelsumfang{2, std::nullopt, std::nullopt}),
              "Sehr wenig Handel: 2 Preisfeststellungen. Der Kurs kann morgen deutlich anders aussehen, ohne dass "
              "sich der Markt bewegt hat.");
}

} // namespace

namespace {

// Whether `w` is shown and lies wholly inside what the sheet shows of itself: inside the
// scrolled form's viewport when it stands in the form, else inside the sheet.
bool imBlick(QWidget* w, QDialog* blatt) {
    if (w == nullptr || !w->isVisible()) {
        return false;
    }
    auto* rahmen = blatt->findChild<QScrollArea*>(QStringLiteral("formular"));
    QWidget* sicht = rahmen->isAncestorOf(w) ? rahmen->viewport() : static_cast<QWidget*>(blatt);
    const QRect ort(w->mapTo(sicht, QPoint(0, 0)), w->size());
    return sicht->rect().contains(ort);
}

} // namespace

// At the window's default size, whatever turns "Speichern" off says so where the group looks;
// Return, which presses "Speichern", then does nothing.
TEST_F(Blatt, derGrundFuerEinAbgeschaltetesSpeichernIstImBlick) {
    struct Fall {
        const char* kennung;
        const char* menge;
        const char* grund; // object name of the line that gives the reason
        const char* text;  // its text
    };
    const Fall faelle[] = {
        {sap, "2000", "budgetwarnung", "Das sind 100.000,00\u00a0€ mehr als das Startkapital. Verringere die Menge, "
                                       "dann lässt sich speichern."},
        {"DE0007164601", "10", "kennungswarnung",
         "Diese Kennung sieht aus wie eine ISIN, ist aber keine. Prüfe sie auf Tippfehler."},
        {sap, "2000000000", "mengenhinweis", "Die Menge muss über 0 und höchstens 1.000.000.000 sein."},
    };
    for (const Fall& fall : faelle) {
        QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::aktie);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt));
        EXPECT_LE(blatt->height(), fenster.height());
        tippe(blatt, "name", "SAP");
        tippe(blatt, "kurs", "100");
        tippe(blatt, "kennung", fall.kennung);
        tippe(blatt, "menge", fall.menge);
        EXPECT_FALSE(blatt->findChild<QPushButton*>("speichern")->isEnabled()) << fall.grund;
        auto* grund = blatt->findChild<QWidget*>(fall.grund);
        ASSERT_NE(grund, nullptr) << fall.grund;
        EXPECT_EQ(utf8(static_cast<Hinweiszeile*>(grund)->text()), fall.text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return imBlick(grund, blatt); }, 30000)) << fall.grund;
        QTest::keyClick(feld(blatt, "menge"), Qt::Key_Return);
        EXPECT_FALSE(blatt->prueft()) << fall.grund; // no check, so no save
        blatt->reject();
        ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000));
    }
}

// The rate line under a currency's rate field, once fetched, fits the sheet: no side scrolling;
// and the fields end in one line.
TEST_F(Blatt, derEditorEinerWaehrungPasstMitDerEzbZeileOhneSeitlichesRollenUndFluchtendenFeldern) {
    // Entered on a past day, the line names that day.
    spiel.portfolio->setzeKaufdatum(testspiel::tag(2024, 3, 4, 9));
    spiel.speichereOderScheitere();
    server.beantworte("/v2/rate/EUR/USD",
                      Antwort::json(R"({"date":"2024-03-04","base":"EUR","quote":"USD","rate":1.0834})"));
    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::waehrung);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt));
    tippe(blatt, "kennung", "USD");
    auto* ezb = blatt->findChild<QLabel*>("ezbText");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ezb != nullptr && ezb->text().startsWith("EZB-Referenzkurs"); }, 30000));
    // A rate of the group's own: the line offers the ECB's beside it.
    tippe(blatt, "umrechnung", "1,0867");
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->findChild<QPushButton*>("ezbUebernehmen")->isVisible(); }, 30000));
    auto* rahmen = blatt->findChild<QScrollArea*>(QStringLiteral("formular"));
    // The form needs no more width than the sheet gives it, and once laid out, over a few turns of
    // the event loop, it takes no more.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return rahmen->widget()->width() <= rahmen->viewport()->width() &&
                   !rahmen->horizontalScrollBar()->isVisible();
        },
        30000));
    EXPECT_LE(rahmen->widget()->minimumSizeHint().width(), rahmen->viewport()->width());
    EXPECT_LE(rahmen->widget()->width(), rahmen->viewport()->width());
    EXPECT_FALSE(rahmen->horizontalScrollBar()->isVisible());
    // The number fields end in one line, whether their unit is "€" or "USD".
    const auto rechterRand = [&](const char* name) {
        QLineEdit* zahl = feld(blatt, name);
        return zahl->mapTo(blatt, QPoint(zahl->width(), 0)).x();
    };
    EXPECT_EQ(rechterRand("bezahlt"), rechterRand("umrechnung"));
    EXPECT_EQ(rechterRand("bekommen"), rechterRand("umrechnung"));
}

// Assistive technology names every input of the editor by its row label, follows a label or
// unit that changes, and text it sets reaches the draft like typing.
TEST_F(Blatt, jedesFeldDesEditorsHeisstWieSeineZeile) {
    const auto alleWieIhreZeile = [](QWidget* blatt, std::vector<std::string> erwartet) {
        std::vector<std::string> gefunden;
        for (const auto& feld : qbtest::beschriftungen(*blatt)) {
            EXPECT_EQ(feld.name, feld.beschriftung);
            gefunden.push_back(feld.beschriftung);
        }
        std::sort(gefunden.begin(), gefunden.end());
        std::sort(erwartet.begin(), erwartet.end());
        EXPECT_EQ(gefunden, erwartet);
    };
    const auto waehle = [](QWidget* blatt, const char* name, int index) {
        auto* wahl = blatt->findChild<QComboBox*>(name);
        wahl->setCurrentIndex(index);
        emit wahl->activated(index);
    };
    const auto beschreibung = [](QWidget* blatt, const char* name) {
        return utf8(QAccessible::queryAccessibleInterface(feld(blatt, name))->text(QAccessible::Description));
    };

    QPointer<PositionBearbeitenDialog> aktie = oeffne(Assetklasse::aktie);
    alleWieIhreZeile(aktie, {"Name", "Kennung", "Menge", "Notierung", "Handelswährung", "Kaufkurs"});
    EXPECT_EQ(beschreibung(aktie, "menge"), "Stück");

    auto* waehrung = aktie->findChild<QComboBox*>("handelswaehrung");
    waehle(aktie, "handelswaehrung", waehrung->findData(QStringLiteral("USD")));
    alleWieIhreZeile(aktie, {"Name", "Kennung", "Menge", "Notierung", "Handelswährung", "Kaufkurs in USD",
                             "Umrechnung: 1 € entspricht"});
    EXPECT_EQ(beschreibung(aktie, "kurs"), "USD");
    waehle(aktie, "handelswaehrung", waehrung->findData(QStringLiteral("GBP")));
    EXPECT_EQ(qbtest::zugangsname(feld(aktie, "kurs")), "Kaufkurs in GBP");
    EXPECT_EQ(beschreibung(aktie, "kurs"), "GBP");
    waehle(aktie, "notierung", 1);
    alleWieIhreZeile(aktie, {"Name", "Kennung", "Menge", "Notierung", "Handelswährung", "Kaufkurs in GBP",
                             "Umrechnung: 1 € entspricht", "Nennwert je Stück"});
    EXPECT_EQ(beschreibung(aktie, "kurs"), "%");

    // Text set through the accessibility interface is typed text.
    QAccessible::queryAccessibleInterface(feld(aktie, "menge"))->setText(QAccessible::Value, QStringLiteral("12"));
    EXPECT_EQ(aktie->editor().entwurf().menge(), Dezimal(12));
    QAccessible::queryAccessibleInterface(feld(aktie, "name"))->setText(QAccessible::Value, QStringLiteral("SAP"));
    EXPECT_EQ(aktie->editor().entwurf().name, "SAP");
    QAccessible::queryAccessibleInterface(feld(aktie, "kennung"))->setText(QAccessible::Value, QString(sap));
    EXPECT_EQ(aktie->editor().entwurf().kennung, sap);
    aktie->reject();

    QPointer<PositionBearbeitenDialog> geld = oeffne(Assetklasse::waehrung);
    tippe(geld, "kennung", "USD");
    alleWieIhreZeile(geld, {"Name", "Kennung", "Kaufkurs: 1 € entspricht", "Bezahlt", "Bekommen"});
    EXPECT_EQ(beschreibung(geld, "bekommen"), "USD");
    geld->reject();
}

// With the ECB's rate fetched for a share in US dollars, every wrapping line of the editor gets
// the height its text needs at its width: no line is squeezed into its neighbour; and the fields
// end in one line.
TEST_F(Blatt, mitDemEzbKursBekommtJedeUmbrechendeZeileIhreHoeheUndDieFelderFluchten) {
    spiel.portfolio->setzeKaufdatum(testspiel::tag(2024, 3, 4, 9));
    spiel.speichereOderScheitere();
    // The rate comes once the form is filled in: the line appears in a form laid out before.
    server.beantworte("/v2/rate/EUR/USD",
                      zurueckgehalten(Antwort::json(R"({"date":"2024-03-04","base":"EUR","quote":"USD","rate":1.0834})")));
    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::aktie);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt));
    auto* waehrung = blatt->findChild<QComboBox*>("handelswaehrung");
    waehrung->setCurrentIndex(waehrung->findData(QStringLiteral("USD")));
    emit waehrung->activated(waehrung->currentIndex());
    tippe(blatt, "name", "Apple Inc.");
    tippe(blatt, "kennung", "US0378331005");
    tippe(blatt, "menge", "9");
    tippe(blatt, "kurs", "189,84");
    tippe(blatt, "umrechnung", "1,0867");
    gibFrei();
    auto* ezb = blatt->findChild<QLabel*>("ezbText");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ezb != nullptr && ezb->text().startsWith("EZB-Referenzkurs"); }, 30000));
    const auto umbrechende = [&] {
        QList<QLabel*> gezeigt = blatt->findChildren<QLabel*>();
        gezeigt.removeIf([](const QLabel* l) { return !l->wordWrap() || !l->isVisible() || l->text().isEmpty(); });
        return gezeigt;
    };
    const auto rechterRand = [&](const char* name) {
        QLineEdit* zahl = feld(blatt, name);
        return zahl->mapTo(blatt, QPoint(zahl->width(), 0)).x();
    };
    // The line that came is laid out over a few turns of the event loop, each layout taking in
    // the one inside it: what is waited for is their end, every line as high as its text needs.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto zeilen = umbrechende();
            return std::all_of(zeilen.begin(), zeilen.end(),
                               [](const QLabel* l) { return l->height() >= l->heightForWidth(l->width()); }) &&
                   rechterRand("menge") == rechterRand("kurs") && rechterRand("umrechnung") == rechterRand("kurs");
        },
        30000));
    int umbrechend = 0;
    for (QLabel* label : umbrechende()) {
        ++umbrechend;
        EXPECT_GE(label->height(), label->heightForWidth(label->width()))
            << utf8(label->objectName()) << ": " << utf8(label->text());
    }
    EXPECT_GE(umbrechend, 3);
    // The quantity in "Stück" ends in line with the prices in "USD".
    EXPECT_EQ(rechterRand("menge"), rechterRand("kurs"));
    EXPECT_EQ(rechterRand("umrechnung"), rechterRand("kurs"));
    // Tab walks the sheet as the eye reads it, through the ECB line that came while it was open too.
    EXPECT_EQ(qbtest::tabfolge(blatt, 20), (std::vector<std::string>{"name", "kennung", "menge", "notierung",
                                                                     "handelswaehrung", "kurs", "umrechnung",
                                                                     "ezbUebernehmen", "abrufen", "abbrechen",
                                                                     "speichern"}));
}

// A group that opens the editor and starts typing writes the name: the first field has the
// focus, not the scrolled page around it.
TEST_F(Blatt, dieEingabeBeginntImNamen) {
    QApplication::setActiveWindow(&fenster);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fenster));
    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::aktie);
    ASSERT_TRUE(QTest::qWaitForWindowActive(blatt.data()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() != nullptr; }, 30000));
    EXPECT_EQ(QApplication::focusWidget(), feld(blatt, "name"))
        << QApplication::focusWidget()->metaObject()->className() << " "
        << QApplication::focusWidget()->objectName().toStdString();
    blatt->reject();
}

// At scale factor 2 on a 1280 × 800 screen the sheet fits: the form scrolls above the buttons.
// "Kurs … abrufen" turns itself off while the quote is on its way: the cursor goes to the price
// it fills in, in sight, and stays there; typed keys reach it, never a button of the sheet.
TEST_F(Blatt, aufEinemKleinenBildschirmPasstDasBlattUndNachDemAbrufenStehtDerCursorImKursfeld) {
    server.beantworte(boerse, boersenkurs("100", 300ms));
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt));
    blatt->passeAn(QSize(640, 400));
    blatt->resize(blatt->minimumSize());
    EXPECT_EQ(blatt->size(), QSize(460, 400) - QSize(0, Fenstergroesse::rahmen.height()));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return imBlick(blatt->findChild<QPushButton*>("speichern"), blatt); }, 30000));
    // Lower still and scrolled to its end: the price stands out of sight above the button.
    blatt->passeAn(QSize(640, 300));
    blatt->resize(blatt->minimumSize());
    auto* abrufen = blatt->findChild<QPushButton*>("abrufen");
    abrufen->setFocus(Qt::TabFocusReason);
    auto* leiste = blatt->findChild<QScrollArea*>("formular")->verticalScrollBar();
    ASSERT_TRUE(QTest::qWaitFor([&] { return leiste->maximum() > 0; }, 30000));
    leiste->setValue(leiste->maximum());
    ASSERT_FALSE(imBlick(feld(blatt, "kurs"), blatt));
    QTest::keyClick(abrufen, Qt::Key_Space);
    EXPECT_FALSE(abrufen->isEnabled());
    EXPECT_EQ(blatt->focusWidget(), feld(blatt, "kurs"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return imBlick(feld(blatt, "kurs"), blatt); }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return feld(blatt, "kurs")->text() == "100"; }, 30000));
    EXPECT_EQ(blatt->focusWidget(), feld(blatt, "kurs"));
    blatt->reject();
}

// At a larger font the sheet opens as wide as its form needs instead of scrolling sideways;
// while the buy price is checked, it widens for the message beside its buttons too.
TEST_F(Blatt, beiGrosserSchriftZeigtDasBlattSeineZeilenGanz) {
    // The check's answer waits until the message beside the buttons was seen.
    server.beantworte(boerse, zurueckgehalten(boersenkurs("100")));
    const qbtest::Anwendungsschrift schrift(16);
    QPointer<PositionBearbeitenDialog> blatt = sapBlatt();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt.data()));
    auto* rahmen = blatt->findChild<QScrollArea*>("formular");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return rahmen->widget()->width() <= rahmen->viewport()->width() &&
                   !rahmen->horizontalScrollBar()->isVisible();
        },
        30000));
    tippe(blatt, "kurs", "100");
    // Laid out as some time after the typing, so that nothing but the message asks for room.
    for (int runde = 0; runde < 20; ++runde) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    QTest::keyClick(feld(blatt, "kurs"), Qt::Key_Return);
    auto* text = blatt->findChild<QLabel*>("prueftText");
    const auto ganz = [&] { return text->isVisible() && text->width() >= text->sizeHint().width(); };
    EXPECT_TRUE(QTest::qWaitFor(ganz, 30000));
    gibFrei();
    EXPECT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000)); // checked, saved and closed
}

// Tab from the first field visits every field and button the editor shows exactly once before it
// comes back, and Shift+Tab walks the same ring backwards: for a new and a saved position of each
// class, and in every state its ECB line takes while the sheet is open. A field made anew while
// it is open, such as the rate cleared by another currency, takes its place in the ring too.
TEST_F(Blatt, tabGehtInJedemZustandDesEditorsEinmalUmAlles) {
    const auto ezb = [](const std::string& code, const char* kurs) {
        return Antwort::json(R"({"date":"2024-03-04","base":"EUR","quote":")" + code + R"(","rate":)" + kurs +
                             "}");
    };
    server.beantworte("/v2/rate/EUR/USD", ezb("USD", "1.0834"));
    server.beantworte("/v2/rate/EUR/GBP", ezb("GBP", "0.85"));
    server.beantworte("/v2/rate/EUR/CHF", Antwort::nachStatus(500));
    const auto sichtbar = [](QWidget* blatt, const char* name) {
        auto* teil = blatt->findChild<QWidget*>(name);
        return teil != nullptr && teil->isVisible();
    };
    const auto ezbGeholt = [](QWidget* blatt, const char* code) {
        auto* text = blatt->findChild<QLabel*>("ezbText");
        return text != nullptr && text->isVisible() && text->text().startsWith("EZB-Referenzkurs") &&
               text->text().contains(code);
    };
    // The trading currency as a group picks it, or for a currency position its identifier.
    const auto waehle = [](QWidget* blatt, const char* code) {
        if (auto* wahl = blatt->findChild<QComboBox*>("handelswaehrung"); wahl->isVisible()) {
            wahl->setCurrentIndex(wahl->findData(QString(code)));
            emit wahl->activated(wahl->currentIndex());
        } else {
            tippe(blatt, "kennung", code);
        }
    };
    struct Gekauft {
        Assetklasse klasse;
        const char* kennung;
        Preisangabe preis;
    };
    const Gekauft gekauft[] = {
        {Assetklasse::aktie, sap, testspiel::fremd("25", "GBP", "0.85")},
        {Assetklasse::anleihe, "DE0001102580", testspiel::eur("99")},
        {Assetklasse::waehrung, "USD", testspiel::fremd("1", "USD", "1.0834")},
        {Assetklasse::rohstoff, "Gold", testspiel::eur("60")},
        {Assetklasse::co2Zertifikat, "DE0005140008", testspiel::eur("70")},
    };
    for (const Gekauft& kauf : gekauft) {
        for (const bool gespeichert : {false, true}) {
            if (gespeichert) {
                testspiel::kaufe(spiel.portfolio, kauf.klasse, "Papier", 10, kauf.preis)
                    ->setzeKennung(kauf.kennung);
                spiel.speichereOderScheitere();
            }
            const std::string fall =
                std::string(bezeichnung(kauf.klasse)) + (gespeichert ? ", gespeichert" : ", neu");
            QPointer<PositionBearbeitenDialog> blatt = oeffne(kauf.klasse);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(blatt.data())) << fall;
            if (kauf.klasse == Assetklasse::aktie && gespeichert) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return ezbGeholt(blatt, "GBP"); }, 30000));
            }
            qbtest::pruefeTabring(blatt, fall);
            const bool waehrung = kauf.klasse == Assetklasse::waehrung;
            if (!waehrung) {
                // From "Name" by Tab to the picker, and "US" typed into it.
                auto* wahl = blatt->findChild<QComboBox*>("handelswaehrung");
                feld(blatt, "name")->setFocus(Qt::TabFocusReason);
                for (int druck = 0; druck < 10 && QApplication::focusWidget() != wahl; ++druck) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                }
                ASSERT_EQ(QApplication::focusWidget(), wahl) << fall;
                // The picker joins the letters typed within an interval of the clock into one
                // search. The "U" alone picks the forint, and the switch to it can take longer
                // than that on a loaded machine, where the "S" alone would pick the won: both
                // letters stay one search here, however late the "S" comes.
                const int intervall = QApplication::keyboardInputInterval();
                const auto zurueck = qScopeGuard([intervall] { QApplication::setKeyboardInputInterval(intervall); });
                QApplication::setKeyboardInputInterval(std::numeric_limits<int>::max());
                QTest::keyClicks(wahl, "US");
                ASSERT_EQ(wahl->currentData().toString(), "USD") << fall;
            } else {
                waehle(blatt, gespeichert ? "GBP" : "USD");
            }
            const char* geholt = waehrung && gespeichert ? "GBP" : "USD";
            ASSERT_TRUE(QTest::qWaitFor([&] { return ezbGeholt(blatt, geholt); }, 30000)) << fall;
            qbtest::pruefeTabring(blatt, fall + ", EZB-Kurs geholt");
            tippe(blatt, "umrechnung", "1,2");
            ASSERT_TRUE(sichtbar(blatt, "ezbUebernehmen")) << fall;
            qbtest::pruefeTabring(blatt, fall + ", eigener Kurs neben dem der EZB");
            klicke(blatt, "ezbUebernehmen");
            ASSERT_FALSE(sichtbar(blatt, "ezbUebernehmen")) << fall;
            qbtest::pruefeTabring(blatt, fall + ", EZB-Kurs übernommen");
            waehle(blatt, "CHF");
            ASSERT_TRUE(QTest::qWaitFor([&] { return sichtbar(blatt, "ezbErneut"); }, 30000)) << fall;
            qbtest::pruefeTabring(blatt, fall + ", EZB-Kurs gescheitert");
            if (!waehrung) {
                waehle(blatt, "EUR");
                ASSERT_FALSE(sichtbar(blatt, "umrechnung")) << fall;
                qbtest::pruefeTabring(blatt, fall + ", zurück in Euro");
            }
            blatt->reject();
            ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 30000)) << fall;
        }
    }
}

// "Zurück zur Eingabe" after a rate far from the ECB's puts the cursor back into "Umrechnung".
TEST_F(Blatt, zurueckZurEingabeNachEinemAbweichendenKursDerEzbStehtInDerUmrechnung) {
    server.beantworte("/v2/rate/EUR/USD",
                      Antwort::json(R"({"date":"2024-03-04","base":"EUR","quote":"USD","rate":1.0834})"));
    // Gold has no quote to compare with: only the rate is checked.
    QPointer<PositionBearbeitenDialog> blatt = oeffne(Assetklasse::rohstoff);
    tippe(blatt, "name", "Gold");
    tippe(blatt, "kennung", "Gold");
    tippe(blatt, "menge", "3");
    auto* waehrung = blatt->findChild<QComboBox*>("handelswaehrung");
    waehrung->setCurrentIndex(waehrung->findData(QStringLiteral("USD")));
    emit waehrung->activated(waehrung->currentIndex());
    tippe(blatt, "kurs", "2000");
    tippe(blatt, "umrechnung", "1,5");

    klicke(blatt, "speichern");
    QMessageBox* box = frage(blatt, "abweichungsfrage");
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->findChild<QMessageBox*>() == nullptr; }, 30000));
    EXPECT_EQ(blatt->focusWidget(), feld(blatt, "umrechnung"));
    EXPECT_TRUE(spiel.portfolio->positionen().empty());
    blatt->reject();
}
