#pragma once

// Real files for the store tests: a temporary folder, raw SQLite access beside the store's own,
// a version-1 store made through the version-1 schema, and a recorder for the log.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Speicherfehler.h"
#include "foundation/Protokoll.h"

namespace qb::test {

namespace fs = std::filesystem;

// The store error that `aufruf` throws; a failure of the test when it throws none.
template <typename Aufruf> Speicherfehler fehlerVon(Aufruf aufruf) {
    try {
        aufruf();
    } catch (const Speicherfehler& fehler) {
        return fehler;
    }
    ADD_FAILURE() << "kein Speicherfehler";
    return Speicherfehler("", 0, "");
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempOrdner {
public:
    TempOrdner() {
        static std::atomic<int> zaehler{0};
        std::random_device zufall;
        pfad_ = fs::temp_directory_path() / ("qb-speicher-" + std::to_string(::getpid()) + "-" +
                                             std::to_string(zaehler++) + "-" + std::to_string(zufall()));
        fs::create_directories(pfad_);
    }
    ~TempOrdner() {
        std::error_code fehler;
        fs::remove_all(pfad_, fehler);
    }
    TempOrdner(const TempOrdner&) = delete;
    TempOrdner& operator=(const TempOrdner&) = delete;

    const fs::path& pfad() const { return pfad_; }
    fs::path operator/(const std::string& name) const { return pfad_ / name; }

    // The names in the folder (not below), sorted.
    std::vector<std::string> namen(const fs::path& unterordner = {}) const {
        std::vector<std::string> ergebnis;
        for (const auto& eintrag : fs::directory_iterator(pfad_ / unterordner)) {
            ergebnis.push_back(eintrag.path().filename().string());
        }
        std::sort(ergebnis.begin(), ergebnis.end());
        return ergebnis;
    }

private:
    fs::path pfad_;
};

inline std::string inhalt(const fs::path& datei) {
    std::ifstream ein(datei, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>());
}

inline void schreibeDatei(const fs::path& datei, const std::string& text) {
    std::ofstream aus(datei, std::ios::binary);
    aus << text;
}

// A raw connection, to write what the store itself would never write.
class Verbindung {
public:
    explicit Verbindung(const fs::path& datei) {
        if (sqlite3_open(datei.c_str(), &db_) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_);
        }
        ausfuehren("PRAGMA foreign_keys = ON");
    }
    explicit Verbindung(sqlite3* fremd) : db_(fremd), eigen_(false) {}
    explicit Verbindung(void* fremd) : Verbindung(static_cast<sqlite3*>(fremd)) {}
    ~Verbindung() {
        if (eigen_) {
            sqlite3_close(db_);
        }
    }
    Verbindung(const Verbindung&) = delete;
    Verbindung& operator=(const Verbindung&) = delete;

    sqlite3* db() const { return db_; }

    void ausfuehren(const std::string& sql) {
        char* fehler = nullptr;
        int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &fehler);
        EXPECT_EQ(rc, SQLITE_OK) << (fehler != nullptr ? fehler : "") << "\n" << sql;
        sqlite3_free(fehler);
    }
    // The first column of every row, as text ("NULL" for NULL).
    std::vector<std::string> spalte(const std::string& sql) {
        std::vector<std::string> werte;
        sqlite3_stmt* anweisung = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &anweisung, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << "\n" << sql;
            return werte;
        }
        while (sqlite3_step(anweisung) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(anweisung, 0);
            werte.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
        }
        sqlite3_finalize(anweisung);
        return werte;
    }
    std::string wert(const std::string& sql) {
        auto werte = spalte(sql);
        return werte.empty() ? std::string("(keine Zeile)") : werte.front();
    }
    // Leaves "-wal" and "-shm" behind on closing, as a crashed process would.
    void ohneCheckpointSchliessen() { sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr); }

private:
    sqlite3* db_ = nullptr;
    bool eigen_ = true;
};

// The state of a store: every row of the four tables and the recorded version, as text.
inline std::vector<std::string> abbild(Verbindung& verbindung) {
    std::vector<std::string> zeilen;
    for (const char* tabelle : {"Metadaten", "Portfolio", "Position", "Bewertung", "Preisnotiz"}) {
        auto spalten =
            verbindung.spalte(std::string("SELECT name FROM pragma_table_info('") + tabelle + "')");
        std::string ausdruck;
        for (const auto& spalte : spalten) {
            ausdruck += (ausdruck.empty() ? "" : " || '|' || ") + std::string("quote(") + spalte + ")";
        }
        for (auto& zeile : verbindung.spalte("SELECT " + ausdruck + " FROM " + tabelle + " ORDER BY 1")) {
            zeilen.push_back(std::string(tabelle) + ": " + zeile);
        }
    }
    return zeilen;
}

inline const std::chrono::sys_seconds v1Kaufdatum{std::chrono::seconds(1741000000)};
inline const std::chrono::sys_seconds v1Stichtag{std::chrono::seconds(1743400000)};

// A version-1 store made through the version-1 schema and filled with one game: a portfolio,
// a share and a bond, one reference date with a note for each (one with a trading volume).
// With `begleitdateien` the last rows stay in the "-wal" file and "-shm" stays too.
inline void legeVersion1An(const fs::path& datei, bool begleitdateien) {
    Verbindung verbindung(datei);
    verbindung.ausfuehren("PRAGMA journal_mode = WAL");
    verbindung.ausfuehren("BEGIN; " + std::string(Datenschema::V1::sql()) + " COMMIT;");
    const std::string kauf = std::to_string(v1Kaufdatum.time_since_epoch().count() * 1000000LL);
    const std::string stichtag = std::to_string(v1Stichtag.time_since_epoch().count() * 1000000LL + 250);
    verbindung.ausfuehren(
        "INSERT INTO Portfolio VALUES (1, 'Gruppe Nord', '10000', " + kauf +
        ");"
        "INSERT INTO Position VALUES (2, 1, 'aktie', 'Beispiel AG', 'DE0007164600', 'Börse Frankfurt "
        "(XETR)', "
        "'EUR', 20, '123.456', 'stueckpreis', '100');"
        "INSERT INTO Position VALUES (3, 1, 'anleihe', 'Bund 2030', 'DE0001102580', '', 'EUR', 3, '97.6', "
        "'prozentVomNennwert', '1000');"
        "INSERT INTO Bewertung VALUES (4, 1, " +
        stichtag + ", 'erster Stichtag');");
    if (begleitdateien) {
        // The rows so far go into the main file; the notes stay in the "-wal" file.
        verbindung.ausfuehren("PRAGMA wal_checkpoint(TRUNCATE)");
        verbindung.ohneCheckpointSchliessen();
    }
    verbindung.ausfuehren(
        "INSERT INTO Preisnotiz VALUES (5, 2, 4, '130.5', 'EUR', 'Bloomberg', 'DE0007164600', 'vonHand', " +
        stichtag +
        ", 'manuell', NULL);"
        "INSERT INTO Preisnotiz VALUES (6, 3, 4, '98.25', 'EUR', 'Börse Frankfurt (XETR)', 'DE0001102580', "
        "'letzterHandel', " +
        kauf +
        ", 'automatisch', "
        "'{\"preisfeststellungen\":3,\"stueckumsatz\":1200,\"umsatzEuro\":\"45678.9\"}');");
}

// The same game kept in rollback-journal mode, as a copy made by hand may be.
// The same store at the current version, migrated.
inline void legeVersion2An(const fs::path& datei) {
    legeVersion1An(datei, false);
    Ablage::oeffne(datei);
}

inline void legeVersion1OhneWalAn(const fs::path& datei) {
    legeVersion1An(datei, false);
    Verbindung(datei).ausfuehren("PRAGMA journal_mode = DELETE");
}

// Leaves `datei` as a commit that died before it deleted its journal: the main file as after
// the commit of `sql`, the journal as before it. `sql` runs on a copy of `datei` (created when
// missing) in rollback-journal mode; ballast after it makes SQLite sync the journal while the
// transaction runs, which is when the journal is copied.
inline void hinterlasseHeissesJournal(const fs::path& datei, const std::string& sql) {
    TempOrdner werkstatt;
    const fs::path quelle = werkstatt / "quelle.sqlite";
    if (fs::exists(datei)) {
        fs::copy_file(datei, quelle);
    }
    Verbindung verbindung(quelle);
    verbindung.ausfuehren("PRAGMA cache_size = 10");
    verbindung.ausfuehren(
        "BEGIN; " + sql +
        "; CREATE TABLE Ballast (x); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
        "FROM n WHERE i < 60) INSERT INTO Ballast SELECT randomblob(3000) FROM n");
    fs::copy_file(fs::path(quelle.string() + "-journal"), fs::path(datei.string() + "-journal"),
                  fs::copy_options::overwrite_existing);
    verbindung.ausfuehren("COMMIT");
    fs::copy_file(quelle, datei, fs::copy_options::overwrite_existing);
}

// Beside the store, the "-wal" of another store: the foreign store lists its tables in another
// order, so its schema page in the "-wal" puts the portfolios where this store keeps an index.
inline void legeFremdeWalDaneben(const fs::path& datei) {
    const fs::path fremd = datei.parent_path() / "fremd.sqlite";
    {
        Verbindung roh(fremd);
        roh.ausfuehren("PRAGMA journal_mode = WAL");
        roh.ausfuehren("CREATE TABLE Metadaten (schluessel TEXT PRIMARY KEY NOT NULL, wert TEXT NOT NULL) "
                       "WITHOUT ROWID; INSERT INTO Metadaten VALUES ('Schemaversion', '2.0.0'); "
                       "CREATE TABLE Preisnotiz (id INTEGER PRIMARY KEY); "
                       "CREATE TABLE Bewertung (id INTEGER PRIMARY KEY); "
                       "CREATE TABLE Portfolio (id INTEGER PRIMARY KEY, gruppenname TEXT, "
                       "startkapital TEXT, kaufdatum INTEGER); "
                       "CREATE TABLE Position (id INTEGER PRIMARY KEY)");
        roh.ausfuehren("PRAGMA wal_checkpoint(TRUNCATE)");
        roh.ohneCheckpointSchliessen();
        roh.ausfuehren("CREATE TABLE Zusatz (x)");
    }
    fs::copy_file(fs::path(fremd.string() + "-wal"), fs::path(datei.string() + "-wal"));
    for (const char* endung : {"", "-wal", "-shm"}) {
        fs::remove(fs::path(fremd.string() + endung));
    }
}

// What a start says of the "-wal" files set aside for one reason, until the user has closed it.
inline std::string hinweisBeiseite(Ablage::Beiseitegrund grund, const fs::path& datei,
                                   const std::vector<fs::path>& beiseite) {
    const bool eine = beiseite.size() == 1;
    const std::string spielstand = "„" + datei.string() + "“";
    std::string orte;
    for (std::size_t i = 0; i < beiseite.size(); ++i) {
        orte += (i == 0 ? "" : i + 1 == beiseite.size() ? " und " : ", ") + ("„" + beiseite[i].string() + "“");
    }
    std::string befund;
    switch (grund) {
    case Ablage::Beiseitegrund::beschaedigt:
        befund = "Sie passen nicht zu dem Spielstand unter " + spielstand +
                 ": Mit ihnen liest SQLite ihn als beschädigt.";
        break;
    case Ablage::Beiseitegrund::unladbar:
        befund =
            "Quinzelbrockat kann sie nicht laden, denn mit ihnen hielte eine Zeile des Spielstands unter " +
            spielstand + " einen Wert, den es nicht annimmt, oder eine Kennung käme zweimal vor.";
        break;
    case Ablage::Beiseitegrund::fensterende:
        befund = eine ? "Als jenes Fenster endete, lag unter " + spielstand +
                            " nicht mehr sein Spiel, denn der Spielstand war verschoben oder ersetzt worden."
                      : "Als jene Fenster endeten, lag unter " + spielstand +
                            " nicht mehr ihr Spiel, denn der Spielstand war verschoben oder ersetzt worden.";
        break;
    }
    return (eine ? "Änderungen aus einem früheren Fenster" : "Änderungen aus früheren Fenstern") +
           std::string(" konnten nicht auf dieses Spiel angewandt werden: ") + befund +
           " Sie sind nicht in diesem Spiel und liegen unverändert in " + orte +
           ". Willst du sie darin haben, gib sie noch einmal ein. " +
           (eine ? "Brauchst du sie nicht mehr, kannst du die Datei löschen; eine Datei daneben, deren Name "
                   "statt "
                   "auf „-wal“ auf „-shm“ endet, gehört dazu."
                 : "Brauchst du sie nicht mehr, kannst du die Dateien löschen; Dateien daneben, deren Namen "
                   "statt "
                   "auf „-wal“ auf „-shm“ enden, gehören dazu.");
}

// The same for a "-wal" that a start set aside because it damaged the store.
inline std::string hinweisNachBeiseite(const fs::path& datei, const fs::path& beiseite) {
    return hinweisBeiseite(Ablage::Beiseitegrund::beschaedigt, datei, {beiseite});
}

// Lines sent one way through a pipe.
class Leitung {
public:
    Leitung(int lesen, int schreiben) : lesen_(lesen), schreiben_(schreiben) {}

    void sende(const std::string& zeile) {
        const std::string text = zeile + "\n";
        std::size_t geschrieben = 0;
        while (geschrieben < text.size()) {
            ssize_t n = ::write(schreiben_, text.data() + geschrieben, text.size() - geschrieben);
            if (n <= 0) {
                return;
            }
            geschrieben += static_cast<std::size_t>(n);
        }
    }
    // The next line; none when the other side has ended.
    std::optional<std::string> lies() {
        std::string zeile;
        char zeichen = 0;
        for (;;) {
            ssize_t n = ::read(lesen_, &zeichen, 1);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return std::nullopt;
            }
            if (zeichen == '\n') {
                return zeile;
            }
            zeile += zeichen;
        }
    }

private:
    int lesen_;
    int schreiben_;
};

// A second program on the same files: a child process that runs `ablauf`, talking to the test
// in lines, and ends without the test program's own exit code. Killed with SIGKILL at the
// latest when the object goes.
class Kindprozess {
public:
    explicit Kindprozess(const std::function<void(Leitung&)>& ablauf) {
        int hin[2], zurueck[2];
        if (::pipe(hin) != 0 || ::pipe(zurueck) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        std::fflush(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(hin[1]);
            ::close(zurueck[0]);
            Leitung leitung(hin[0], zurueck[1]);
            try {
                ablauf(leitung);
            } catch (const std::exception& fehler) {
                leitung.sende(std::string("Ausnahme: ") + fehler.what());
            }
            ::_exit(0);
        }
        ::close(hin[0]);
        ::close(zurueck[1]);
        schreiben_ = hin[1];
        lesen_ = zurueck[0];
    }
    ~Kindprozess() {
        toete();
        ::close(schreiben_);
        ::close(lesen_);
    }
    Kindprozess(const Kindprozess&) = delete;
    Kindprozess& operator=(const Kindprozess&) = delete;

    Leitung leitung() const { return Leitung(lesen_, schreiben_); }
    std::string antwort() { return leitung().lies().value_or("(Kindprozess beendet)"); }
    void sende(const std::string& zeile) { leitung().sende(zeile); }

    // Ends the process as a crash would, and waits until it is gone.
    void toete() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int schreiben_ = -1;
    int lesen_ = -1;
};

// Records every log line while it lives, in place of syslog.
class Protokollmitschnitt {
public:
    struct Zeile {
        Protokoll::Stufe stufe;
        std::string kategorie;
        std::string text;
    };

    Protokollmitschnitt() {
        Protokoll::setzeSenke(
            [this](Protokoll::Stufe stufe, const std::string& kategorie, const std::string& text) {
                std::lock_guard sperre(sperre_);
                zeilen_.push_back({stufe, kategorie, text});
            });
    }
    ~Protokollmitschnitt() { Protokoll::setzeSenke({}); }
    Protokollmitschnitt(const Protokollmitschnitt&) = delete;
    Protokollmitschnitt& operator=(const Protokollmitschnitt&) = delete;

    std::vector<Zeile> zeilen() const {
        std::lock_guard sperre(sperre_);
        return zeilen_;
    }
    std::vector<std::string> texte() const {
        std::vector<std::string> ergebnis;
        for (const auto& zeile : zeilen()) {
            ergebnis.push_back(zeile.text);
        }
        return ergebnis;
    }

private:
    mutable std::mutex sperre_;
    std::vector<Zeile> zeilen_;
};

} // namespace qb::test
