#include "model/SqliteAnweisung.h"

#include <cerrno>

#include "foundation/Protokoll.h"
#include "model/Dateisystem.h"

namespace qb {

namespace {

// The store's category, as the opening and the saves log under it.
const Protokoll& protokoll() {
    static const Protokoll speicher("Speicher");
    return speicher;
}

const char* ioGrund(int erweiterterCode) {
    switch (erweiterterCode) {
    case SQLITE_IOERR_READ:
    case SQLITE_IOERR_SHORT_READ:
        return "Lesen der Datenbankdatei ist fehlgeschlagen";
    case SQLITE_IOERR_WRITE:
        return "Schreiben der Datenbankdatei ist fehlgeschlagen";
    case SQLITE_IOERR_FSYNC:
    case SQLITE_IOERR_DIR_FSYNC:
        return "Die Datenbankdatei ließ sich nicht sicher auf den Datenträger schreiben";
    case SQLITE_IOERR_TRUNCATE:
        return "Die Datenbankdatei ließ sich nicht kürzen";
    case SQLITE_IOERR_FSTAT:
    case SQLITE_IOERR_ACCESS:
    case SQLITE_IOERR_CHECKRESERVEDLOCK:
        return "Die Angaben zur Datenbankdatei lassen sich nicht lesen";
    case SQLITE_IOERR_LOCK:
    case SQLITE_IOERR_RDLOCK:
    case SQLITE_IOERR_UNLOCK:
        return "Die Datenbankdatei lässt sich nicht sperren";
    case SQLITE_IOERR_DELETE:
        return "Eine Begleitdatei der Datenbank lässt sich nicht löschen";
    case SQLITE_IOERR_DELETE_NOENT:
        return "Eine Begleitdatei der Datenbank fehlt";
    case SQLITE_IOERR_SHMOPEN:
    case SQLITE_IOERR_SHMSIZE:
    case SQLITE_IOERR_SHMLOCK:
    case SQLITE_IOERR_SHMMAP:
        return "Die Begleitdatei „-shm“ der Datenbank lässt sich nicht anlegen oder nutzen";
    case SQLITE_IOERR_NOMEM:
        return "Nicht genug Arbeitsspeicher";
    case SQLITE_IOERR_CORRUPTFS:
        return "Das Dateisystem des Datenträgers ist beschädigt";
    default:
        return "Lesen oder Schreiben der Datenbankdatei ist fehlgeschlagen";
    }
}

const char* grund(int erweiterterCode) {
    switch (erweiterterCode) {
    case SQLITE_BUSY_RECOVERY:
        return "Die Datenbank wird gerade von einem anderen Vorgang wiederhergestellt";
    case SQLITE_READONLY_DIRECTORY:
        return "Der Ordner der Datenbank ist schreibgeschützt";
    case SQLITE_READONLY_DBMOVED:
        return "Die Datenbankdatei wurde verschoben oder gelöscht, während sie offen war";
    case SQLITE_READONLY_ROLLBACK:
        return "Die Datenbank hat einen unvollendeten Vorgang, der sich ohne Schreibrecht nicht zurücknehmen "
               "lässt";
    case SQLITE_READONLY_RECOVERY:
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_CANTLOCK:
        return "Die Datenbank lässt sich ohne Schreibrecht nicht lesen";
    case SQLITE_CANTOPEN_ISDIR:
        return "Die Datenbankdatei ist ein Ordner";
    case SQLITE_CANTOPEN_FULLPATH:
        return "Der Pfad der Datenbankdatei lässt sich nicht bestimmen";
    case SQLITE_CANTOPEN_SYMLINK:
        return "Die Datenbankdatei ist eine Verknüpfung, die sich nicht öffnen lässt";
    case SQLITE_CANTOPEN_DIRTYWAL:
        return "Die Datenbank hat eine „-wal“-Datei, die sich nicht öffnen lässt";
    case SQLITE_CORRUPT_INDEX:
        return "Ein Index der Datenbank ist beschädigt";
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        return "Ein Verweis der Datenbank zeigt auf einen Datensatz, den es nicht gibt";
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        return "Ein Datensatz der Datenbank ist doppelt vorhanden";
    case SQLITE_CONSTRAINT_NOTNULL:
        return "Ein Pflichtfeld der Datenbank ist leer";
    default:
        break;
    }
    switch (erweiterterCode & 0xff) {
    case SQLITE_INTERNAL:
        return "Die Datenbank meldete einen inneren Fehler";
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return "Keine Berechtigung für die Datenbank";
    case SQLITE_ABORT:
        return "Der Vorgang der Datenbank wurde abgebrochen";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "Die Datenbank ist von einem anderen Vorgang gesperrt";
    case SQLITE_NOMEM:
        return "Nicht genug Arbeitsspeicher";
    case SQLITE_READONLY:
        return "Die Datenbank ist schreibgeschützt";
    case SQLITE_INTERRUPT:
        return "Der Vorgang der Datenbank wurde unterbrochen";
    case SQLITE_IOERR:
        return ioGrund(erweiterterCode);
    case SQLITE_CORRUPT:
        return "Die Datenbankdatei ist beschädigt";
    case SQLITE_FULL:
        return "Auf dem Datenträger ist kein Platz mehr";
    case SQLITE_CANTOPEN:
        return "Die Datenbankdatei lässt sich nicht öffnen";
    case SQLITE_PROTOCOL:
        return "Die Sperren der Datenbank gerieten durcheinander";
    case SQLITE_SCHEMA:
        return "Der Aufbau der Datenbank hat sich während des Vorgangs geändert";
    case SQLITE_TOOBIG:
        return "Ein Wert ist zu groß für die Datenbank";
    case SQLITE_CONSTRAINT:
        return "Eine Bedingung der Datenbank ist verletzt";
    case SQLITE_MISMATCH:
        return "Ein Wert hat den falschen Typ für die Datenbank";
    case SQLITE_MISUSE:
        return "Die Datenbank wurde falsch angesprochen";
    case SQLITE_NOLFS:
        return "Die Datenbankdatei ist zu groß für dieses System";
    case SQLITE_FORMAT:
    case SQLITE_NOTADB:
        return "Die Datei ist keine Datenbank";
    case SQLITE_RANGE:
        return "Ein Wert der Datenbank liegt außerhalb des gültigen Bereichs";
    default:
        return "Die Datenbank meldete einen Fehler";
    }
}

} // namespace

Speicherfehler sqliteFehler(int erweiterterCode, int systemfehler) {
    const int primaer = erweiterterCode & 0xff;
    const bool dateizugriff = primaer == SQLITE_IOERR || primaer == SQLITE_CANTOPEN;
    // SQLite reports a full disk as an I/O error when, say, the "-shm" index cannot be made.
    const bool voll =
        primaer == SQLITE_FULL || (dateizugriff && (systemfehler == ENOSPC || systemfehler == EDQUOT));
    if (voll) {
        return Speicherfehler(sqliteDomaene, erweiterterCode, Dateisystem::grund(ENOSPC), true);
    }
    std::string beschreibung = grund(erweiterterCode);
    if (dateizugriff && systemfehler != 0) {
        beschreibung += ": " + Dateisystem::grund(systemfehler);
    }
    return Speicherfehler(sqliteDomaene, erweiterterCode, beschreibung);
}

Speicherfehler sqliteFehler(sqlite3* db) {
    if (db == nullptr) {
        return sqliteFehler(SQLITE_NOMEM);
    }
    const int code = sqlite3_extended_errcode(db);
    int systemfehler = sqlite3_system_errno(db);
    // SQLite's own words name the table, the constraint or the file: for the log only.
    std::string zeile = "SQLite-Fehler " + std::to_string(code) + ": " + sqlite3_errmsg(db);
    if (systemfehler != 0) {
        zeile += " (errno " + std::to_string(systemfehler) + ")";
    }
    protokoll().fehler(zeile);
    const int primaer = code & 0xff;
    if (primaer == SQLITE_IOERR || primaer == SQLITE_CANTOPEN) {
        // A companion file that cannot be created on a read-only or a full disk is tried again
        // read-only by SQLite, and the errno it keeps is that of the retry; the disk itself tells.
        // Read-only first: a read-only medium may have no free block either.
        const char* datei = sqlite3_db_filename(db, "main");
        if (datei != nullptr && *datei != '\0') {
            if (Dateisystem::istSchreibgeschuetzt(datei)) {
                systemfehler = EROFS;
            } else if (Dateisystem::istVoll(datei)) {
                systemfehler = ENOSPC;
            }
        }
    }
    return sqliteFehler(code, systemfehler);
}

} // namespace qb
