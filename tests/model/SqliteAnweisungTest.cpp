#include <gtest/gtest.h>

#include <cerrno>

#include "model/SqliteAnweisung.h"

using namespace qb;

namespace {

const char* const voll = "Auf dem Datenträger ist kein Platz mehr";

} // namespace

// SQLite's English never reaches the user; the errno behind an I/O or open error names a full
// disk as such whatever code SQLite chose, and names other causes after the sentence.
TEST(SqliteFehler, jederCodeHatEinenDeutschenSatz) {
    struct Fall {
        int code;
        int systemfehler;
        const char* beschreibung;
    };
    const Fall faelle[] = {
        {SQLITE_FULL, 0, voll},
        {SQLITE_IOERR_SHMOPEN, ENOSPC, voll},
        {SQLITE_IOERR_SHMSIZE, ENOSPC, voll},
        {SQLITE_IOERR_WRITE, EDQUOT, voll},
        {SQLITE_IOERR_TRUNCATE, ENOSPC, voll},
        {SQLITE_CANTOPEN, ENOSPC, voll},
        {SQLITE_CANTOPEN, 0, "Die Datenbankdatei lässt sich nicht öffnen"},
        {SQLITE_CANTOPEN, EACCES, "Die Datenbankdatei lässt sich nicht öffnen: Keine Berechtigung"},
        {SQLITE_CANTOPEN, EROFS,
         "Die Datenbankdatei lässt sich nicht öffnen: Der Datenträger ist schreibgeschützt"},
        {SQLITE_IOERR, 0, "Lesen oder Schreiben der Datenbankdatei ist fehlgeschlagen"},
        {SQLITE_IOERR_SHMOPEN, EACCES,
         "Die Begleitdatei „-shm“ der Datenbank lässt sich nicht anlegen oder nutzen: Keine Berechtigung"},
        {SQLITE_IOERR_WRITE, EIO,
         "Schreiben der Datenbankdatei ist fehlgeschlagen: Ein- oder Ausgabefehler des Datenträgers"},
        {SQLITE_IOERR_LOCK, ENOLCK,
         "Die Datenbankdatei lässt sich nicht sperren: Der Datenträger unterstützt keine Dateisperren"},
        {SQLITE_IOERR_SHORT_READ, 0, "Lesen der Datenbankdatei ist fehlgeschlagen"},
        {SQLITE_IOERR_FSYNC, 0, "Die Datenbankdatei ließ sich nicht sicher auf den Datenträger schreiben"},
        {SQLITE_IOERR_NOMEM, 0, "Nicht genug Arbeitsspeicher"},
        // An errno left from an earlier call says nothing about other errors.
        {SQLITE_CONSTRAINT_TRIGGER, ENOSPC, "Eine Bedingung der Datenbank ist verletzt"},
        {SQLITE_CONSTRAINT_FOREIGNKEY, 0,
         "Ein Verweis der Datenbank zeigt auf einen Datensatz, den es nicht gibt"},
        {SQLITE_CONSTRAINT_PRIMARYKEY, 0, "Ein Datensatz der Datenbank ist doppelt vorhanden"},
        {SQLITE_BUSY, 0, "Die Datenbank ist von einem anderen Vorgang gesperrt"},
        {SQLITE_BUSY_RECOVERY, 0, "Die Datenbank wird gerade von einem anderen Vorgang wiederhergestellt"},
        {SQLITE_LOCKED, 0, "Die Datenbank ist von einem anderen Vorgang gesperrt"},
        {SQLITE_READONLY, 0, "Die Datenbank ist schreibgeschützt"},
        {SQLITE_READONLY_DIRECTORY, 0, "Der Ordner der Datenbank ist schreibgeschützt"},
        {SQLITE_READONLY_DBMOVED, 0,
         "Die Datenbankdatei wurde verschoben oder gelöscht, während sie offen war"},
        {SQLITE_CORRUPT, 0, "Die Datenbankdatei ist beschädigt"},
        {SQLITE_CORRUPT_INDEX, 0, "Ein Index der Datenbank ist beschädigt"},
        {SQLITE_NOTADB, 0, "Die Datei ist keine Datenbank"},
        {SQLITE_NOMEM, 0, "Nicht genug Arbeitsspeicher"},
        {SQLITE_PERM, 0, "Keine Berechtigung für die Datenbank"},
        {SQLITE_INTERRUPT, 0, "Der Vorgang der Datenbank wurde unterbrochen"},
        {SQLITE_TOOBIG, 0, "Ein Wert ist zu groß für die Datenbank"},
        {SQLITE_ERROR, 0, "Die Datenbank meldete einen Fehler"},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(std::to_string(fall.code) + "/" + std::to_string(fall.systemfehler));
        const Speicherfehler fehler = sqliteFehler(fall.code, fall.systemfehler);
        EXPECT_EQ(fehler.domaene(), "SQLite");
        EXPECT_EQ(fehler.code(), fall.code);
        EXPECT_STREQ(fehler.what(), fall.beschreibung);
        EXPECT_EQ(fehler.platteVoll(), fall.beschreibung == std::string(voll));
    }
}

// The connection's own error: its code and errno, and no English text of SQLite.
TEST(SqliteFehler, dieVerbindungLiefertCodeUndSystemfehler) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2("file:/nicht/vorhanden/Spielstand.sqlite", &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr),
              SQLITE_CANTOPEN);
    sqlite3_extended_result_codes(db, 1);
    const Speicherfehler fehler = sqliteFehler(db);
    sqlite3_close_v2(db);
    EXPECT_EQ(fehler.code() & 0xff, SQLITE_CANTOPEN);
    EXPECT_STREQ(fehler.what(),
                 "Die Datenbankdatei lässt sich nicht öffnen: Die Datei oder der Ordner fehlt");
}
