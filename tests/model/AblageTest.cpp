#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "SpeicherHilfe.h"
#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Speicherfehler.h"

using namespace qb;
using namespace qb::test;
using namespace std::chrono;

namespace {

Zeitpunkt mikros(long long wert) {
    return Zeitpunkt(microseconds(wert));
}

Dezimal drittel() {
    return Dezimal(1) / Dezimal(3);
}

// One row of every kind, with every field type at values that a lossy store would change:
// a value without finite decimal expansion, twelve places, far more digits than a double
// holds, instants before 1970 and to the microsecond, empty and absent optional fields.
Aenderungssatz vollerSatz() {
    Aenderungssatz satz;
    satz.portfolios.push_back({1, {"Gruppe „Süd“ 🙂", drittel(), mikros(1741000000123456)}});

    PositionZeile aktie{2, 1, {}};
    aktie.felder.assetklasse = Assetklasse::aktie;
    aktie.felder.name = "Beispiel AG";
    aktie.felder.kennung = "US0378331005";
    aktie.felder.quelle = "Börse Frankfurt (XETR)";
    aktie.felder.waehrung = "USD";
    aktie.felder.stueckzahl = std::numeric_limits<std::int64_t>::max();
    aktie.felder.kaufpreis = Dezimal::aus("0.000000000001");
    aktie.felder.notierung = Notierungsart::stueckpreis;
    aktie.felder.nennwert = Dezimal::aus("123456789012345678901234567890.123456789012");
    aktie.felder.kaufkursOriginal = Dezimal::aus("-0.5");
    aktie.felder.kaufumrechnung = Dezimal(2) / Dezimal(7);
    aktie.felder.einheit = "";
    satz.positionen.push_back(aktie);

    PositionZeile anleihe{3, std::nullopt, {}};
    anleihe.felder.assetklasse = Assetklasse::anleihe;
    anleihe.felder.stueckzahl = std::numeric_limits<std::int64_t>::min();
    anleihe.felder.kaufpreis = Dezimal::aus("97.60");
    anleihe.felder.notierung = Notierungsart::prozentVomNennwert;
    anleihe.felder.nennwert = Dezimal(1000);
    satz.positionen.push_back(anleihe);

    satz.bewertungen.push_back({4, 1, {mikros(-1), ""}});
    satz.bewertungen.push_back({5, std::nullopt, {mikros(1743400000000001), "Nachtrag\nzweite Zeile"}});

    PreisnotizZeile voll{6, 2, 4, {}};
    voll.felder.preis = Dezimal::aus("58.823529411765");
    voll.felder.waehrung = "EUR";
    voll.felder.quelle = "Börse Frankfurt (XETR)";
    voll.felder.kennung = "US0378331005";
    voll.felder.art = Kursart::geldBriefMitte;
    voll.felder.abgerufenAm = mikros(1743400000999999);
    voll.felder.herkunft = Preisherkunft::automatisch;
    voll.felder.handelsumfang = Handelsumfang{3, 1200, Dezimal::aus("45678.9")};
    voll.felder.preisOriginal = Dezimal(50);
    voll.felder.originalwaehrung = "GBP";
    voll.felder.umrechnung = Dezimal::aus("0.85");
    satz.preisnotizen.push_back(voll);

    PreisnotizZeile leer{7, 3, std::nullopt, {}};
    leer.felder.preis = drittel();
    leer.felder.art = Kursart::vonHand;
    leer.felder.herkunft = Preisherkunft::manuell;
    leer.felder.handelsumfang = Handelsumfang{};
    satz.preisnotizen.push_back(leer);

    PreisnotizZeile teilweise{8, std::nullopt, 5, {}};
    teilweise.felder.preis = Dezimal::aus("-1e-20");
    teilweise.felder.art = Kursart::tagesschluss;
    teilweise.felder.handelsumfang = Handelsumfang{std::nullopt, std::nullopt, drittel()};
    satz.preisnotizen.push_back(teilweise);
    return satz;
}

void erwarteGleich(const Bestand& bestand, const Aenderungssatz& satz) {
    ASSERT_EQ(bestand.portfolios.size(), satz.portfolios.size());
    for (std::size_t i = 0; i < satz.portfolios.size(); ++i) {
        EXPECT_EQ(bestand.portfolios[i].id, satz.portfolios[i].id);
        EXPECT_EQ(bestand.portfolios[i].felder, satz.portfolios[i].felder);
        EXPECT_EQ(bestand.portfolios[i].felder.startkapital.speichertext(),
                  satz.portfolios[i].felder.startkapital.speichertext());
    }
    ASSERT_EQ(bestand.positionen.size(), satz.positionen.size());
    for (std::size_t i = 0; i < satz.positionen.size(); ++i) {
        EXPECT_EQ(bestand.positionen[i].id, satz.positionen[i].id);
        EXPECT_EQ(bestand.positionen[i].portfolio, satz.positionen[i].portfolio);
        EXPECT_EQ(bestand.positionen[i].felder, satz.positionen[i].felder)
            << "Position " << satz.positionen[i].id;
    }
    ASSERT_EQ(bestand.bewertungen.size(), satz.bewertungen.size());
    for (std::size_t i = 0; i < satz.bewertungen.size(); ++i) {
        EXPECT_EQ(bestand.bewertungen[i].id, satz.bewertungen[i].id);
        EXPECT_EQ(bestand.bewertungen[i].portfolio, satz.bewertungen[i].portfolio);
        EXPECT_EQ(bestand.bewertungen[i].felder, satz.bewertungen[i].felder);
    }
    ASSERT_EQ(bestand.preisnotizen.size(), satz.preisnotizen.size());
    for (std::size_t i = 0; i < satz.preisnotizen.size(); ++i) {
        EXPECT_EQ(bestand.preisnotizen[i].id, satz.preisnotizen[i].id);
        EXPECT_EQ(bestand.preisnotizen[i].position, satz.preisnotizen[i].position);
        EXPECT_EQ(bestand.preisnotizen[i].bewertung, satz.preisnotizen[i].bewertung);
        EXPECT_EQ(bestand.preisnotizen[i].felder, satz.preisnotizen[i].felder)
            << "Preisnotiz " << satz.preisnotizen[i].id;
    }
}

} // namespace

TEST(Ablage, jedeFeldartKommtUnveraendertZurueck) {
    TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    const Aenderungssatz satz = vollerSatz();
    Ablage::oeffne(datei)->schreibe(satz);

    auto ablage = Ablage::oeffne(datei);
    erwarteGleich(ablage->lade(), satz);

    // Exact text in the file, not a binary fraction; "-0.5" stays "-0.5", 1/3 stays a fraction.
    Verbindung roh(ablage->verbindung());
    EXPECT_EQ(roh.wert("SELECT startkapital FROM Portfolio"), "1/3");
    EXPECT_EQ(
        roh.spalte(
            "SELECT kaufpreis || ' ' || nennwert || ' ' || kaufkursOriginal FROM Position WHERE id = 2"),
        std::vector<std::string>{"0.000000000001 123456789012345678901234567890.123456789012 -0.5"});
    EXPECT_EQ(
        roh.spalte("SELECT typeof(einheit) || ' ' || typeof(kaufkursOriginal) FROM Position ORDER BY id"),
        (std::vector<std::string>{"text text", "null null"}));
    EXPECT_EQ(roh.wert("SELECT handelsumfang FROM Preisnotiz WHERE id = 7"), "{}");
    EXPECT_EQ(roh.wert("SELECT abgerufenAm FROM Preisnotiz WHERE id = 6"), "1743400000999999");
}

TEST(Ablage, jederAufzaehlungswertKommtZurueck) {
    auto ablage = Ablage::imArbeitsspeicher();
    Aenderungssatz satz;
    DatensatzId id = 1;
    for (Assetklasse klasse : alleAssetklassen) {
        for (Notierungsart notierung : alleNotierungsarten) {
            PositionZeile zeile{id++, std::nullopt, {}};
            zeile.felder.assetklasse = klasse;
            zeile.felder.notierung = notierung;
            satz.positionen.push_back(zeile);
        }
    }
    for (Kursart art : alleKursarten) {
        for (Preisherkunft herkunft : allePreisherkuenfte) {
            PreisnotizZeile zeile{id++, std::nullopt, std::nullopt, {}};
            zeile.felder.art = art;
            zeile.felder.herkunft = herkunft;
            satz.preisnotizen.push_back(zeile);
        }
    }
    ablage->schreibe(satz);
    erwarteGleich(ablage->lade(), satz);

    Verbindung roh(ablage->verbindung());
    EXPECT_EQ(roh.spalte("SELECT DISTINCT assetklasse FROM Position ORDER BY id"),
              (std::vector<std::string>{"aktie", "anleihe", "waehrung", "rohstoff", "co2Zertifikat"}));
    EXPECT_EQ(roh.spalte("SELECT DISTINCT art FROM Preisnotiz ORDER BY id"),
              (std::vector<std::string>{"letzterHandel", "schlusskursVortag", "geldBriefMitte",
                                        "tagesschluss", "vonHand"}));
}

TEST(Ablage, ladenLiefertJedeTabelleAufsteigendNachId) {
    auto ablage = Ablage::imArbeitsspeicher();
    Aenderungssatz satz;
    for (DatensatzId id : {9, 3, 7}) {
        satz.portfolios.push_back({id, {"", Dezimal(0), mikros(0)}});
    }
    for (DatensatzId id : {8, 2}) {
        satz.bewertungen.push_back({id, 9, {mikros(0), ""}});
    }
    ablage->schreibe(satz);

    Bestand bestand = ablage->lade();
    ASSERT_EQ(bestand.portfolios.size(), 3u);
    EXPECT_EQ(bestand.portfolios[0].id, 3);
    EXPECT_EQ(bestand.portfolios[1].id, 7);
    EXPECT_EQ(bestand.portfolios[2].id, 9);
    ASSERT_EQ(bestand.bewertungen.size(), 2u);
    EXPECT_EQ(bestand.bewertungen[0].id, 2);
    EXPECT_EQ(bestand.bewertungen[1].id, 8);
}

// An updated owner keeps what it owns (a REPLACE would cascade its deletion to them); a deleted
// owner takes it with it, through the store's own cascade as well.
TEST(Ablage, aendernBehaeltKinderLoeschenNimmtSieMit) {
    auto ablage = Ablage::imArbeitsspeicher();
    ablage->schreibe(vollerSatz());

    Aenderungssatz aenderung;
    aenderung.portfolios.push_back({1, {"Gruppe Nord", Dezimal(12000), mikros(5)}});
    aenderung.geloeschtePreisnotizen.push_back(8);
    ablage->schreibe(aenderung);

    Bestand bestand = ablage->lade();
    ASSERT_EQ(bestand.portfolios.size(), 1u);
    EXPECT_EQ(bestand.portfolios[0].felder.gruppenname, "Gruppe Nord");
    EXPECT_EQ(bestand.positionen.size(), 2u);
    EXPECT_EQ(bestand.bewertungen.size(), 2u);
    ASSERT_EQ(bestand.preisnotizen.size(), 2u);
    EXPECT_EQ(bestand.preisnotizen[1].id, 7);

    Aenderungssatz loeschung;
    loeschung.geloeschtePortfolios.push_back(1);
    ablage->schreibe(loeschung);
    bestand = ablage->lade();
    EXPECT_TRUE(bestand.portfolios.empty());
    // Position 2 and reference date 4 belonged to the portfolio, and note 6 to both of them;
    // the unlinked position 3, reference date 5 and note 7 stay.
    ASSERT_EQ(bestand.positionen.size(), 1u);
    EXPECT_EQ(bestand.positionen[0].id, 3);
    ASSERT_EQ(bestand.bewertungen.size(), 1u);
    EXPECT_EQ(bestand.bewertungen[0].id, 5);
    ASSERT_EQ(bestand.preisnotizen.size(), 1u);
    EXPECT_EQ(bestand.preisnotizen[0].id, 7);
}

TEST(Ablage, gescheitertesSchreibenLaesstDenSpeicherWieErWar) {
    struct Fall {
        const char* name;
        const char* sperre; // SQL that makes the save fail
        long code;
        const char* beschreibung;
        const char* protokoll; // SQLite's own text, for the log only
    };
    const Fall faelle[] = {
        {"letzter Schritt",
         "CREATE TRIGGER sperre BEFORE DELETE ON Portfolio BEGIN SELECT RAISE(ABORT, 'Speichern gesperrt'); "
         "END",
         SQLITE_CONSTRAINT_TRIGGER, "Eine Bedingung der Datenbank ist verletzt",
         "SQLite-Fehler 1811: Speichern gesperrt"},
        {"erster Schritt",
         "CREATE TRIGGER sperre BEFORE UPDATE ON Portfolio BEGIN SELECT RAISE(ABORT, 'Nur lesen'); END",
         SQLITE_CONSTRAINT_TRIGGER, "Eine Bedingung der Datenbank ist verletzt",
         "SQLite-Fehler 1811: Nur lesen"},
        {"Verweis ins Leere", "SELECT 1", SQLITE_CONSTRAINT_FOREIGNKEY,
         "Ein Verweis der Datenbank zeigt auf einen Datensatz, den es nicht gibt",
         "SQLite-Fehler 787: FOREIGN KEY constraint failed"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        TempOrdner ordner;
        auto ablage = Ablage::oeffne(ordner / "Spielstand.sqlite");
        ablage->schreibe(vollerSatz());
        Verbindung roh(ablage->verbindung());
        roh.ausfuehren(fall.sperre);
        const auto vorher = abbild(roh);

        Aenderungssatz satz;
        satz.portfolios.push_back({1, {"geändert", Dezimal(1), mikros(1)}});
        satz.positionen.push_back({20, 1, {}});
        PreisnotizZeile neu{21, 20, 4, {}};
        satz.preisnotizen.push_back(neu);
        if (std::string(fall.name) == "Verweis ins Leere") {
            satz.bewertungen.push_back({22, 99, {mikros(0), ""}});
        }
        satz.geloeschtePreisnotizen.push_back(6);
        satz.geloeschtePortfolios.push_back(1);

        Protokollmitschnitt protokoll;
        Speicherfehler fehler = fehlerVon([&] { ablage->schreibe(satz); });
        EXPECT_EQ(fehler.domaene(), "SQLite");
        EXPECT_EQ(fehler.code(), fall.code);
        EXPECT_STREQ(fehler.what(), fall.beschreibung);
        EXPECT_EQ(protokoll.texte(), std::vector<std::string>{fall.protokoll});
        EXPECT_EQ(abbild(roh), vorher);
        EXPECT_EQ(roh.wert("SELECT count(*) FROM Position"), "2");

        // No transaction was left open: the next save goes through and stays after reopening.
        Aenderungssatz klein;
        klein.geloeschtePreisnotizen.push_back(8);
        ablage->schreibe(klein);
        ablage.reset();
        EXPECT_EQ(Ablage::oeffne(ordner / "Spielstand.sqlite")->lade().preisnotizen.size(), 2u);
    }
}

TEST(Ablage, ungueltigeWerteWerdenZumSpeicherfehler) {
    struct Fall {
        const char* aenderung;
        const char* beschreibung;
    };
    const Fall faelle[] = {
        {"UPDATE Position SET assetklasse = 'Aktie' WHERE id = 2", "Position 2, Feld „assetklasse“"},
        {"UPDATE Position SET notierung = 'prozent' WHERE id = 3", "Position 3, Feld „notierung“"},
        {"UPDATE Position SET kaufpreis = '12,5' WHERE id = 2", "Position 2, Feld „kaufpreis“"},
        {"UPDATE Position SET kaufkursOriginal = '' WHERE id = 2", "Position 2, Feld „kaufkursOriginal“"},
        {"UPDATE Position SET stueckzahl = '3 Stück' WHERE id = 3", "Position 3, Feld „stueckzahl“"},
        {"UPDATE Position SET name = x'00ff' WHERE id = 2", "Position 2, Feld „name“"},
        {"UPDATE Portfolio SET kaufdatum = '2025-03-05' WHERE id = 1", "Portfolio 1, Feld „kaufdatum“"},
        {"UPDATE Bewertung SET datum = 1.5 WHERE id = 5", "Bewertung 5, Feld „datum“"},
        {"UPDATE Preisnotiz SET art = 'LetzterHandel' WHERE id = 6", "Preisnotiz 6, Feld „art“"},
        {"UPDATE Preisnotiz SET herkunft = '' WHERE id = 7", "Preisnotiz 7, Feld „herkunft“"},
        {"UPDATE Preisnotiz SET umrechnung = 'NaN' WHERE id = 6", "Preisnotiz 6, Feld „umrechnung“"},
        {"UPDATE Preisnotiz SET preis = '1/0' WHERE id = 8", "Preisnotiz 8, Feld „preis“"},
        {"UPDATE Preisnotiz SET handelsumfang = 'kein JSON' WHERE id = 6",
         "Preisnotiz 6, Feld „handelsumfang“"},
        {"UPDATE Preisnotiz SET handelsumfang = '{\"stueckumsatz\":\"viele\"}' WHERE id = 6",
         "Preisnotiz 6, Feld „handelsumfang“"},
        {"UPDATE Preisnotiz SET handelsumfang = '[1]' WHERE id = 7", "Preisnotiz 7, Feld „handelsumfang“"},
        {"UPDATE Preisnotiz SET id = 1 WHERE id = 7", "Preisnotiz 1, Feld „id“"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.aenderung);
        auto ablage = Ablage::imArbeitsspeicher();
        ablage->schreibe(vollerSatz());
        Verbindung(ablage->verbindung()).ausfuehren(fall.aenderung);

        Speicherfehler fehler = fehlerVon([&] { ablage->lade(); });
        EXPECT_EQ(fehler.domaene(), "Datenschema");
        EXPECT_EQ(fehler.code(), Datenschema::ungueltigerWert);
        EXPECT_EQ(std::string(fehler.what()),
                  std::string("Der Spielstand enthält einen ungültigen Wert: ") + fall.beschreibung);
    }
}

TEST(Ablage, eineDateiOhneDatenbankBleibtUnberuehrt) {
    TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text += "Dies ist eine Einkaufsliste und kein Spielstand. ";
    }
    schreibeDatei(datei, text);

    Speicherfehler fehler = fehlerVon([&] { Ablage::oeffne(datei); });
    EXPECT_EQ(fehler.domaene(), "SQLite");
    EXPECT_EQ(fehler.code(), SQLITE_NOTADB);
    EXPECT_STREQ(fehler.what(), "Die Datei ist keine Datenbank");
    EXPECT_EQ(inhalt(datei), text);
    EXPECT_EQ(ordner.namen(), std::vector<std::string>{"Spielstand.sqlite"});
}

TEST(Ablage, eineNeuereSchemaversionWirdNichtGeoeffnetUndNichtVeraendert) {
    for (const char* version : {"2.0.1", "2.1.0", "3.0.0", "10.0.0"}) {
        SCOPED_TRACE(version);
        for (bool mitWal : {false, true}) {
            SCOPED_TRACE(mitWal ? "Version in der -wal-Datei" : "Version in der Hauptdatei");
            TempOrdner ordner;
            const auto datei = ordner / "Spielstand.sqlite";
            Ablage::oeffne(datei)->schreibe(vollerSatz());
            {
                Verbindung roh(datei);
                if (mitWal) {
                    roh.ohneCheckpointSchliessen();
                }
                roh.ausfuehren(std::string("UPDATE Metadaten SET wert = '") + version + "'");
            }
            const auto namenVorher = ordner.namen();
            const auto hauptdatei = inhalt(datei);
            const auto wal = mitWal ? inhalt(ordner / "Spielstand.sqlite-wal") : std::string();

            Speicherfehler fehler = fehlerVon([&] { Ablage::oeffne(datei); });
            EXPECT_EQ(fehler.domaene(), "Datenschema");
            EXPECT_EQ(fehler.code(), Datenschema::neuereVersion);
            EXPECT_EQ(std::string(fehler.what()),
                      std::string("Der Spielstand stammt aus einer neueren Version von "
                                  "Quinzelbrockat (Schema ") +
                          version + ") und bleibt unverändert");
            EXPECT_EQ(inhalt(datei), hauptdatei);
            if (mitWal) {
                EXPECT_EQ(inhalt(ordner / "Spielstand.sqlite-wal"), wal);
                // A read-only look may add SQLite's shared-memory index, nothing else.
                EXPECT_EQ(ordner.namen(),
                          (std::vector<std::string>{"Spielstand.sqlite", "Spielstand.sqlite-shm",
                                                    "Spielstand.sqlite-wal"}));
            } else {
                EXPECT_EQ(ordner.namen(), namenVorher);
            }
            Verbindung nachher(datei);
            EXPECT_EQ(nachher.wert("SELECT wert FROM Metadaten"), version);
        }
    }
}

TEST(Ablage, fremdeDatenbankenUndUnbekannteVersionenWerdenAbgewiesen) {
    struct Fall {
        const char* name;
        const char* sql;
        long code;
        const char* beschreibung;
    };
    const Fall faelle[] = {
        {"fremde Datenbank", "CREATE TABLE Rezepte (name TEXT)", Datenschema::fremdeDatenbank,
         "Die Datei ist kein Spielstand von Quinzelbrockat"},
        {"unlesbare Version",
         "CREATE TABLE Metadaten (schluessel TEXT PRIMARY KEY, wert TEXT); "
         "INSERT INTO Metadaten VALUES ('Schemaversion', 'zwei')",
         Datenschema::unbekannteVersion, "Der Spielstand hat eine unbekannte Schemaversion („zwei“)"},
        {"Version ohne Weg zur aktuellen",
         "CREATE TABLE Metadaten (schluessel TEXT PRIMARY KEY, wert TEXT); "
         "INSERT INTO Metadaten VALUES ('Schemaversion', '1.5.0')",
         Datenschema::unbekannteVersion, "Der Spielstand hat eine unbekannte Schemaversion („1.5.0“)"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        TempOrdner ordner;
        const auto datei = ordner / "fremd.db";
        Verbindung(datei).ausfuehren(fall.sql);
        const auto vorher = inhalt(datei);

        Speicherfehler fehler = fehlerVon([&] { Ablage::oeffne(datei); });
        EXPECT_EQ(fehler.domaene(), "Datenschema");
        EXPECT_EQ(fehler.code(), fall.code);
        EXPECT_STREQ(fehler.what(), fall.beschreibung);
        EXPECT_EQ(inhalt(datei), vorher);
        EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"fremd.db"}));
    }
}

TEST(Ablage, eineNeueDateiEntstehtMitVersion2ImWalModus) {
    TempOrdner ordner;
    // A name that would be a URI, or cut one short, if it were passed on unescaped.
    const auto datei = ordner / "Spiel?stand#1 100%.sqlite";
    {
        auto ablage = Ablage::oeffne(datei);
        Verbindung roh(ablage->verbindung());
        EXPECT_EQ(roh.wert("PRAGMA journal_mode"), "wal");
        EXPECT_EQ(roh.wert("PRAGMA foreign_keys"), "1");
        EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten WHERE schluessel = 'Schemaversion'"), "2.0.0");
        ablage->schreibe(vollerSatz());
    }
    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Spiel?stand#1 100%.sqlite"}));
    EXPECT_EQ(Datenschema::gespeicherteVersion(datei), Datenschema::V2::version);
    erwarteGleich(Ablage::oeffne(datei)->lade(), vollerSatz());

    // An empty file is an empty database to SQLite, and becomes a new store.
    schreibeDatei(ordner / "leer.sqlite", "");
    EXPECT_TRUE(Ablage::oeffne(ordner / "leer.sqlite")->lade().portfolios.empty());
    EXPECT_EQ(Datenschema::gespeicherteVersion(ordner / "leer.sqlite"), Datenschema::V2::version);
}

// Under a reader SQLite may not restart the "-wal" after a save and says so in the checkpoint's
// row, not as an error: the save counts, and only the log can say why the "-wal" stays full.
TEST(Ablage, einLeserLaesstDieWalDateiVollOhneDasSpeichernScheiternZuLassen) {
    Protokollmitschnitt protokoll;
    TempOrdner ordner;
    auto ablage = Ablage::oeffne(ordner / "Spielstand.sqlite");
    ablage->schreibe(vollerSatz());
    Verbindung leser(ordner / "Spielstand.sqlite");
    leser.ausfuehren("BEGIN");
    EXPECT_EQ(leser.wert("SELECT count(*) FROM Portfolio"), "1");
    Aenderungssatz satz;
    satz.geloeschtePortfolios = {1};
    ablage->schreibe(satz);
    EXPECT_TRUE(ablage->lade().portfolios.empty());
    ASSERT_FALSE(protokoll.zeilen().empty());
    EXPECT_THAT(
        protokoll.zeilen().back().text,
        testing::MatchesRegex("SQLite: wal_checkpoint\\(TRUNCATE\\) nach dem Speichern blockiert, ein "
                              "anderes Programm liest \\(busy 1, log [1-9][0-9]*, checkpointed 0\\)"));
}

TEST(Ablage, derArbeitsspeicherHatDasAktuelleSchema) {
    auto ablage = Ablage::imArbeitsspeicher();
    Verbindung roh(ablage->verbindung());
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "2.0.0");
    EXPECT_EQ(roh.wert("PRAGMA foreign_keys"), "1");
    ablage->schreibe(vollerSatz());
    erwarteGleich(ablage->lade(), vollerSatz());
}
