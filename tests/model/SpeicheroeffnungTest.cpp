#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include "SpeicherHilfe.h"
#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Speicherfehler.h"
#include "model/Speichern.h"

using namespace qb;
using namespace qb::test;
using namespace std::chrono;
using namespace std::chrono_literals;

namespace {

// Sets or removes one environment variable and restores it on leaving.
class Umgebungsvariable {
public:
    explicit Umgebungsvariable(const char* name) : name_(name) {
        if (const char* wert = std::getenv(name)) {
            alt_ = wert;
        }
    }
    ~Umgebungsvariable() {
        if (alt_) {
            ::setenv(name_, alt_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    Umgebungsvariable(const Umgebungsvariable&) = delete;
    Umgebungsvariable& operator=(const Umgebungsvariable&) = delete;

    void setze(const std::string& wert) { ::setenv(name_, wert.c_str(), 1); }
    void entferne() { ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> alt_;
};

Zeitpunkt utc(sys_days tag, microseconds uhrzeit) {
    return Zeitpunkt(tag) + uhrzeit;
}

class Speicheroeffnung : public ::testing::Test {
protected:
    void SetUp() override {
        alteZone_ = Zeitzone::aktuell().id();
        Zeitzone::setzeAktuelle("Europe/Berlin");
    }
    void TearDown() override { Zeitzone::setzeAktuelle(alteZone_); }

    std::string kopie(const std::string& endung = "") const {
        return "Spielstand.sqlite-vor-Schema-2.0.0-" + stempel + endung;
    }
    std::string kopiezeile(const std::string& endung = "") const {
        return "Sicherung vor der Migration angelegt: Sicherungen/" + kopie(endung);
    }
    std::vector<std::string> sicherungen() const {
        return fs::exists(ordner / "Sicherungen") ? ordner.namen("Sicherungen") : std::vector<std::string>{};
    }

    TempOrdner ordner;
    Protokollmitschnitt protokoll;
    const fs::path datei = ordner / "Spielstand.sqlite";
    // 23:30 in Berlin on 5 March 2025.
    const Zeitpunkt moment = utc(sys_days(2025y / March / 5), 22h + 30min);
    const std::string stempel = "2025-03-05-233000";

private:
    std::string alteZone_;
};

} // namespace

TEST(Testlauf, jederDerDreiSchluesselGenuegtAuchLeer) {
    const char* schluessel[] = {"XCTestConfigurationFilePath", "XCTestBundlePath", "XCTestSessionIdentifier"};
    Umgebungsvariable a(schluessel[0]), b(schluessel[1]), c(schluessel[2]);
    Umgebungsvariable* alle[] = {&a, &b, &c};
    for (auto* variable : alle) {
        variable->entferne();
    }
    EXPECT_FALSE(Datenschema::istTestlauf());
    for (int i = 0; i < 3; ++i) {
        for (const char* wert : {"", "/tmp/x.xctestconfiguration"}) {
            SCOPED_TRACE(std::string(schluessel[i]) + "=" + wert);
            alle[i]->setze(wert);
            EXPECT_TRUE(Datenschema::istTestlauf());
            alle[i]->entferne();
        }
    }
    ::setenv("xctestsessionidentifier", "", 1);
    EXPECT_FALSE(Datenschema::istTestlauf());
    ::unsetenv("xctestsessionidentifier");
}

TEST_F(Speicheroeffnung, imTestlaufBleibtAllesImArbeitsspeicher) {
    Umgebungsvariable sitzung("XCTestSessionIdentifier"), daten("XDG_DATA_HOME"), heim("HOME");
    sitzung.setze("");
    daten.setze((ordner / "daten").string());
    heim.setze((ordner / "heim").string());

    auto container = Datenschema::istTestlauf() ? Datenschema::testSpeicher() : Datenschema::oeffneSpeicher();

    ASSERT_TRUE(container);
    container->kontext().fuegeEin(std::make_shared<Portfolio>("", Dezimal(10000), moment));
    EXPECT_EQ(speichere(container->kontext()), std::nullopt);
    EXPECT_EQ(container->kontext().portfolios().size(), 1u);
    EXPECT_EQ(ordner.namen(), std::vector<std::string>{});
    auto zeilen = protokoll.zeilen();
    ASSERT_EQ(zeilen.size(), 1u);
    EXPECT_EQ(zeilen[0].text, "Speicher: Arbeitsspeicher (Testlauf)");
    EXPECT_EQ(zeilen[0].kategorie, "Speicher");
    EXPECT_EQ(zeilen[0].stufe, Protokoll::Stufe::standard);
}

TEST_F(Speicheroeffnung, beimErstenStartEntstehtEinNeuerSpielstandOhneSicherung) {
    const auto neu = ordner / "daten" / "quinzelbrockat" / "Spielstand.sqlite";
    {
        auto container = Datenschema::oeffneSpeicher(neu, moment);
        EXPECT_TRUE(container->kontext().portfolios().empty());
    }
    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{"Sicherung: kein Spielstand vorhanden, nichts zu sichern",
                                        "Speicher: Spielstand auf der Platte"}));
    for (const auto& zeile : protokoll.zeilen()) {
        EXPECT_EQ(zeile.stufe, Protokoll::Stufe::standard);
        EXPECT_EQ(zeile.kategorie, "Speicher");
    }
    EXPECT_EQ(ordner.namen("daten/quinzelbrockat"), (std::vector<std::string>{"Spielstand.sqlite"}));
    EXPECT_EQ(Datenschema::gespeicherteVersion(neu), Datenschema::V2::version);
}

TEST_F(Speicheroeffnung, einSpielstandMitVersion2WirdOhneKopieGeoeffnet) {
    Aenderungssatz satz;
    satz.portfolios.push_back({1, {"Gruppe Nord", Dezimal(10000), moment}});
    Ablage::oeffne(datei)->schreibe(satz);

    auto container = Datenschema::oeffneSpeicher(datei, moment);

    EXPECT_EQ(container->kontext().portfolios().size(), 1u);
    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{"Sicherung: Spielstand passt zum Schema 2.0.0, nichts zu sichern",
                                        "Speicher: Spielstand auf der Platte"}));
    EXPECT_FALSE(fs::exists(ordner / "Sicherungen"));
    EXPECT_EQ(Datenschema::sichereVorMigration(datei, moment), std::nullopt);
}

TEST_F(Speicheroeffnung, version1MitBegleitdateienErgibtDreiKopienMitEinemZeitstempel) {
    legeVersion1An(datei, true);
    const std::string hauptdatei = inhalt(datei), wal = inhalt(ordner / "Spielstand.sqlite-wal"),
                      shm = inhalt(ordner / "Spielstand.sqlite-shm");
    ASSERT_FALSE(wal.empty());

    {
        auto container = Datenschema::oeffneSpeicher(datei, moment);
        auto portfolios = container->kontext().portfolios();
        ASSERT_EQ(portfolios.size(), 1u);
        EXPECT_EQ(portfolios[0]->positionen().size(), 2u);
        ASSERT_EQ(portfolios[0]->bewertungen().size(), 1u);
        EXPECT_EQ(portfolios[0]->bewertungen()[0]->notizen().size(), 2u);
    }

    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{kopiezeile(), kopiezeile("-wal"), kopiezeile("-shm"),
                                        "Speicher: Spielstand auf der Platte"}));
    EXPECT_EQ(sicherungen(), (std::vector<std::string>{kopie(), kopie("-shm"), kopie("-wal")}));
    // Compared without EXPECT_EQ, which would print whole database pages on a failure. The
    // "-shm" index is rebuilt by the look at the version and is not compared.
    EXPECT_TRUE(inhalt(ordner / "Sicherungen" / kopie()) == hauptdatei);
    EXPECT_TRUE(inhalt(ordner / "Sicherungen" / kopie("-wal")) == wal);
    EXPECT_FALSE(shm.empty());
    EXPECT_EQ(Datenschema::gespeicherteVersion(datei), Datenschema::V2::version);

    // The copies hold the old game: the three files together open as version 1.
    TempOrdner wiederhergestellt;
    for (const char* endung : {"", "-wal", "-shm"}) {
        fs::copy_file(ordner / "Sicherungen" / kopie(endung),
                      wiederhergestellt / (std::string("alt.sqlite") + endung));
    }
    Verbindung alt(wiederhergestellt / "alt.sqlite");
    EXPECT_EQ(alt.wert("SELECT wert FROM Metadaten"), "1.0.0");
    EXPECT_EQ(alt.wert("SELECT count(*) FROM Preisnotiz"), "2");
}

TEST_F(Speicheroeffnung, version1OhneBegleitdateienErgibtEineKopie) {
    legeVersion1An(datei, false);
    ASSERT_EQ(ordner.namen(), std::vector<std::string>{"Spielstand.sqlite"});

    Datenschema::oeffneSpeicher(datei, moment);

    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{kopiezeile(), "Speicher: Spielstand auf der Platte"}));
    EXPECT_EQ(sicherungen(),
              std::vector<std::string>{"Spielstand.sqlite-vor-Schema-2.0.0-2025-03-05-233000"});
}

TEST_F(Speicheroeffnung, derZeitstempelFolgtDerAktuellenZone) {
    struct Fall {
        const char* zone;
        Zeitpunkt moment;
        const char* stempel;
    };
    const Fall faelle[] = {
        {"Europe/Berlin", utc(sys_days(2025y / March / 5), 22h + 30min), "2025-03-05-233000"},
        // 04:30 UTC on the 6th is still the evening of the 5th in New York.
        {"America/New_York", utc(sys_days(2025y / March / 6), 4h + 30min), "2025-03-05-233000"},
        {"Asia/Tokyo", utc(sys_days(2025y / March / 5), 14h + 30min), "2025-03-05-233000"},
        {"Europe/Berlin", utc(sys_days(2025y / July / 1), 21h + 30min + 5s + 999999us), "2025-07-01-233005"},
        {"Europe/Berlin", utc(sys_days(2024y / December / 31), 23h), "2025-01-01-000000"},
        {"UTC", utc(sys_days(987y / January / 2), 3h + 4min + 5s), "0987-01-02-030405"},
    };
    int nummer = 0;
    for (const auto& fall : faelle) {
        SCOPED_TRACE(std::string(fall.zone) + " " + fall.stempel);
        Zeitzone::setzeAktuelle(fall.zone);
        const auto unterordner = ordner / std::to_string(nummer++);
        fs::create_directory(unterordner);
        schreibeDatei(unterordner / "Spielstand.sqlite", "kein Spielstand");

        auto ergebnis = Datenschema::sichereVorMigration(unterordner / "Spielstand.sqlite", fall.moment);

        EXPECT_EQ(ergebnis, unterordner / "Sicherungen");
        EXPECT_EQ(ergebnis, Datenschema::sicherungsordner(unterordner / "Spielstand.sqlite"));
        EXPECT_EQ(
            ordner.namen(unterordner / "Sicherungen"),
            std::vector<std::string>{std::string("Spielstand.sqlite-vor-Schema-2.0.0-") + fall.stempel});
    }
}

TEST_F(Speicheroeffnung, eineDateiOhneDatenbankWirdGesichertUndNichtGeoeffnet) {
    const std::string text(5000, 'x');
    schreibeDatei(datei, text);

    Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); });

    EXPECT_EQ(fehler.domaene(), "SQLite");
    EXPECT_EQ(fehler.code(), SQLITE_NOTADB);
    // SQLite's own text goes to the log, at the look before the backup and at the opening.
    const std::string sqliteZeile = "SQLite-Fehler 26: file is not a database";
    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{sqliteZeile, kopiezeile(), "Speicher: Spielstand auf der Platte",
                                        sqliteZeile, "Speicher nicht geoeffnet: SQLite 26"}));
    auto zeilen = protokoll.zeilen();
    for (std::size_t i : {0, 3, 4}) {
        EXPECT_EQ(zeilen.at(i).stufe, Protokoll::Stufe::fehler);
        EXPECT_EQ(zeilen.at(i).kategorie, "Speicher");
    }
    EXPECT_EQ(inhalt(datei), text);
    EXPECT_EQ(inhalt(ordner / "Sicherungen" / kopie()), text);
    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Sicherungen", "Spielstand.sqlite"}));
}

// The migration counts only when its rows load; otherwise the store stays at version 1.
TEST_F(Speicheroeffnung, einUnlesbarerWertVerhindertDieMigration) {
    legeVersion1An(datei, false);
    Verbindung(datei).ausfuehren("UPDATE Preisnotiz SET art = 'Schlusskurs' WHERE id = 6");
    const std::string vorher = inhalt(datei);

    Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); });

    EXPECT_EQ(fehler.domaene(), "Datenschema");
    EXPECT_EQ(fehler.code(), Datenschema::ungueltigerWert);
    EXPECT_STREQ(fehler.what(), "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 6, Feld „art“");
    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{kopiezeile(), "Speicher: Spielstand auf der Platte",
                                        "Speicher nicht geoeffnet: Datenschema 4"}));
    EXPECT_EQ(inhalt(datei), vorher);
    Verbindung roh(datei);
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "1.0.0");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM pragma_table_info('Preisnotiz')"), "11");
}

// Closing the store's connection after the failure must not fold the "-wal" file into the main
// file: both stay byte for byte.
TEST_F(Speicheroeffnung, einGescheitertesOeffnenLaesstAuchDieBegleitdateienStehen) {
    legeVersion1An(datei, true);
    {
        Verbindung roh(datei);
        roh.ohneCheckpointSchliessen();
        roh.ausfuehren("UPDATE Preisnotiz SET art = 'Schlusskurs' WHERE id = 6");
    }
    const std::string hauptdatei = inhalt(datei), wal = inhalt(ordner / "Spielstand.sqlite-wal");
    ASSERT_FALSE(wal.empty());

    Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); });

    EXPECT_STREQ(fehler.what(), "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 6, Feld „art“");
    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Sicherungen", "Spielstand.sqlite",
                                                        "Spielstand.sqlite-shm", "Spielstand.sqlite-wal"}));
    // Compared without EXPECT_EQ, which would print whole database pages on a failure.
    EXPECT_TRUE(inhalt(datei) == hauptdatei) << "Hauptdatei verändert";
    EXPECT_TRUE(inhalt(ordner / "Spielstand.sqlite-wal") == wal) << "-wal verändert";
    Verbindung roh(datei);
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "1.0.0");
    EXPECT_EQ(roh.wert("SELECT art FROM Preisnotiz WHERE id = 6"), "Schlusskurs");
}

TEST_F(Speicheroeffnung, eineNeuereVersionWirdGesichertAberNichtGeoeffnet) {
    Ablage::oeffne(datei);
    Verbindung(datei).ausfuehren("UPDATE Metadaten SET wert = '3.0.0'");
    const std::string vorher = inhalt(datei);

    Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); });

    EXPECT_EQ(fehler.domaene(), "Datenschema");
    EXPECT_EQ(fehler.code(), Datenschema::neuereVersion);
    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{kopiezeile(), "Speicher: Spielstand auf der Platte",
                                        "Speicher nicht geoeffnet: Datenschema 1"}));
    EXPECT_EQ(inhalt(datei), vorher);
    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Sicherungen", "Spielstand.sqlite"}));
    EXPECT_EQ(Verbindung(datei).wert("SELECT wert FROM Metadaten"), "3.0.0");
}

// A set of copies is whole or absent: one name taken stops the whole set before any copy.
TEST_F(Speicheroeffnung, eineVorhandeneKopieWirdNichtUeberschrieben) {
    for (const char* vorhanden : {"", "-wal", "-shm"}) {
        SCOPED_TRACE(std::string("vorhanden: ") + vorhanden);
        TempOrdner eigener;
        const auto spielstand = eigener / "Spielstand.sqlite";
        legeVersion1An(spielstand, true);
        const std::vector<std::string> vorher = {inhalt(spielstand),
                                                 inhalt(eigener / "Spielstand.sqlite-wal")};
        fs::create_directory(eigener / "Sicherungen");
        const auto besetzt = eigener / "Sicherungen" / kopie(vorhanden);
        schreibeDatei(besetzt, "ältere Kopie");
        Protokollmitschnitt mitschnitt;

        Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(spielstand, moment); });

        EXPECT_EQ(fehler.domaene(), "Datei");
        EXPECT_EQ(fehler.code(), EEXIST);
        EXPECT_EQ(std::string(fehler.what()),
                  "Die Sicherungskopie „" + besetzt.string() +
                      "“ konnte nicht angelegt werden: Die Datei existiert bereits");
        EXPECT_EQ(mitschnitt.texte(), std::vector<std::string>{});
        EXPECT_EQ(eigener.namen("Sicherungen"), std::vector<std::string>{kopie(vorhanden)});
        EXPECT_EQ(inhalt(besetzt), "ältere Kopie");
        EXPECT_TRUE((std::vector<std::string>{inhalt(spielstand),
                                              inhalt(eigener / "Spielstand.sqlite-wal")}) == vorher);
        EXPECT_EQ(Datenschema::gespeicherteVersion(spielstand), Datenschema::V1::version);
    }
}

TEST_F(Speicheroeffnung, einSicherungsordnerDerNichtAngelegtWerdenKann) {
    legeVersion1An(datei, false);
    const std::string vorher = inhalt(datei);
    // A file where the folder belongs: refused for root as for anyone.
    schreibeDatei(ordner / "Sicherungen", "kein Ordner");

    Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); });

    EXPECT_EQ(fehler.domaene(), "Datei");
    EXPECT_EQ(fehler.code(), ENOTDIR);
    EXPECT_EQ(std::string(fehler.what()),
              "Der Ordner „" + (ordner / "Sicherungen").string() +
                  "“ konnte nicht angelegt werden: Ein Teil des Pfads ist kein Ordner");
    EXPECT_EQ(protokoll.texte(), std::vector<std::string>{});
    EXPECT_EQ(inhalt(datei), vorher);
    EXPECT_EQ(inhalt(ordner / "Sicherungen"), "kein Ordner");
    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Sicherungen", "Spielstand.sqlite"}));
}

TEST_F(Speicheroeffnung, einGescheitertesSpeichernLaesstDenSpielstandAufDerPlatte) {
    {
        auto container = Datenschema::oeffneSpeicher(datei, moment);
        auto portfolio = std::make_shared<Portfolio>("Gruppe Nord", Dezimal(10000), moment);
        container->kontext().fuegeEin(portfolio);
        ASSERT_EQ(speichere(container->kontext()), std::nullopt);
        Verbindung(container->ablage().verbindung())
            .ausfuehren("CREATE TRIGGER schreibschutz BEFORE UPDATE ON Portfolio "
                        "BEGIN SELECT RAISE(ABORT, 'Spielstand ist schreibgeschützt'); END");

        portfolio->setzeGruppenname("Gruppe Süd");
        EXPECT_EQ(speichere(container->kontext()),
                  "Die Änderung konnte nicht gespeichert werden: Eine Bedingung der Datenbank ist verletzt");
        EXPECT_EQ(portfolio->gruppenname(), "Gruppe Nord");
    }
    Verbindung roh(datei);
    EXPECT_EQ(roh.spalte("SELECT gruppenname FROM Portfolio"), std::vector<std::string>{"Gruppe Nord"});
}

TEST_F(Speicheroeffnung, derStandardspeicherLiegtImXdgDatenordner) {
    Umgebungsvariable daten("XDG_DATA_HOME"), heim("HOME");
    heim.setze((ordner / "heim").string());
    struct Fall {
        std::optional<std::string> xdg;
        fs::path ort;
    };
    const Fall faelle[] = {
        {(ordner / "daten").string(), ordner / "daten" / "quinzelbrockat"},
        {std::nullopt, ordner / "heim" / ".local" / "share" / "quinzelbrockat"},
        {"", ordner / "heim" / ".local" / "share" / "quinzelbrockat"},
        {"relativ/daten", ordner / "heim" / ".local" / "share" / "quinzelbrockat"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.xdg.value_or("(nicht gesetzt)"));
        if (fall.xdg) {
            daten.setze(*fall.xdg);
        } else {
            daten.entferne();
        }
        EXPECT_EQ(Datenschema::speicherdatei(), fall.ort / "Spielstand.sqlite");
        EXPECT_EQ(Datenschema::sicherungsordner(), fall.ort / "Sicherungen");
    }
    EXPECT_EQ(ordner.namen(), std::vector<std::string>{});

    daten.setze((ordner / "daten").string());
    Datenschema::oeffneSpeicher();
    EXPECT_EQ(ordner.namen("daten/quinzelbrockat"), (std::vector<std::string>{"Spielstand.sqlite"}));

    // The folder the storage-error view names is the one the backup writes to.
    fs::remove(Datenschema::speicherdatei());
    legeVersion1An(Datenschema::speicherdatei(), false);
    EXPECT_FALSE(fs::exists(Datenschema::sicherungsordner()));
    EXPECT_EQ(Datenschema::sichereVorMigration(Datenschema::speicherdatei(), moment),
              Datenschema::sicherungsordner());
    EXPECT_EQ(ordner.namen("daten/quinzelbrockat/Sicherungen"), std::vector<std::string>{kopie()});
}

namespace {

// Every file beside the store (the backup folder and SQLite's "-shm" index aside), with content.
std::map<std::string, std::string> dateienNeben(const fs::path& ordner) {
    std::map<std::string, std::string> dateien;
    for (const auto& eintrag : fs::directory_iterator(ordner)) {
        const std::string name = eintrag.path().filename().string();
        if (name != "Sicherungen" && !(name.size() > 4 && name.compare(name.size() - 4, 4, "-shm") == 0)) {
            dateien[name] = inhalt(eintrag.path());
        }
    }
    return dateien;
}

// Reads the file as it lies, without SQLite's recovery of a journal or a "-wal".
std::string liesUnveraenderlich(const fs::path& datei, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string uri = "file:" + datei.string() + "?immutable=1";
    sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    Verbindung verbindung(db);
    std::string wert = verbindung.wert(sql);
    sqlite3_close(db);
    return wert;
}

void beschaedigePreisnotizen(const fs::path& datei) {
    const long seite =
        std::stol(Verbindung(datei).wert("SELECT rootpage FROM sqlite_master WHERE name = 'Preisnotiz'"));
    std::string daten = inhalt(datei);
    daten[static_cast<std::size_t>((seite - 1) * 4096)] = '\x01';
    schreibeDatei(datei, daten);
}

} // namespace

// A start that died while the new store's schema was written leaves a hot journal. SQLite rolls
// it back; what is left is no game, so nothing is copied and a new store is made.
TEST_F(Speicheroeffnung, einAbgebrochenerErsterStartWirdZurueckgerollt) {
    hinterlasseHeissesJournal(datei, std::string(Datenschema::V2::sql()));
    ASSERT_TRUE(fs::exists(ordner / "Spielstand.sqlite-journal"));
    ASSERT_GT(fs::file_size(datei), 0u);

    for (int start = 0; start < 2; ++start) {
        Datenschema::oeffneSpeicher(datei, moment + std::chrono::seconds(start));
    }

    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{"Sicherung: kein Spielstand vorhanden, nichts zu sichern",
                                        "Speicher: Spielstand auf der Platte",
                                        "Sicherung: Spielstand passt zum Schema 2.0.0, nichts zu sichern",
                                        "Speicher: Spielstand auf der Platte"}));
    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Spielstand.sqlite"}));
    Verbindung roh(datei);
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "2.0.0");
    EXPECT_EQ(roh.wert("PRAGMA journal_mode"), "wal");
}

// A store of version 1 that died inside a migration in rollback-journal mode: the copy is taken
// after SQLite rolled the journal back, so it holds version 1 as it was, and then it migrates.
TEST_F(Speicheroeffnung, eineAbgebrocheneMigrationWirdZuerstZurueckgerolltUndGesichert) {
    legeVersion1OhneWalAn(datei);
    hinterlasseHeissesJournal(datei, "ALTER TABLE Preisnotiz ADD COLUMN preisOriginal TEXT; "
                                     "ALTER TABLE Preisnotiz ADD COLUMN originalwaehrung TEXT; "
                                     "ALTER TABLE Preisnotiz ADD COLUMN umrechnung TEXT; "
                                     "UPDATE Metadaten SET wert = '2.0.0'");
    // Read alone, the main file already shows the new columns of the torn transaction.
    ASSERT_EQ(liesUnveraenderlich(datei, "SELECT count(*) FROM pragma_table_info('Preisnotiz')"), "14");

    auto container = Datenschema::oeffneSpeicher(datei, moment);

    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{kopiezeile(), "Speicher: Spielstand auf der Platte"}));
    EXPECT_EQ(sicherungen(), std::vector<std::string>{kopie()});
    Verbindung alt(ordner / "Sicherungen" / kopie());
    EXPECT_EQ(alt.wert("SELECT wert FROM Metadaten"), "1.0.0");
    EXPECT_EQ(alt.wert("SELECT count(*) FROM pragma_table_info('Preisnotiz')"), "11");
    EXPECT_EQ(alt.wert("SELECT count(*) FROM sqlite_master WHERE name = 'Ballast'"), "0");
    auto portfolios = container->kontext().portfolios();
    ASSERT_EQ(portfolios.size(), 1u);
    EXPECT_EQ(portfolios[0]->positionen().size(), 2u);
}

// Version 2 whose migration still sits in the "-wal" file: the version is judged with it.
TEST_F(Speicheroeffnung, eineVersionInDerWalDateiZaehlt) {
    legeVersion1An(datei, false);
    {
        Verbindung roh(datei);
        roh.ohneCheckpointSchliessen();
        Datenschema::richteEin(roh.db());
    }
    ASSERT_EQ(liesUnveraenderlich(datei, "SELECT wert FROM Metadaten"), "1.0.0");

    Datenschema::oeffneSpeicher(datei, moment);

    EXPECT_EQ(protokoll.texte(),
              (std::vector<std::string>{"Sicherung: Spielstand passt zum Schema 2.0.0, nichts zu sichern",
                                        "Speicher: Spielstand auf der Platte"}));
    EXPECT_FALSE(fs::exists(ordner / "Sicherungen"));
}

// A crash's own last save, left in the "-wal" by a program that died before its checkpoint: the
// next start applies it and, after the backup of a migration, writes it into the store file as a
// save does, so that the file alone, as a copy of it would hold it, has what the window shows. A
// close without a save leaves no "-wal". While another program reads the store, the change stays
// in the "-wal" as after a save, and the log says so; the close after that reader's end empties
// it.
TEST_F(Speicheroeffnung, dieEigeneWalEinesAbsturzesKommtBeimStartInDieDatei) {
    struct Fall {
        const char* name;
        void (*bereite)(const fs::path& datei);
        bool leser;                         // another program reads the store from before the crash
        std::vector<std::string> sicherung; // the backup's files
    };
    const Fall faelle[] = {
        {"Version 2", legeVersion2An, false, {}},
        {"Version 1 mit -wal-Datei",
         [](const fs::path& d) { legeVersion1An(d, true); },
         false,
         {kopie(), kopie("-shm"), kopie("-wal")}},
        {"Version 2 unter einem Leser", legeVersion2An, true, {}},
    };
    const std::string gruppe = "SELECT gruppenname FROM Portfolio";
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        TempOrdner eigener;
        const fs::path spiel = eigener / "Spielstand.sqlite", wal = eigener / "Spielstand.sqlite-wal";
        fall.bereite(spiel);
        std::optional<Verbindung> leser;
        if (fall.leser) {
            leser.emplace(spiel);
            leser->ausfuehren("BEGIN");
            EXPECT_EQ(leser->wert(gruppe), "Gruppe Nord");
        }
        Kindprozess absturz([&](Leitung& leitung) {
            sqlite3* roh = nullptr;
            sqlite3_open(spiel.c_str(), &roh);
            const int rc = sqlite3_exec(roh,
                                        "PRAGMA wal_autocheckpoint = 0; "
                                        "UPDATE Portfolio SET gruppenname = 'Gruppe Süd'",
                                        nullptr, nullptr, nullptr);
            leitung.sende(rc == SQLITE_OK ? "gespeichert" : sqlite3_errmsg(roh));
            leitung.lies();
        });
        ASSERT_EQ(absturz.antwort(), "gespeichert");
        absturz.toete();
        ASSERT_EQ(liesUnveraenderlich(spiel, gruppe), "Gruppe Nord");
        ASSERT_GT(fs::file_size(wal), 0u);
        {
            auto container = Datenschema::oeffneSpeicher(spiel, moment);
            EXPECT_EQ(container->kontext().portfolios().at(0)->gruppenname(), "Gruppe Süd");
            EXPECT_EQ(container->hinweis(), std::nullopt);
            EXPECT_EQ(liesUnveraenderlich(spiel, gruppe), fall.leser ? "Gruppe Nord" : "Gruppe Süd");
            EXPECT_EQ(fs::file_size(wal) > 0, fall.leser);
            if (fall.leser) {
                EXPECT_THAT(
                    protokoll.texte(),
                    testing::Contains(testing::MatchesRegex(
                        "SQLite: wal_checkpoint\\(TRUNCATE\\) nach dem Oeffnen blockiert, ein anderes "
                        "Programm liest \\(busy 1, log [1-9][0-9]*, checkpointed 0\\)")));
                leser.reset();
            }
        }
        std::vector<std::string> namen{"Spielstand.sqlite"};
        if (!fall.sicherung.empty()) {
            namen.insert(namen.begin(), "Sicherungen");
        }
        EXPECT_EQ(eigener.namen(), namen);
        EXPECT_EQ(liesUnveraenderlich(spiel, gruppe), "Gruppe Süd");
        // The backup of the old version holds the change, in its own "-wal".
        if (!fall.sicherung.empty()) {
            EXPECT_EQ(eigener.namen("Sicherungen"), fall.sicherung);
            TempOrdner wiederhergestellt;
            for (const char* endung : {"", "-wal", "-shm"}) {
                fs::copy_file(eigener / "Sicherungen" / kopie(endung), wiederhergestellt / (std::string("alt") + endung));
            }
            EXPECT_EQ(Verbindung(wiederhergestellt / "alt").wert(gruppe), "Gruppe Süd");
        }
    }
}

// Without WAL mode the migration is built beside the store and takes its place in one rename:
// the new version and WAL mode arrive together, and nothing of the building is left.
TEST_F(Speicheroeffnung, eineMigrationOhneWalKommtMitWalModus) {
    legeVersion1OhneWalAn(datei);
    Datenschema::oeffneSpeicher(datei, moment);

    EXPECT_EQ(ordner.namen(), (std::vector<std::string>{"Sicherungen", "Spielstand.sqlite"}));
    Verbindung roh(datei);
    EXPECT_EQ(roh.wert("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "2.0.0");
    EXPECT_EQ(roh.wert("SELECT count(*) FROM Preisnotiz"), "2");
}

// Whatever makes the opening fail, the main file and its "-wal" stay byte for byte; only
// SQLite's "-shm" index may be rebuilt. With the foreign "-wal" gone the store opens again.
TEST_F(Speicheroeffnung, einGescheitertesOeffnenLaesstJedeDateiWieSieWar) {
    struct Fall {
        const char* name;
        void (*bereite)(const fs::path& datei);
        const char* domaene;
        long code; // primary code for SQLite
        const char* beschreibung;
    };
    const Fall faelle[] = {
        {"ungültiger Wert in der Hauptdatei",
         [](const fs::path& d) {
             legeVersion2An(d);
             Verbindung(d).ausfuehren("UPDATE Preisnotiz SET art = 'Schlusskurs' WHERE id = 6");
         },
         "Datenschema", Datenschema::ungueltigerWert,
         "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 6, Feld „art“"},
        // Unloadable alone too: the "-wal" stays with it.
        {"ungültiger Wert in der Hauptdatei und in der -wal-Datei",
         [](const fs::path& d) {
             legeVersion2An(d);
             Verbindung(d).ausfuehren("PRAGMA foreign_keys = OFF; UPDATE Bewertung SET id = 2 WHERE id = 4");
             Verbindung roh(d);
             roh.ohneCheckpointSchliessen();
             roh.ausfuehren("UPDATE Preisnotiz SET art = 'Schlusskurs' WHERE id = 6");
         },
         "Datenschema", Datenschema::ungueltigerWert,
         "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 6, Feld „art“"},
        {"beschädigte Seite",
         [](const fs::path& d) {
             legeVersion2An(d);
             beschaedigePreisnotizen(d);
         },
         "SQLite", SQLITE_CORRUPT, "Die Datenbankdatei ist beschädigt"},
        // Damaged alone too: the foreign "-wal" stays with it.
        {"fremde -wal-Datei über einer beschädigten Hauptdatei",
         [](const fs::path& d) {
             legeVersion2An(d);
             beschaedigePreisnotizen(d);
             legeFremdeWalDaneben(d);
         },
         "SQLite", SQLITE_CORRUPT, "Die Datenbankdatei ist beschädigt"},
        {"ungültiger Wert bei der Migration ohne WAL",
         [](const fs::path& d) {
             legeVersion1OhneWalAn(d);
             Verbindung(d).ausfuehren("UPDATE Preisnotiz SET art = 'Schlusskurs' WHERE id = 6");
         },
         "Datenschema", Datenschema::ungueltigerWert,
         "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 6, Feld „art“"},
        {"ungültiger Wert bei der Migration mit WAL",
         [](const fs::path& d) {
             legeVersion1An(d, true);
             Verbindung roh(d);
             roh.ohneCheckpointSchliessen();
             roh.ausfuehren("UPDATE Preisnotiz SET art = 'Schlusskurs' WHERE id = 6");
         },
         "Datenschema", Datenschema::ungueltigerWert,
         "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 6, Feld „art“"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        TempOrdner eigener;
        const fs::path spielstand = eigener / "Spielstand.sqlite";
        fall.bereite(spielstand);
        const auto vorher = dateienNeben(eigener.pfad());

        Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(spielstand, moment); });

        EXPECT_EQ(fehler.domaene(), fall.domaene);
        EXPECT_EQ(fehler.domaene() == "SQLite" ? fehler.code() & 0xff : fehler.code(), fall.code);
        EXPECT_STREQ(fehler.what(), fall.beschreibung);
        // Compared without EXPECT_EQ, which would print whole database pages on a failure.
        const auto nachher = dateienNeben(eigener.pfad());
        EXPECT_EQ(nachher.size(), vorher.size());
        for (const auto& [name, daten] : vorher) {
            EXPECT_TRUE(nachher.count(name) == 1 && nachher.at(name) == daten) << name << " verändert";
        }
    }
}

// A "-wal" with which the store cannot be loaded (SQLite reads it as damaged, or the program
// refuses a row) while the store alone loads whole goes aside, and the store opens alone and says
// where it lies, also with its error when it does not open after all. While another program has
// the store open, nothing moves, and the store is refused with that cause. The opening keeps no
// descriptor.
TEST_F(Speicheroeffnung, eineWalDieNurMitDemSpielstandBeschaedigtIstKommtBeiseite) {
    struct Fall {
        const char* name;
        const char* sql; // written into the "-wal" alone; none: another store's "-wal"
        Ablage::Beiseitegrund grund;
    };
    const Fall faelle[] = {
        {"die -wal eines anderen Spielstands", nullptr, Ablage::Beiseitegrund::beschaedigt},
        {"ein ungültiger Wert", "UPDATE Position SET assetklasse = 'unbekannt' WHERE id = 2",
         Ablage::Beiseitegrund::unladbar},
        {"eine doppelte Kennung", "PRAGMA foreign_keys = OFF; UPDATE Bewertung SET id = 2 WHERE id = 4",
         Ablage::Beiseitegrund::unladbar},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        TempOrdner eigener;
        const fs::path spiel = eigener / "Spielstand.sqlite";
        legeVersion2An(spiel);
        if (fall.sql == nullptr) {
            legeFremdeWalDaneben(spiel);
        } else {
            Verbindung roh(spiel);
            roh.ohneCheckpointSchliessen();
            roh.ausfuehren(fall.sql);
        }
        const std::string wal = inhalt(eigener / "Spielstand.sqlite-wal");
        {
            Kindprozess anderes([&](Leitung& leitung) {
                sqlite3* roh = nullptr;
                sqlite3_open(spiel.c_str(), &roh);
                sqlite3_exec(roh, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
                leitung.sende("offen");
                leitung.lies();
            });
            ASSERT_EQ(anderes.antwort(), "offen");
            const Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(spiel, moment); });
            EXPECT_EQ(fehler.domaene(), Datenschema::fehlerdomaene);
            EXPECT_EQ(fehler.code(), Datenschema::unpassendeWal);
            EXPECT_EQ(std::string(fehler.what()),
                      "Neben dem Spielstand „" + spiel.string() +
                          "“ liegen Änderungen aus einem früheren Fenster, die nicht zu ihm passen: „" +
                          spiel.string() +
                          "-wal“. Mit ihnen ließe sich das Spiel nicht öffnen; ohne sie ist es in Ordnung. "
                          "Quinzelbrockat legt sie beiseite, kann das aber nicht, solange ein anderes Programm "
                          "den Spielstand offen hat. Schließe das andere Programm und starte Quinzelbrockat "
                          "dann noch einmal.");
        }
        EXPECT_TRUE(inhalt(eigener / "Spielstand.sqlite-wal") == wal);
        const auto deskriptoren = [] {
            return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
        };
        const auto offen = deskriptoren();
        {
            auto container = Datenschema::oeffneSpeicher(spiel, moment + 1s);
            const fs::path beiseite = eigener / "Spielstand.sqlite-nicht-angewandt-2025-03-05-233001-wal";
            EXPECT_EQ(container->hinweis(), hinweisBeiseite(fall.grund, spiel, {beiseite}));
            EXPECT_TRUE(inhalt(beiseite) == wal);
            EXPECT_EQ(container->kontext().portfolios().size(), 1u);
            container->kontext().portfolios().at(0)->setzeGruppenname("Gruppe Süd");
            EXPECT_FALSE(speichere(container->kontext()));
        }
        EXPECT_EQ(deskriptoren(), offen);
    }

    // A store that does not open after all says it with its error.
    TempOrdner neuer;
    const fs::path spiel = neuer / "Spielstand.sqlite";
    legeVersion2An(spiel);
    Verbindung(spiel).ausfuehren("UPDATE Metadaten SET wert = '3.0.0'");
    legeFremdeWalDaneben(spiel);
    EXPECT_EQ(
        std::string(fehlerVon([&] { Datenschema::oeffneSpeicher(spiel, moment); }).what()),
        "Der Spielstand stammt aus einer neueren Version von Quinzelbrockat (Schema 3.0.0) und bleibt "
        "unverändert. " +
            hinweisNachBeiseite(spiel, neuer / ("Spielstand.sqlite-nicht-angewandt-" + stempel + "-wal")));
}

// A name a set-aside would take is never overwritten: the set-aside takes the next free number,
// whether its "-wal" or its "-shm" holds the name, and so does a second set-aside in the same
// second, whose start tells both as long as nobody closed the first one's telling.
TEST_F(Speicheroeffnung, einBelegterNameFuerBeiseitegelegtesBekommtDieNaechsteNummer) {
    const std::string stamm = "Spielstand.sqlite-nicht-angewandt-" + stempel;
    for (const char* belegt : {"-wal", "-shm"}) {
        SCOPED_TRACE(belegt);
        TempOrdner eigener;
        const fs::path spiel = eigener / "Spielstand.sqlite";
        legeVersion2An(spiel);
        schreibeDatei(eigener / (stamm + belegt), "schon da");
        const auto vorher = eigener.namen();
        std::vector<fs::path> ungesehen;
        for (const std::string nummer : {"-2", "-3"}) {
            legeFremdeWalDaneben(spiel);
            const std::string wal = inhalt(eigener / "Spielstand.sqlite-wal");
            const fs::path beiseite = eigener / (stamm + nummer + "-wal");
            ungesehen.push_back(beiseite);
            auto container = Datenschema::oeffneSpeicher(spiel, moment);
            EXPECT_EQ(container->hinweis(),
                      hinweisBeiseite(Ablage::Beiseitegrund::beschaedigt, spiel, ungesehen));
            EXPECT_TRUE(inhalt(beiseite) == wal);
            EXPECT_TRUE(fs::exists(eigener / (stamm + nummer + "-ungemeldet-beschaedigt")));
            if (nummer == "-3") {
                container->hinweisGesehen();
            }
        }
        EXPECT_EQ(inhalt(eigener / (stamm + belegt)), "schon da");
        auto namen = vorher;
        for (const char* name : {"-2-shm", "-2-wal", "-3-shm", "-3-wal"}) {
            namen.push_back(stamm + name);
        }
        std::sort(namen.begin(), namen.end());
        EXPECT_EQ(eigener.namen(), namen);
    }
}

// The telling of set-aside "-wal" files says what was found, one paragraph for each reason, that
// the changes are not in the game, and what to do with the files, in the plural for several.
TEST_F(Speicheroeffnung, derHinweisSagtWasGefundenWurdeUndWasZuTunIst) {
    TempOrdner eigener;
    const fs::path spiel = eigener / "Spielstand.sqlite";
    const std::string d = spiel.string();
    legeVersion2An(spiel);
    // As two windows' ends leave them when their game was moved or replaced.
    for (const char* zeit : {"2025-03-04-120000", "2025-03-04-130000"}) {
        schreibeDatei(d + "-nicht-angewandt-" + zeit + "-wal", "Seiten");
        schreibeDatei(d + "-nicht-angewandt-" + zeit + "-ungemeldet", "");
    }
    legeFremdeWalDaneben(spiel);
    EXPECT_EQ(
        Datenschema::oeffneSpeicher(spiel, moment + 10s)->hinweis(),
        "Änderungen aus einem früheren Fenster konnten nicht auf dieses Spiel angewandt werden: Sie passen "
        "nicht zu dem Spielstand unter „" + d + "“: Mit ihnen liest SQLite ihn als beschädigt. Sie sind nicht "
        "in diesem Spiel und liegen unverändert in „" + d + "-nicht-angewandt-2025-03-05-233010-wal“. Willst "
        "du sie darin haben, gib sie noch einmal ein. Brauchst du sie nicht mehr, kannst du die Datei "
        "löschen; eine Datei daneben, deren Name statt auf „-wal“ auf „-shm“ endet, gehört dazu.\n\n"
        "Änderungen aus früheren Fenstern konnten nicht auf dieses Spiel angewandt werden: Als jene Fenster "
        "endeten, lag unter „" + d + "“ nicht mehr ihr Spiel, denn der Spielstand war verschoben oder ersetzt "
        "worden. Sie sind nicht in diesem Spiel und liegen unverändert in „" + d +
        "-nicht-angewandt-2025-03-04-120000-wal“ und „" + d + "-nicht-angewandt-2025-03-04-130000-wal“. "
        "Willst du sie darin haben, gib sie noch einmal ein. Brauchst du sie nicht mehr, kannst du die "
        "Dateien löschen; Dateien daneben, deren Namen statt auf „-wal“ auf „-shm“ enden, gehören dazu.");
}

// Anything but a regular file where the store or a companion belongs is refused before any
// file is opened; a FIFO would otherwise block the start forever (the alarm ends a hang).
TEST_F(Speicheroeffnung, keineGewoehnlicheDateiWirdAbgewiesen) {
    struct Fall {
        const char* endung;
        bool ordner; // a folder instead of a FIFO
        long code;
        const char* art;
    };
    const Fall faelle[] = {
        {"", false, EINVAL, "eine benannte Pipe (FIFO)"},
        {"", true, EISDIR, "ein Ordner"},
        {"-wal", false, EINVAL, "eine benannte Pipe (FIFO)"},
        {"-journal", false, EINVAL, "eine benannte Pipe (FIFO)"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(std::string(fall.endung) + (fall.ordner ? " Ordner" : " FIFO"));
        TempOrdner eigener;
        const fs::path spielstand = eigener / "Spielstand.sqlite";
        if (*fall.endung != '\0') {
            legeVersion1An(spielstand, false);
        }
        const fs::path fremd(spielstand.string() + fall.endung);
        if (fall.ordner) {
            fs::create_directory(fremd);
        } else {
            ASSERT_EQ(::mkfifo(fremd.c_str(), 0600), 0);
        }
        const auto namen = eigener.namen();
        Protokollmitschnitt mitschnitt;

        ::alarm(20);
        Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(spielstand, moment); });
        EXPECT_EQ(Datenschema::gespeicherteVersion(spielstand), std::nullopt);
        ::alarm(0);

        EXPECT_EQ(fehler.domaene(), "Datei");
        EXPECT_EQ(fehler.code(), fall.code);
        EXPECT_EQ(std::string(fehler.what()), "Der Spielstand wird nicht geöffnet: „" + fremd.string() +
                                                  "“ ist keine gewöhnliche Datei, sondern " + fall.art);
        EXPECT_EQ(mitschnitt.texte(), std::vector<std::string>{});
        EXPECT_EQ(eigener.namen(), namen);
    }
}

// A backup that a crash left with provisional names is finished when any copy of its set already
// has its name, and removed otherwise, before the next backup.
TEST_F(Speicheroeffnung, eineUnfertigeSicherungWirdVollendetOderEntfernt) {
    const std::string frueher = "Spielstand.sqlite-vor-Schema-2.0.0-2025-03-04-120000";
    struct Fall {
        const char* name;
        std::vector<std::string> vorher;  // files in the backup folder, with content = name
        std::vector<std::string> nachher; // the earlier set afterwards
    };
    const Fall faelle[] = {
        {"nichts umbenannt", {frueher + ".unfertig", frueher + "-wal.unfertig"}, {}},
        {"Hauptdatei umbenannt",
         {frueher, frueher + "-wal.unfertig", frueher + "-shm.unfertig"},
         {frueher, frueher + "-shm", frueher + "-wal"}},
        {"Begleitdatei umbenannt", {frueher + ".unfertig", frueher + "-wal"}, {frueher, frueher + "-wal"}},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        TempOrdner eigener;
        const fs::path spielstand = eigener / "Spielstand.sqlite";
        legeVersion1An(spielstand, false);
        fs::create_directory(eigener / "Sicherungen");
        for (const auto& name : fall.vorher) {
            schreibeDatei(eigener / "Sicherungen" / name, name.substr(0, name.find(".unfertig")));
        }

        Datenschema::oeffneSpeicher(spielstand, moment);

        auto erwartet = fall.nachher;
        erwartet.push_back(kopie());
        std::sort(erwartet.begin(), erwartet.end());
        EXPECT_EQ(eigener.namen("Sicherungen"), erwartet);
        for (const auto& name : fall.nachher) {
            EXPECT_EQ(inhalt(eigener / "Sicherungen" / name), name);
        }
    }
}

// A game kept on another drive through a link: the link stays a link, and the backup, the lock
// file and the rebuild of a migration all lie beside the file it names.
TEST_F(Speicheroeffnung, eineVerknuepfungFuehrtZumSpielstandDahinter) {
    fs::create_directories(ordner / "laufwerk");
    fs::create_directories(ordner / "daten");
    const fs::path ziel = ordner / "laufwerk" / "Spielstand.sqlite";
    // Without WAL mode the migration builds a new file and renames it into place.
    legeVersion1OhneWalAn(ziel);
    const fs::path verweis = ordner / "daten" / "Spielstand.sqlite";
    fs::create_symlink("../laufwerk/Spielstand.sqlite", verweis);

    {
        auto container = Datenschema::oeffneSpeicher(verweis, moment);
        EXPECT_EQ(container->kontext().portfolios().size(), 1u);
        container->kontext().portfolios().at(0)->setzeGruppenname("Gruppe Süd");
        EXPECT_EQ(speichere(container->kontext()), std::nullopt);
    }

    EXPECT_TRUE(fs::is_symlink(verweis));
    EXPECT_EQ(fs::read_symlink(verweis), fs::path("../laufwerk/Spielstand.sqlite"));
    EXPECT_EQ(ordner.namen("daten"), std::vector<std::string>{"Spielstand.sqlite"});
    EXPECT_EQ(ordner.namen("laufwerk"), (std::vector<std::string>{"Sicherungen", "Spielstand.sqlite"}));
    EXPECT_EQ(ordner.namen("laufwerk/Sicherungen"), std::vector<std::string>{kopie()});
    EXPECT_EQ(Datenschema::sicherungsordner(verweis), fs::canonical(ordner / "laufwerk") / "Sicherungen");
    Verbindung roh(ziel);
    EXPECT_EQ(roh.wert("SELECT wert FROM Metadaten"), "2.0.0");
    EXPECT_EQ(roh.wert("SELECT gruppenname FROM Portfolio"), "Gruppe Süd");
}

// A link to a drive that is not mounted: refused, and nothing is made, neither beside the link
// nor where it points.
TEST_F(Speicheroeffnung, eineVerknuepfungInsLeereAendertNichts) {
    const fs::path ziel = ordner / "ausgehaengt" / "Spielstand.sqlite";
    fs::create_symlink(ziel, datei);
    const std::string text = "Der Spielstand wird nicht geöffnet: „" + datei.string() + "“ verweist auf „" +
                             ziel.string() + "“, und dort liegt nichts. Ist der Datenträger angeschlossen?";
    for (const char* weg : {"Datenschema::oeffneSpeicher", "Ablage::oeffne"}) {
        SCOPED_TRACE(weg);
        Speicherfehler fehler = fehlerVon([&] {
            if (std::string(weg) == "Ablage::oeffne") {
                Ablage::oeffne(datei);
            } else {
                Datenschema::oeffneSpeicher(datei, moment);
            }
        });
        EXPECT_EQ(fehler.domaene(), "Datei");
        EXPECT_EQ(fehler.code(), ENOENT);
        EXPECT_EQ(std::string(fehler.what()), text);
        EXPECT_EQ(ordner.namen(), std::vector<std::string>{"Spielstand.sqlite"});
        EXPECT_TRUE(fs::is_symlink(datei));
        EXPECT_FALSE(fs::exists(ordner / "ausgehaengt"));
    }
    EXPECT_EQ(protokoll.texte(), std::vector<std::string>{});
    EXPECT_EQ(Datenschema::sicherungsordner(datei), ordner / "Sicherungen");
}

// A file where a folder of the store's path belongs: the folder cannot be made, and the message
// says why; nothing is taken for a store or a backup there.
TEST_F(Speicheroeffnung, einTeilDesPfadsDerKeinOrdnerIst) {
    schreibeDatei(ordner / "spiel", "eine Datei");
    const fs::path faelle[] = {ordner / "spiel", ordner / "spiel" / "quinzelbrockat"};
    for (const auto& spielordner : faelle) {
        SCOPED_TRACE(spielordner.string());
        const fs::path spielstand = spielordner / "Spielstand.sqlite";

        Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(spielstand, moment); });

        EXPECT_EQ(fehler.domaene(), "Datei");
        EXPECT_EQ(fehler.code(), ENOTDIR);
        EXPECT_EQ(std::string(fehler.what()),
                  "Der Ordner „" + spielordner.string() +
                      "“ konnte nicht angelegt werden: Ein Teil des Pfads ist kein Ordner");
        EXPECT_EQ(Datenschema::sichereVorMigration(spielstand, moment), std::nullopt);
        EXPECT_EQ(ordner.namen(), std::vector<std::string>{"spiel"});
        EXPECT_EQ(inhalt(ordner / "spiel"), "eine Datei");
    }
}

// A folder the store may not write to, as SQLite finds it while saving: its refusal reads in
// German, without SQLite's English.
TEST_F(Speicheroeffnung, einSchreibgeschuetzterOrdnerWirdAufDeutschGemeldet) {
    const fs::path spielordner = ordner / "spiel";
    const fs::path spielstand = spielordner / "Spielstand.sqlite";
    {
        auto container = Datenschema::oeffneSpeicher(spielstand, moment);
        container->kontext().fuegeEin(std::make_shared<Portfolio>("Gruppe Nord", Dezimal(10000), moment));
        ASSERT_EQ(speichere(container->kontext()), std::nullopt);
    }
    ASSERT_EQ(ordner.namen("spiel"), std::vector<std::string>{"Spielstand.sqlite"});
    fs::permissions(spielstand, fs::perms(0666));
    fs::permissions(spielordner, fs::perms(0555));

    // Root writes anywhere, so the second program gives it up first.
    Kindprozess programm([&](Leitung& leitung) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            leitung.sende("ohne Rechtewechsel");
            return;
        }
        auto container = Datenschema::oeffneSpeicher(spielstand, moment);
        container->kontext().portfolios().at(0)->setzeGruppenname("Gruppe Süd");
        leitung.sende(speichere(container->kontext()).value_or("gespeichert"));
    });
    const std::string meldung = programm.antwort();
    fs::permissions(spielordner, fs::perms(0755));
    if (meldung == "ohne Rechtewechsel") {
        GTEST_SKIP() << "root may not give up its rights here, so no folder is read-only for it";
    }

    EXPECT_EQ(meldung,
              "Die Änderung konnte nicht gespeichert werden: Der Ordner der Datenbank ist schreibgeschützt");
    EXPECT_EQ(Verbindung(spielstand).wert("SELECT gruppenname FROM Portfolio"), "Gruppe Nord");
}
