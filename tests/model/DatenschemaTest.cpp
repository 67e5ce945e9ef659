#include <gtest/gtest.h>

#include "SpeicherHilfe.h"
#include "model/Ablage.h"
#include "model/Bewertung.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "model/Speicherfehler.h"
#include "model/Speichern.h"

using namespace qb;
using namespace qb::test;

namespace {

Zeitpunkt alsZeitpunkt(std::chrono::sys_seconds sekunden) {
    return Zeitpunkt(sekunden);
}

// The layout of a store: every column with its type, nullability and default, every index.
std::vector<std::string> aufbau(Verbindung& verbindung) {
    std::vector<std::string> zeilen;
    for (const char* tabelle : {"Metadaten", "Portfolio", "Position", "Bewertung", "Preisnotiz"}) {
        for (auto& spalte :
             verbindung.spalte(std::string("SELECT cid || ' ' || name || ' ' || type || ' ' || \"notnull\" "
                                           "|| ' ' || ifnull(dflt_value, '-') || ' ' || pk "
                                           "FROM pragma_table_info('") +
                               tabelle + "')")) {
            zeilen.push_back(std::string(tabelle) + ": " + spalte);
        }
        for (auto& verweis :
             verbindung.spalte(std::string("SELECT \"from\" || ' -> ' || \"table\" || '.' || \"to\" || ' ' "
                                           "|| on_delete FROM pragma_foreign_key_list('") +
                               tabelle + "') ORDER BY \"from\"")) {
            zeilen.push_back(std::string(tabelle) + ": " + verweis);
        }
    }
    for (auto& index :
         verbindung.spalte("SELECT name || ' ' || tbl_name FROM sqlite_master WHERE type = 'index' "
                           "AND sql IS NOT NULL ORDER BY name")) {
        zeilen.push_back("Index " + index);
    }
    return zeilen;
}

} // namespace

TEST(Schemaversion, liestSchreibtUndOrdnet) {
    struct Fall {
        const char* text;
        std::optional<Schemaversion> version;
    };
    const Fall faelle[] = {
        {"1.0.0", Schemaversion{1, 0, 0}},
        {"2.0.0", Schemaversion{2, 0, 0}},
        {"10.20.30", Schemaversion{10, 20, 30}},
        {"", std::nullopt},
        {"2", std::nullopt},
        {"2.0", std::nullopt},
        {"2.0.0.0", std::nullopt},
        {"2..0", std::nullopt},
        {"v2.0.0", std::nullopt},
        {"+2.0.0", std::nullopt},
        {"2.-1.0", std::nullopt},
        {" 2.0.0", std::nullopt},
        {"2.0.0 ", std::nullopt},
        {"99999999999.0.0", std::nullopt},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.text);
        EXPECT_EQ(Schemaversion::lies(fall.text), fall.version);
        if (fall.version) {
            EXPECT_EQ(fall.version->text(), fall.text);
        }
    }
    EXPECT_EQ(Datenschema::V1::version.text(), "1.0.0");
    EXPECT_EQ(Datenschema::V2::version.text(), "2.0.0");
    EXPECT_LT(Datenschema::V1::version, Datenschema::V2::version);
    EXPECT_LT((Schemaversion{2, 0, 0}), (Schemaversion{2, 0, 1}));
    EXPECT_LT((Schemaversion{2, 0, 9}), (Schemaversion{2, 1, 0}));
    EXPECT_LT((Schemaversion{9, 9, 9}), (Schemaversion{10, 0, 0}));
}

TEST(Datenschema, derPlanFuehrtVon1Nach2) {
    EXPECT_EQ(Datenschema::Plan::schemas(),
              (std::vector<Schemaversion>{Datenschema::V1::version, Datenschema::V2::version}));
    ASSERT_EQ(Datenschema::Plan::stufen().size(), 1u);
    EXPECT_EQ(Datenschema::Plan::stufen()[0].von, Datenschema::V1::version);
    EXPECT_EQ(Datenschema::Plan::stufen()[0].nach, Datenschema::V2::version);
}

// A migrated store must be laid out exactly as a new one, or the two would drift apart with
// every later version.
TEST(Datenschema, einMigrierterSpeicherGleichtEinemNeuen) {
    TempOrdner ordner;
    legeVersion1An(ordner / "alt.sqlite", false);
    {
        Verbindung alt(ordner / "alt.sqlite");
        EXPECT_EQ(alt.spalte("SELECT name FROM pragma_table_info('Position') WHERE name IN "
                             "('kaufkursOriginal', 'kaufumrechnung', 'einheit')"),
                  std::vector<std::string>{});
    }
    Ablage::oeffne(ordner / "alt.sqlite");
    Ablage::oeffne(ordner / "neu.sqlite");

    Verbindung migriert(ordner / "alt.sqlite");
    Verbindung neu(ordner / "neu.sqlite");
    EXPECT_EQ(aufbau(migriert), aufbau(neu));
    EXPECT_EQ(migriert.wert("SELECT wert FROM Metadaten WHERE schluessel = 'Schemaversion'"), "2.0.0");
    EXPECT_EQ(migriert.spalte("SELECT name FROM pragma_table_info('Preisnotiz') WHERE cid >= 11"),
              (std::vector<std::string>{"preisOriginal", "originalwaehrung", "umrechnung"}));
}

TEST(Datenschema, version1KommtMitAllenWertenUndLeerenNeuenFeldernAn) {
    for (bool begleitdateien : {false, true}) {
        SCOPED_TRACE(begleitdateien ? "letzte Zeilen in der -wal-Datei" : "alles in der Hauptdatei");
        TempOrdner ordner;
        const auto datei = ordner / "Spielstand.sqlite";
        legeVersion1An(datei, begleitdateien);
        EXPECT_EQ(Datenschema::gespeicherteVersion(datei), Datenschema::V1::version);

        Bestand bestand = Ablage::oeffne(datei)->lade();

        ASSERT_EQ(bestand.portfolios.size(), 1u);
        EXPECT_EQ(bestand.portfolios[0].id, 1);
        EXPECT_EQ(bestand.portfolios[0].felder,
                  (Portfolio::Felder{"Gruppe Nord", Dezimal(10000), alsZeitpunkt(v1Kaufdatum)}));

        ASSERT_EQ(bestand.positionen.size(), 2u);
        Position::Felder aktie;
        aktie.assetklasse = Assetklasse::aktie;
        aktie.name = "Beispiel AG";
        aktie.kennung = "DE0007164600";
        aktie.quelle = "Börse Frankfurt (XETR)";
        aktie.waehrung = "EUR";
        aktie.stueckzahl = 20;
        aktie.kaufpreis = Dezimal::aus("123.456");
        aktie.notierung = Notierungsart::stueckpreis;
        aktie.nennwert = Dezimal(100);
        EXPECT_EQ(bestand.positionen[0].id, 2);
        EXPECT_EQ(bestand.positionen[0].portfolio, 1);
        EXPECT_EQ(bestand.positionen[0].felder, aktie);
        Position::Felder anleihe;
        anleihe.assetklasse = Assetklasse::anleihe;
        anleihe.name = "Bund 2030";
        anleihe.kennung = "DE0001102580";
        anleihe.waehrung = "EUR";
        anleihe.stueckzahl = 3;
        anleihe.kaufpreis = Dezimal::aus("97.6");
        anleihe.notierung = Notierungsart::prozentVomNennwert;
        anleihe.nennwert = Dezimal(1000);
        EXPECT_EQ(bestand.positionen[1].id, 3);
        EXPECT_EQ(bestand.positionen[1].felder, anleihe);

        const Zeitpunkt stichtag = alsZeitpunkt(v1Stichtag) + std::chrono::microseconds(250);
        ASSERT_EQ(bestand.bewertungen.size(), 1u);
        EXPECT_EQ(bestand.bewertungen[0].id, 4);
        EXPECT_EQ(bestand.bewertungen[0].portfolio, 1);
        EXPECT_EQ(bestand.bewertungen[0].felder, (Bewertung::Felder{stichtag, "erster Stichtag"}));

        ASSERT_EQ(bestand.preisnotizen.size(), 2u);
        Preisnotiz::Felder hand;
        hand.preis = Dezimal::aus("130.5");
        hand.waehrung = "EUR";
        hand.quelle = "Bloomberg";
        hand.kennung = "DE0007164600";
        hand.art = Kursart::vonHand;
        hand.abgerufenAm = stichtag;
        hand.herkunft = Preisherkunft::manuell;
        EXPECT_EQ(bestand.preisnotizen[0].id, 5);
        EXPECT_EQ(bestand.preisnotizen[0].position, 2);
        EXPECT_EQ(bestand.preisnotizen[0].bewertung, 4);
        EXPECT_EQ(bestand.preisnotizen[0].felder, hand);
        Preisnotiz::Felder abgerufen;
        abgerufen.preis = Dezimal::aus("98.25");
        abgerufen.waehrung = "EUR";
        abgerufen.quelle = "Börse Frankfurt (XETR)";
        abgerufen.kennung = "DE0001102580";
        abgerufen.art = Kursart::letzterHandel;
        abgerufen.abgerufenAm = alsZeitpunkt(v1Kaufdatum);
        abgerufen.herkunft = Preisherkunft::automatisch;
        abgerufen.handelsumfang = Handelsumfang{3, 1200, Dezimal::aus("45678.9")};
        EXPECT_EQ(bestand.preisnotizen[1].position, 3);
        EXPECT_EQ(bestand.preisnotizen[1].bewertung, 4);
        EXPECT_EQ(bestand.preisnotizen[1].felder, abgerufen);

        // A store that already is at version 2 opens as it is.
        Verbindung vorher(datei);
        const auto stand = abbild(vorher);
        Ablage::oeffne(datei);
        EXPECT_EQ(abbild(vorher), stand);
    }
}

TEST(Datenschema, migrierteDatensaetzeBehaltenBeziehungenUndLoeschenInKaskade) {
    TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    legeVersion1An(datei, true);
    {
        Modellcontainer container(Ablage::oeffne(datei));
        auto portfolios = container.kontext().portfolios();
        ASSERT_EQ(portfolios.size(), 1u);
        auto portfolio = portfolios[0];
        auto aktie = portfolio->position(Assetklasse::aktie);
        auto anleihe = portfolio->position(Assetklasse::anleihe);
        ASSERT_TRUE(aktie && anleihe);
        ASSERT_EQ(portfolio->bewertungen().size(), 1u);
        auto stichtag = portfolio->bewertungen()[0];
        EXPECT_EQ(stichtag->portfolio(), portfolio);

        // Without the new fields every price reads as a plain EUR price, and no unit is set.
        EXPECT_EQ(aktie->kaufPreisangabe(), Preisangabe::euro(Dezimal::aus("123.456")));
        EXPECT_EQ(aktie->einheitText(), "Stück");
        EXPECT_EQ(anleihe->wert(anleihe->kaufPreisangabe()), Dezimal(2928));
        auto notizAktie = stichtag->notiz(*aktie);
        auto notizAnleihe = stichtag->notiz(*anleihe);
        ASSERT_TRUE(notizAktie && notizAnleihe);
        EXPECT_EQ(notizAktie->preisangabe(), Preisangabe::euro(Dezimal::aus("130.5")));
        EXPECT_EQ(notizAnleihe->bewertung(), stichtag);
        EXPECT_EQ(notizAnleihe->position(), anleihe);
        EXPECT_EQ(aktie->notizen().size(), 1u);

        container.kontext().loesche(portfolio);
        EXPECT_EQ(speichere(container.kontext()), std::nullopt);
    }
    Verbindung roh(datei);
    for (const char* tabelle : {"Portfolio", "Position", "Bewertung", "Preisnotiz"}) {
        EXPECT_EQ(roh.wert(std::string("SELECT count(*) FROM ") + tabelle), "0") << tabelle;
    }
}

// The store's own foreign keys cascade too, for migrated rows as for new ones.
TEST(Datenschema, dieKaskadeGiltAuchImSpeicherSelbst) {
    TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    legeVersion1An(datei, false);
    Ablage::oeffne(datei);
    Verbindung roh(datei);
    roh.ausfuehren("DELETE FROM Bewertung");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM Preisnotiz"), "0");
    roh.ausfuehren("DELETE FROM Portfolio");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM Position"), "0");
}

TEST(Datenschema, dieMigrationVertraegtEinenZweitenLauf) {
    TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    legeVersion1An(datei, false);
    Verbindung roh(datei);
    // A stage that ran before (its columns are there) but did not record its version.
    Datenschema::Plan::stufen()[0].fuehreAus(roh.db());
    Datenschema::Plan::stufen()[0].fuehreAus(roh.db());
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "1.0.0");

    Datenschema::richteEin(roh.db());
    Datenschema::richteEin(roh.db());
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "2.0.0");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM pragma_table_info('Position')"), "14");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM pragma_table_info('Preisnotiz')"), "14");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM Preisnotiz"), "2");
}

TEST(Datenschema, eineGescheiterteMigrationLaesstVersion1Stehen) {
    TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    legeVersion1An(datei, false);
    std::vector<std::string> vorher;
    {
        Verbindung roh(datei);
        roh.ausfuehren("CREATE TRIGGER sperre BEFORE UPDATE ON Metadaten "
                       "BEGIN SELECT RAISE(ABORT, 'Version eingefroren'); END");
        vorher = abbild(roh);
    }
    try {
        Ablage::oeffne(datei);
        ADD_FAILURE() << "geöffnet";
    } catch (const Speicherfehler& fehler) {
        EXPECT_EQ(fehler.domaene(), "SQLite");
        EXPECT_EQ(fehler.code(), SQLITE_CONSTRAINT_TRIGGER);
        EXPECT_STREQ(fehler.what(), "Eine Bedingung der Datenbank ist verletzt");
    }
    Verbindung nachher(datei);
    EXPECT_EQ(abbild(nachher), vorher);
    EXPECT_EQ(nachher.wert("SELECT wert FROM Metadaten"), "1.0.0");
    EXPECT_EQ(nachher.wert("SELECT count(*) FROM pragma_table_info('Position')"), "11");
}

TEST(Datenschema, gespeicherteVersionLiestOhneSpurenZuHinterlassen) {
    TempOrdner ordner;
    legeVersion1An(ordner / "v1.sqlite", false);
    Ablage::oeffne(ordner / "v2.sqlite");
    schreibeDatei(ordner / "text.sqlite", std::string(4096, 'x'));
    schreibeDatei(ordner / "leer.sqlite", "");
    Verbindung(ordner / "fremd.sqlite").ausfuehren("CREATE TABLE t (x)");
    const auto namen = ordner.namen();

    EXPECT_EQ(Datenschema::gespeicherteVersion(ordner / "v1.sqlite"), Datenschema::V1::version);
    EXPECT_EQ(Datenschema::gespeicherteVersion(ordner / "v2.sqlite"), Datenschema::V2::version);
    for (const char* name : {"text.sqlite", "leer.sqlite", "fremd.sqlite", "fehlt.sqlite"}) {
        EXPECT_EQ(Datenschema::gespeicherteVersion(ordner / name), std::nullopt) << name;
    }
    EXPECT_EQ(ordner.namen(), namen);
}
