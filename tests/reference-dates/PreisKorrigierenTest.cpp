#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QTest>

#include "Umgebung.h"
#include "ui/Bedienhilfe.h"
#include "ui/Fenstergroesse.h"
#include "ui/Spielstandhilfe.h"
#include "ui/Zahleneingabe.h"
#include "model/Bewertung.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "reference-dates/PreisKorrigierenDialog.h"
#include "reference-dates/PreisKorrigieren.h"
#include "sources/Testhilfen.h"
#include "sources/Testserver.h"

using namespace qb;
using testspiel::d;
using testspiel::tag;

namespace {

using Teil = Kurspruefung::Teil<Kursnotierung>;
using RateTeil = Kurspruefung::Teil<Umrechnung>;

const Zeitpunkt heute = tag(2024, 5, 17, 12);

struct Korrekturspiel : qbtest::Spielstand {
    Korrekturspiel() {
        aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
        aktie->setzeKennung("DE0007236101");
        bewertung = testspiel::stichtag(portfolio, tag(2024, 3, 11));
        testspiel::notiere(bewertung, aktie, testspiel::eur("160"));
        speichereOderScheitere();
    }

    Preisnotiz::Felder gespeicherteNotiz() const {
        const Bestand bestand = gespeichert();
        EXPECT_EQ(bestand.preisnotizen.size(), 1U);
        return bestand.preisnotizen.at(0).felder;
    }

    // Types a EUR price into the one row.
    void tippe(PreisKorrigieren& korrektur, const char* kurs) const {
        Kurseingabe eingabe = korrektur.entwurf().zeilen().front().eingabe;
        eingabe.kurs = d(kurs);
        korrektur.entwurf().setzeEingabe(Assetklasse::aktie, eingabe);
    }

    void vergleich(PreisKorrigieren& korrektur, const char* kurs) const {
        Kursnotierung q;
        q.kurs = d(kurs);
        q.waehrung = "EUR";
        q.art = Kursart::tagesschluss;
        q.kursdatum = tag(2024, 3, 11);
        q.abgerufenAm = heute;
        q.quelle = "Börse Frankfurt (XETR)";
        const auto auftrag = korrektur.entwurf().zeilen().front().vergleichsauftrag();
        korrektur.entwurf().speichereVergleich(auftrag, Kurspruefung::Referenz{Teil::vorhanden(q), RateTeil::entfaellt()});
    }

    std::shared_ptr<Position> aktie;
    std::shared_ptr<Bewertung> bewertung;
};

} // namespace

TEST(PreisKorrigieren, speichernNurFuerEinenSpeicherbarenKurs) {
    Korrekturspiel spiel;
    PreisKorrigieren korrektur(spiel.portfolio, spiel.bewertung, spiel.aktie, heute);
    EXPECT_EQ(korrektur.entwurf().zeilen().front().eingabe.kurs, d("160"));
    struct Fall {
        const char* kurs;
        bool kannSpeichern;
    };
    for (const Fall& fall : std::vector<Fall>{{"0", false}, {"1000000001", false}, {"1000000000", true}, {"0.01", true}}) {
        spiel.tippe(korrektur, fall.kurs);
        EXPECT_EQ(korrektur.kannSpeichern(), fall.kannSpeichern) << fall.kurs;
    }
}

TEST(PreisKorrigieren, offenerVergleichFragtErstTrotzdemSpeichernSchreibtBloomberg) {
    Korrekturspiel spiel;
    PreisKorrigieren korrektur(spiel.portfolio, spiel.bewertung, spiel.aktie, heute);
    spiel.tippe(korrektur, "161.5");
    EXPECT_FALSE(korrektur.speichernGedrueckt(spiel.kontext()));
    ASSERT_TRUE(korrektur.ablauf().rueckfrage());
    EXPECT_EQ(korrektur.ablauf().rueckfrage()->titel(), "Noch nicht alle Kurse verglichen");
    EXPECT_EQ(spiel.gespeicherteNotiz().preis, d("160"));

    EXPECT_TRUE(korrektur.trotzdemSpeichern(spiel.kontext()));
    const Preisnotiz::Felder notiz = spiel.gespeicherteNotiz();
    EXPECT_EQ(notiz.preis, d("161.5"));
    EXPECT_EQ(notiz.quelle, "Bloomberg");
    EXPECT_EQ(notiz.art, Kursart::vonHand);
    EXPECT_EQ(notiz.abgerufenAm, tag(2024, 3, 11));
}

TEST(PreisKorrigieren, neueStarkeAbweichungHaeltTrotzdemSpeichernAuf) {
    Korrekturspiel spiel;
    PreisKorrigieren korrektur(spiel.portfolio, spiel.bewertung, spiel.aktie, heute);
    spiel.tippe(korrektur, "161.5");
    EXPECT_FALSE(korrektur.speichernGedrueckt(spiel.kontext()));
    spiel.vergleich(korrektur, "100");
    EXPECT_FALSE(korrektur.trotzdemSpeichern(spiel.kontext()));
    EXPECT_TRUE(korrektur.ablauf().neueAbweichung());
    EXPECT_EQ(spiel.gespeicherteNotiz().preis, d("160"));
    // The next "Speichern" drops the warning and asks about the deviation.
    EXPECT_FALSE(korrektur.speichernGedrueckt(spiel.kontext()));
    EXPECT_FALSE(korrektur.ablauf().neueAbweichung());
    ASSERT_TRUE(korrektur.ablauf().rueckfrage());
    EXPECT_EQ(korrektur.ablauf().rueckfrage()->titel(), "Ein Kurs weicht stark vom Vergleich ab");
}

TEST(PreisKorrigieren, uebernommenerKursBehaeltSeineQuelle) {
    Korrekturspiel spiel;
    PreisKorrigieren korrektur(spiel.portfolio, spiel.bewertung, spiel.aktie, heute);
    spiel.vergleich(korrektur, "158.2");
    korrektur.entwurf().vergleichskursUebernehmen(Assetklasse::aktie);
    EXPECT_TRUE(korrektur.speichernGedrueckt(spiel.kontext()));
    const Preisnotiz::Felder notiz = spiel.gespeicherteNotiz();
    EXPECT_EQ(notiz.preis, d("158.2"));
    EXPECT_EQ(notiz.quelle, "Börse Frankfurt (XETR)");
    EXPECT_EQ(notiz.herkunft, Preisherkunft::automatisch);
    EXPECT_EQ(notiz.art, Kursart::tagesschluss);
}

TEST(PreisKorrigieren, positionGeaendertOderWegSchreibtNichts) {
    struct Fall {
        const char* name;
        void (*aendere)(Position&);
        std::string meldung;
    };
    const std::vector<Fall> faelle{
        {"neue Kennung", [](Position& p) { p.setzeKennung("DE0007164600"); },
         "Die Kennung wurde geändert, nachdem der Kurs eingetragen war. Trag ihn für die neue Kennung ein."},
        {"unvollständig", [](Position& p) { p.setzeStueckzahl(0); }, "Die Position gibt es nicht mehr."},
    };
    for (const auto& fall : faelle) {
        Korrekturspiel spiel;
        PreisKorrigieren korrektur(spiel.portfolio, spiel.bewertung, spiel.aktie, heute);
        spiel.vergleich(korrektur, "161");
        spiel.tippe(korrektur, "161.5");
        fall.aendere(*spiel.aktie);
        EXPECT_FALSE(korrektur.speichernGedrueckt(spiel.kontext())) << fall.name;
        EXPECT_EQ(korrektur.speicherfehler(), fall.meldung) << fall.name;
        EXPECT_EQ(spiel.bewertung->notiz(*spiel.aktie)->preis(), d("160")) << fall.name;
    }
}

// The sheet over a shown window, not yet opened. The sheet asks for its comparison as it is
// built, so the server's answers go in first; a path without one fails.
struct Korrekturblatt {
    explicit Korrekturblatt(const std::function<void(qbtest::Testserver&)>& antworten = {}) {
        if (antworten) {
            antworten(server);
        }
        blatt = new PreisKorrigierenDialog(spiel.portfolio, spiel.bewertung, Assetklasse::aktie,
                                           spiel.kontext(), qbtest::dienstFuer(server), &fenster);
        fenster.show();
    }

    const qbtest::Umgebung deutsch = qbtest::Umgebung::deutsch();
    qbtest::Testserver server;
    Korrekturspiel spiel;
    QWidget fenster;
    QPointer<PreisKorrigierenDialog> blatt;
};

// Assistive technology names the sheet by its title and its price field by the row's label and
// class, as in the capture sheet.
TEST(PreisKorrigieren, blattUndFelderHeissenWieIhreBeschriftung) {
    Korrekturblatt k;
    k.blatt->open();
    EXPECT_EQ(qbtest::zugangsname(k.blatt), "Aktie");
    const auto felder = qbtest::beschriftungen(*k.blatt);
    ASSERT_EQ(felder.size(), 2U);
    EXPECT_EQ(felder.at(0).beschriftung, "Handelswährung");
    EXPECT_EQ(felder.at(1).beschriftung, "Kurs");
    for (const auto& feld : felder) {
        EXPECT_EQ(feld.name, feld.beschriftung + ": Aktie");
    }
    k.blatt->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return k.blatt.isNull(); }, 30000));
}

// The sheet opens with the cursor in the price to correct.
TEST(PreisKorrigieren, dieEingabeBeginntImKurs) {
    Korrekturblatt k;
    k.blatt->open();
    QApplication::setActiveWindow(k.blatt);
    ASSERT_TRUE(QTest::qWaitForWindowActive(k.blatt));
    EXPECT_EQ(QApplication::focusWidget(), k.blatt->findChild<Zahleneingabe*>("kurs")->feld());
    k.blatt->reject();
}

// At scale factor 2 on a 1280 × 800 screen the sheet fits, its buttons in view; what does not fit
// scrolls instead of being squeezed.
TEST(PreisKorrigieren, aufEinemKleinenBildschirmPasstDasBlatt) {
    Korrekturblatt k;
    k.blatt->passeAn(QSize(640, 400));
    k.blatt->open();
    k.blatt->resize(k.blatt->minimumSize());
    EXPECT_EQ(k.blatt->size(), QSize(460, 400) - QSize(0, Fenstergroesse::rahmen.height()));
    auto* knopf = k.blatt->findChild<QPushButton*>("speichern");
    auto* flaeche = k.blatt->findChild<QScrollArea*>();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return k.blatt->rect().contains(QRect(knopf->mapTo(k.blatt, QPoint()), knopf->size())) &&
                   flaeche->widget()->height() >= flaeche->widget()->minimumSizeHint().height();
        },
        30000));
    EXPECT_GE(flaeche->widget()->height(), flaeche->widget()->minimumSizeHint().height());
    k.blatt->reject();
}

// Tab from the first field visits every field and button of the sheet exactly once before it
// comes back, and Shift+Tab walks the same ring backwards: while the comparison is on its way,
// once it arrived or failed, and with the price switched to dollars and back.
TEST(PreisKorrigieren, tabGehtInJedemZustandDesBlattsEinmalUmAlles) {
    for (const bool scheitern : {false, true}) {
        const std::string fall = scheitern ? "gescheitert" : "angekommen";
        // Every answer waits until the test lets it go, as the case ends at the latest.
        std::promise<void> freigabe;
        const std::vector<std::pair<const char*, std::string>> antworten{
            {"/v1/data/price_information/single",
             R"({"isin":"DE0007236101","lastPrice":158.2,"currency":{"originalValue":"EUR"},)"
             R"("tradedInPercent":false})"},
            {"/v1/tradingview/history", R"({"s":"ok","c":[158.2],"t":[1710115200]})"},
            {"/v2/rate/EUR/USD", R"({"date":"2024-03-11","base":"EUR","quote":"USD","rate":1.0834})"},
        };
        Korrekturblatt k([&, warten = freigabe.get_future().share()](qbtest::Testserver& server) {
            for (const auto& [pfad, text] : antworten) {
                server.beantworte(pfad, [warten, scheitern, json = text](const qbtest::Anfrage&) {
                    warten.wait();
                    return scheitern ? qbtest::Antwort::nachStatus(500) : qbtest::Antwort::json(json);
                });
            }
        });
        bool frei = false;
        const auto gibFrei = [&] {
            if (!frei) {
                frei = true;
                freigabe.set_value();
            }
        };
        // Before the server stops, which waits for its answers to go.
        const auto amEnde = qScopeGuard(gibFrei);
        k.blatt->open();
        qbtest::pruefeTabring(k.blatt, fall + ", Vergleich unterwegs");
        gibFrei();
        const auto sichtbar = [&k](const char* name) {
            auto* knopf = k.blatt->findChild<QPushButton*>(name);
            return knopf != nullptr && knopf->isVisible();
        };
        const char* const knopf = scheitern ? "vergleichErneutHolen" : "vergleichskursUebernehmen";
        ASSERT_TRUE(QTest::qWaitFor([&] { return sichtbar(knopf); }, 30000)) << fall;
        qbtest::pruefeTabring(k.blatt, fall + ", Vergleich da");
        auto* wahl = k.blatt->findChild<QComboBox*>("handelswaehrung");
        auto* wirdGeholt = k.blatt->findChild<QWidget*>("wirdGeholt");
        const auto waehle = [&](const char* code) {
            wahl->setCurrentIndex(wahl->findData(QString::fromUtf8(code)));
            emit wahl->activated(wahl->currentIndex());
            ASSERT_TRUE(QTest::qWaitFor([&] { return !wirdGeholt->isVisible(); }, 30000)) << fall;
            qbtest::pruefeTabring(k.blatt, fall + ", in " + code);
        };
        waehle("USD");
        // The rate field goes with the dollars, and comes anew with them.
        waehle("EUR");
        waehle("USD");
        k.blatt->reject();
        ASSERT_TRUE(QTest::qWaitFor([&] { return k.blatt.isNull(); }, 30000)) << fall;
    }
}
