#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Umgebung.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "performance/Abrufschluessel.h"
#include "performance/Entwicklungsinhalt.h"
#include "performance/Tagesverlaufladung.h"
#include "sources/Testhilfen.h"
#include "valuation/Testspiel.h"

using qb::Abrufschluessel;
using qb::Assetklasse;
using qb::Dezimal;
using qb::Entwicklungsinhalt;
using qb::Sicht;
using qb::Tagesverlaufladung;
using qb::Verlaufstag;
using qb::Wertverlauf;
using qb::Zeitpunkt;
using qb::Zeitraum;
using qbtest::berlin;

namespace {

const qb::Kalender kalender(qb::Zeitzone("Europe/Berlin"));

TEST(Entwicklungswahl, rohwerteUndBeschriftungen) {
    EXPECT_EQ(qb::sichtAus("tagesverlauf"), Sicht::tagesverlauf);
    EXPECT_EQ(qb::sichtAus("Tagesverlauf"), std::nullopt);
    EXPECT_EQ(qb::zeitraumAus("dreiMonate"), Zeitraum::dreiMonate);
    EXPECT_EQ(qb::zeitraumAus("3 Monate"), std::nullopt);
    EXPECT_STREQ(qb::bezeichnung(Sicht::stichtage), "Stichtage");
    EXPECT_STREQ(qb::bezeichnung(Zeitraum::einMonat), "1 Monat");
    EXPECT_STREQ(qb::bezeichnung(Zeitraum::alles), "Alles");
}

TEST(Tagesverlaufladung, fensterZaehltVomTagesbeginnZurueckUndEndetAmEinstieg) {
    // Now: Monday 7 December 2026, 14:30; the start of today lies 31 days after 6 November.
    const Zeitpunkt jetzt = berlin(2026, 12, 7, 14, 30);
    struct Fall {
        const char* name;
        Zeitraum zeitraum;
        Zeitpunkt kaufdatum;
        Zeitpunkt von;
        bool verkuerzt;
    };
    const std::vector<Fall> faelle = {
        {"Einstieg vor 10 Tagen, 1 Monat", Zeitraum::einMonat, berlin(2026, 11, 27, 9), berlin(2026, 11, 27), true},
        {"Einstieg vor 40 Tagen, 1 Monat", Zeitraum::einMonat, berlin(2026, 10, 28, 9), berlin(2026, 11, 6), false},
        {"Einstieg vor 40 Tagen, 3 Monate", Zeitraum::dreiMonate, berlin(2026, 10, 28, 9), berlin(2026, 10, 28), true},
        {"Einstieg genau 31 Tage zurück", Zeitraum::einMonat, berlin(2026, 11, 6, 23, 59), berlin(2026, 11, 6), false},
        // 92 calendar days over the end of summer time: midnight, not 23:00 of the day before.
        {"3 Monate über die Zeitumstellung", Zeitraum::dreiMonate, berlin(2026, 1, 5, 9), berlin(2026, 9, 6), false},
        {"Alles nach langer Zeit", Zeitraum::alles, berlin(2026, 1, 5, 9), berlin(2026, 1, 5), false},
        {"Alles nach kurzer Zeit", Zeitraum::alles, berlin(2026, 12, 1, 9), berlin(2026, 12, 1), false},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(Tagesverlaufladung::fenster(fall.zeitraum, jetzt, fall.kaufdatum, kalender),
                  (Wertverlauf::Fenster{fall.von, jetzt, fall.verkuerzt}));
    }
}

// A game in a store: a complete share and bond, an incomplete commodity, two reference dates.
struct Schluesselspiel {
    qb::Modellcontainer container{qb::Ablage::imArbeitsspeicher()};
    std::shared_ptr<qb::Portfolio> portfolio = testspiel::spiel();
    std::shared_ptr<qb::Position> aktie;
    std::shared_ptr<qb::Position> anleihe;
    std::shared_ptr<qb::Position> rohstoff;
    std::shared_ptr<qb::Bewertung> stichtag;

    Schluesselspiel() {
        container.kontext().fuegeEin(portfolio);
        aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("100"));
        anleihe = testspiel::kaufe(portfolio, Assetklasse::anleihe, "Bund", 5, testspiel::fremd("98", "USD", "1.1"));
        rohstoff = testspiel::kaufe(portfolio, Assetklasse::rohstoff, "", 2, testspiel::eur("50"));
        stichtag = testspiel::stichtag(portfolio, testspiel::tag(2026, 3, 9));
        testspiel::notiere(stichtag, aktie, testspiel::eur("110"));
        testspiel::stichtag(portfolio, testspiel::tag(2026, 3, 16));
    }

    Abrufschluessel schluessel(Sicht sicht = Sicht::tagesverlauf, Zeitraum zeitraum = Zeitraum::alles,
                               Zeitpunkt heute = berlin(2026, 3, 20), std::int64_t versuch = 0) const {
        return Abrufschluessel(*portfolio, sicht, zeitraum, heute, versuch);
    }
};

TEST(Abrufschluessel, derSchluesselAendertSichGenauMitDemWovonDerVerlaufAbhaengt) {
    struct Fall {
        const char* name;
        std::function<void(Schluesselspiel&)> aenderung;
        bool gleich;
    };
    const std::vector<Fall> faelle = {
        {"nichts", [](Schluesselspiel&) {}, true},
        {"Kennung einer unvollständigen Position", [](Schluesselspiel& s) { s.rohstoff->setzeKennung("XC0009655157"); }, true},
        {"Nennwert einer unvollständigen Position", [](Schluesselspiel& s) { s.rohstoff->setzeNennwert(Dezimal(5)); }, true},
        {"Kaufzeit am selben Tag", [](Schluesselspiel& s) { s.portfolio->setzeKaufdatum(testspiel::tag(2026, 3, 2, 20)); }, true},
        {"Notiz des Stichtags geschrieben wie zuvor", [](Schluesselspiel& s) { s.stichtag->aktualisiere(*s.aktie, testspiel::eur("110"), "Bloomberg"); }, true},
        {"Kennung einer vollständigen Position", [](Schluesselspiel& s) { s.aktie->setzeKennung("DE0007164600"); }, false},
        {"Kennung nur mit Leerzeichen", [](Schluesselspiel& s) { s.aktie->setzeKennung(" "); }, false},
        {"Stückzahl", [](Schluesselspiel& s) { s.aktie->setzeStueckzahl(11); }, false},
        {"Kaufkurs in Fremdwährung", [](Schluesselspiel& s) { s.anleihe->setzeKaufkurs(testspiel::fremd("98", "USD", "1.2")); }, false},
        {"Notierung", [](Schluesselspiel& s) { s.aktie->setzeNotierung(qb::Notierungsart::prozentVomNennwert); }, false},
        {"Nennwert", [](Schluesselspiel& s) { s.anleihe->setzeNennwert(Dezimal(1000)); }, false},
        {"Position wird vollständig", [](Schluesselspiel& s) { s.rohstoff->setzeName("Gold"); }, false},
        {"Startkapital", [](Schluesselspiel& s) { s.portfolio->setzeStartkapital(Dezimal(20000)); }, false},
        {"Einstieg am Vortag", [](Schluesselspiel& s) { s.portfolio->setzeKaufdatum(testspiel::tag(2026, 3, 1)); }, false},
        {"Stichtag verlegt", [](Schluesselspiel& s) { s.stichtag->setzeDatum(testspiel::tag(2026, 3, 9, 18)); }, false},
        {"Stichtag dazu", [](Schluesselspiel& s) { testspiel::stichtag(s.portfolio, testspiel::tag(2026, 3, 18)); }, false},
        {"Preis geändert", [](Schluesselspiel& s) { s.stichtag->aktualisiere(*s.aktie, testspiel::eur("111"), "Bloomberg"); }, false},
        {"Preis dazu", [](Schluesselspiel& s) { testspiel::notiere(s.stichtag, s.anleihe, testspiel::eur("99")); }, false},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        Schluesselspiel spiel;
        const Abrufschluessel vorher = spiel.schluessel();
        fall.aenderung(spiel);
        EXPECT_EQ(spiel.schluessel() == vorher, fall.gleich);
    }

    const Schluesselspiel spiel;
    const Abrufschluessel grund = spiel.schluessel();
    EXPECT_NE(spiel.schluessel(Sicht::stichtage), grund);
    EXPECT_NE(spiel.schluessel(Sicht::tagesverlauf, Zeitraum::einMonat), grund);
    EXPECT_NE(spiel.schluessel(Sicht::tagesverlauf, Zeitraum::alles, berlin(2026, 3, 21)), grund);
    EXPECT_NE(spiel.schluessel(Sicht::tagesverlauf, Zeitraum::alles, berlin(2026, 3, 20), 1), grund);
}

TEST(Abrufschluessel, mengenVergleichenOhneReihenfolgeUndDieSpaetereNotizEinerKlasseZaehlt) {
    Schluesselspiel spiel;
    auto& portfolio = spiel.portfolio;
    auto& stichtag = spiel.stichtag;
    // The same positions and dates, added in the opposite order.
    qb::Modellcontainer andererSpeicher{qb::Ablage::imArbeitsspeicher()};
    auto umgekehrt = testspiel::spiel();
    andererSpeicher.kontext().fuegeEin(umgekehrt);
    testspiel::stichtag(umgekehrt, testspiel::tag(2026, 3, 16));
    auto zweiterStichtag = testspiel::stichtag(umgekehrt, testspiel::tag(2026, 3, 9));
    testspiel::kaufe(umgekehrt, Assetklasse::rohstoff, "", 2, testspiel::eur("50"));
    testspiel::kaufe(umgekehrt, Assetklasse::anleihe, "Bund", 5, testspiel::fremd("98", "USD", "1.1"));
    auto zweiteAktie = testspiel::kaufe(umgekehrt, Assetklasse::aktie, "Siemens", 10, testspiel::eur("100"));
    testspiel::notiere(zweiterStichtag, zweiteAktie, testspiel::eur("110"));
    EXPECT_EQ(Abrufschluessel(*umgekehrt, Sicht::tagesverlauf, Zeitraum::alles, berlin(2026, 3, 20), 0), spiel.schluessel());

    // A second share with a note on the same date: the later note decides the class's entry.
    auto nochEineAktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Telekom", 1, testspiel::eur("20"));
    testspiel::notiere(stichtag, nochEineAktie, testspiel::eur("21"));
    EXPECT_EQ(Abrufschluessel::Stichtag(*stichtag).preise,
              (std::map<Assetklasse, qb::Preisangabe>{{Assetklasse::aktie, testspiel::eur("21")}}));
}

TEST(Tagesverlaufladung, ladungDurchlaeuftIhreZustaende) {
    Schluesselspiel spiel;
    auto& portfolio = spiel.portfolio;
    auto& stichtag = spiel.stichtag;
    const auto deutsch = qbtest::Umgebung::deutsch();
    Tagesverlaufladung ladung;
    const Zeitpunkt jetzt = berlin(2026, 3, 20, 12);

    // The reference-date view fetches nothing.
    EXPECT_EQ(ladung.beginne(Sicht::stichtage, Zeitraum::alles, *portfolio, jetzt), std::nullopt);
    EXPECT_FALSE(ladung.laedt());

    // No reference date with complete prices yet (the bond lacks one): nothing to fetch.
    EXPECT_EQ(ladung.beginne(Sicht::tagesverlauf, Zeitraum::alles, *portfolio, jetzt), std::nullopt);
    EXPECT_FALSE(Tagesverlaufladung::tagesverlaufMoeglich(*portfolio));

    testspiel::notiere(stichtag, spiel.anleihe, testspiel::eur("99"));
    ASSERT_TRUE(Tagesverlaufladung::tagesverlaufMoeglich(*portfolio));
    const auto fenster = ladung.beginne(Sicht::tagesverlauf, Zeitraum::einMonat, *portfolio, jetzt);
    EXPECT_EQ(fenster, (Wertverlauf::Fenster{portfolio->kaufdatum() - std::chrono::hours(9), jetzt, true}));
    EXPECT_TRUE(ladung.laedt());
    EXPECT_EQ(Entwicklungsinhalt::fuer(*portfolio, Sicht::tagesverlauf, ladung).inhalt.index(), 1U);

    // No trading day: the failed classes, one per line in class order, with the retry.
    ladung.schliesseAb(Wertverlauf::Ergebnis{{}, {{Assetklasse::waehrung, "Y"}, {Assetklasse::aktie, "X"}}, {}}, *fenster);
    EXPECT_FALSE(ladung.laedt());
    EXPECT_TRUE(ladung.verkuerzt());
    EXPECT_EQ(ladung.verlaufsfehler(), "Aktie: X\nWährung: Y");
    EXPECT_EQ(std::get<qb::Entwicklungsinhalt::Leer>(Entwicklungsinhalt::fuer(*portfolio, Sicht::tagesverlauf, ladung).inhalt),
              (qb::Entwicklungsinhalt::Leer{"calendar.badge.exclamationmark", "Kein Tagesverlauf", "Aktie: X\nWährung: Y", true}));

    // A new load keeps the old history but forgets the failure; an empty answer says so.
    ASSERT_TRUE(ladung.beginne(Sicht::tagesverlauf, Zeitraum::alles, *portfolio, jetzt));
    EXPECT_EQ(ladung.verlaufsfehler(), std::nullopt);
    EXPECT_TRUE(ladung.verlauf().has_value());
    ladung.schliesseAb(Wertverlauf::Ergebnis{}, Wertverlauf::Fenster{jetzt, jetzt, false});
    EXPECT_EQ(ladung.verlaufsfehler(), "Für den gewählten Zeitraum kamen keine Kurse zurück.");
    EXPECT_FALSE(ladung.verkuerzt());

    // Days: the chart, with the footnote.
    ASSERT_TRUE(ladung.beginne(Sicht::tagesverlauf, Zeitraum::alles, *portfolio, jetzt));
    ladung.schliesseAb(Wertverlauf::Ergebnis{{Verlaufstag{berlin(2026, 3, 9), Dezimal(10100)}}, {}, {"eigene Eintragungen"}},
                       Wertverlauf::Fenster{jetzt, jetzt, false});
    EXPECT_EQ(ladung.verlaufsfehler(), std::nullopt);
    const auto inhalt = Entwicklungsinhalt::fuer(*portfolio, Sicht::tagesverlauf, ladung);
    ASSERT_EQ(inhalt.inhalt.index(), 2U);
    const auto& daten = std::get<qb::Wertentwicklung>(inhalt.inhalt);
    EXPECT_EQ(daten.fussnote(), "Ein Handelstag · Kennzahlen zum Stichtag vom 9. März 2026 · Tageskurse: eigene Eintragungen");
    EXPECT_EQ(daten.punktart(), qb::Wertentwicklung::Punktart::handelstag);
    EXPECT_EQ(daten.ausgelassen(), 0);

    // The last complete reference date deleted: history and failure cleared, nothing fetched.
    spiel.container.kontext().loesche(stichtag);
    EXPECT_EQ(ladung.beginne(Sicht::tagesverlauf, Zeitraum::alles, *portfolio, jetzt), std::nullopt);
    EXPECT_EQ(ladung.verlauf(), std::nullopt);
    EXPECT_EQ(std::get<qb::Entwicklungsinhalt::Leer>(Entwicklungsinhalt::fuer(*portfolio, Sicht::tagesverlauf, ladung).inhalt).text,
              "Es sind Stichtage erfasst, aber an keinem liegen alle Kurse vor. Sobald ein Stichtag vollständig ist, "
              "erscheint hier die Wertentwicklung.");
}

TEST(Tagesverlaufladung, stichtageUndKeinMoeglicherVerlaufBehaltenWasSieNichtSchreiben) {
    Schluesselspiel spiel;
    testspiel::notiere(spiel.stichtag, spiel.anleihe, testspiel::eur("99"));
    const auto deutsch = qbtest::Umgebung::deutsch();
    const Zeitpunkt jetzt = berlin(2026, 3, 20, 12);
    const Wertverlauf::Ergebnis gescheitert{{}, {{Assetklasse::aktie, "X"}}, {}};
    // A cut window whose load failed: a history without days, its failure and the cut flag.
    auto gescheiterteLadung = [&] {
        Tagesverlaufladung ladung;
        const auto fenster = ladung.beginne(Sicht::tagesverlauf, Zeitraum::einMonat, *spiel.portfolio, jetzt);
        EXPECT_TRUE(fenster && fenster->verkuerzt);
        ladung.schliesseAb(gescheitert, fenster.value_or(Wertverlauf::Fenster{}));
        return ladung;
    };

    Tagesverlaufladung stichtage = gescheiterteLadung();
    Tagesverlaufladung unmoeglich = gescheiterteLadung();

    // The reference-date view only ends the load.
    EXPECT_EQ(stichtage.beginne(Sicht::stichtage, Zeitraum::einMonat, *spiel.portfolio, jetzt), std::nullopt);
    EXPECT_FALSE(stichtage.laedt());
    EXPECT_EQ(stichtage.verlauf(), gescheitert);
    EXPECT_EQ(stichtage.verlaufsfehler(), "Aktie: X");
    EXPECT_TRUE(stichtage.verkuerzt());

    // Without a complete reference date history and failure go, the cut flag stays.
    spiel.container.kontext().loesche(spiel.stichtag);
    EXPECT_EQ(unmoeglich.beginne(Sicht::tagesverlauf, Zeitraum::alles, *spiel.portfolio, jetzt), std::nullopt);
    EXPECT_FALSE(unmoeglich.laedt());
    EXPECT_EQ(unmoeglich.verlauf(), std::nullopt);
    EXPECT_EQ(unmoeglich.verlaufsfehler(), std::nullopt);
    EXPECT_TRUE(unmoeglich.verkuerzt());
}

TEST(Tagesverlaufladung, fussnoteNenntTageStichtagEinstiegUndQuellen) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    const Zeitpunkt kaufdatum = berlin(2026, 11, 27, 9);
    const std::vector<Verlaufstag> zwei{{berlin(2026, 12, 3), Dezimal(1)}, {berlin(2026, 12, 4), Dezimal(2)}};

    Tagesverlaufladung ganz;
    EXPECT_EQ(ganz.fussnote({}, {}, std::nullopt, kaufdatum), "0 Handelstage");
    EXPECT_EQ(ganz.fussnote(zwei, {"Börse Frankfurt (XETR, Kurshistorie)", "eigene Eintragungen"}, std::nullopt, kaufdatum),
              "2 Handelstage · Tageskurse: Börse Frankfurt (XETR, Kurshistorie), eigene Eintragungen");
    EXPECT_EQ(ganz.fussnote(zwei, {}, berlin(2026, 12, 4, 17), kaufdatum),
              "2 Handelstage · Kennzahlen zum Stichtag vom 4. Dez. 2026");

    Tagesverlaufladung verkuerzt;
    qb::Modellcontainer container{qb::Ablage::imArbeitsspeicher()};
    auto portfolio = std::make_shared<qb::Portfolio>("Gruppe", Dezimal(10000), kaufdatum);
    container.kontext().fuegeEin(portfolio);
    auto aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 1, testspiel::eur("100"));
    testspiel::notiere(testspiel::stichtag(portfolio, berlin(2026, 12, 4, 17)), aktie, testspiel::eur("100"));
    const auto fenster = verkuerzt.beginne(Sicht::tagesverlauf, Zeitraum::einMonat, *portfolio, berlin(2026, 12, 7, 12));
    ASSERT_TRUE(fenster && fenster->verkuerzt);
    verkuerzt.schliesseAb(Wertverlauf::Ergebnis{zwei, {}, {"A"}}, *fenster);
    EXPECT_EQ(verkuerzt.fussnote(zwei, {"A"}, berlin(2026, 12, 4, 17), kaufdatum),
              "2 Handelstage · Kennzahlen zum Stichtag vom 4. Dez. 2026 · ab Einstieg am 27. Nov. 2026 · Tageskurse: A");
}

TEST(Entwicklungsinhalt, leereZustaendeNennenIhrenGrund) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    using Leer = qb::Entwicklungsinhalt::Leer;
    const std::string ersterStichtag =
        "Sobald ein Stichtag mit vollständigen Kursen vorliegt, erscheint hier die Wertentwicklung.";
    auto portfolio = testspiel::spiel();
    const Tagesverlaufladung ladung;
    auto leer = [&](Sicht sicht) { return std::get<Leer>(qb::Entwicklungsinhalt::fuer(*portfolio, sicht, ladung).inhalt); };

    EXPECT_EQ(leer(Sicht::stichtage), (Leer{"chart.line.uptrend.xyaxis", "Noch keine Kurve", ersterStichtag, false}));
    EXPECT_EQ(leer(Sicht::tagesverlauf), (Leer{"calendar.badge.exclamationmark", "Kein Tagesverlauf",
                                               "Lege zuerst im Bereich Portfolio deine Positionen an.", false}));

    // A name alone makes a position complete: without one, still no position.
    auto aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "", 10, testspiel::eur("100"));
    EXPECT_EQ(leer(Sicht::tagesverlauf).text, "Lege zuerst im Bereich Portfolio deine Positionen an.");
    aktie->setzeName("Siemens");
    EXPECT_EQ(leer(Sicht::tagesverlauf).text, ersterStichtag);

    auto stichtag = testspiel::stichtag(portfolio, testspiel::tag(2026, 3, 9));
    const std::string keinVollstaendiger = "Es sind Stichtage erfasst, aber an keinem liegen alle Kurse vor. Sobald ein "
                                           "Stichtag vollständig ist, erscheint hier die Wertentwicklung.";
    EXPECT_EQ(leer(Sicht::stichtage).text, keinVollstaendiger);
    EXPECT_EQ(leer(Sicht::tagesverlauf).text, keinVollstaendiger);

    testspiel::notiere(stichtag, aktie, testspiel::eur("110"));
    EXPECT_EQ(qb::Entwicklungsinhalt::fuer(*portfolio, Sicht::stichtage, ladung).inhalt.index(), 2U);
    EXPECT_EQ(leer(Sicht::tagesverlauf).text, "Für den gewählten Zeitraum liegen keine Kurse vor.");
}

} // namespace
