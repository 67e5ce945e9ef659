#pragma once

// The store's thin layer over the SQLite C API: a prepared statement and a transaction that own
// their handles, and the translation of SQLite's errors into Speicherfehler. Only the store's own
// .cpp files include this header.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <sqlite3.h>

#include "model/Speicherfehler.h"

namespace qb {

inline constexpr const char* sqliteDomaene = "SQLite";

// A German sentence for SQLite's extended result code; SQLite's own English text is never shown.
// `systemfehler` is the errno behind an I/O or open error (sqlite3_system_errno): a full disk
// reads as such whatever code SQLite chose for it, and other causes are named after the sentence.
// The form with the connection logs SQLite's text with the code and errno ("Speicher", level
// error), for the developer.
Speicherfehler sqliteFehler(int erweiterterCode, int systemfehler = 0);
Speicherfehler sqliteFehler(sqlite3* db);

// Runs SQL text without results (one or more statements).
inline void fuehreAus(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw sqliteFehler(db);
    }
}

// A file URI for sqlite3_open_v2 with SQLITE_OPEN_URI, so that a file name is never taken for
// a URI by accident and the open mode can travel in the query. Every byte outside the unreserved
// set is escaped, since a file name may hold "?", "#" or "%".
inline std::string sqliteUri(const std::filesystem::path& datei, std::string_view abfrage = {}) {
    std::error_code fehler;
    std::filesystem::path absolut = std::filesystem::absolute(datei, fehler);
    const std::string pfad = (fehler ? datei : absolut).string();
    std::string uri = "file://";
    constexpr char hex[] = "0123456789ABCDEF";
    for (unsigned char zeichen : pfad) {
        bool frei = (zeichen >= 'A' && zeichen <= 'Z') || (zeichen >= 'a' && zeichen <= 'z') ||
                    (zeichen >= '0' && zeichen <= '9') || zeichen == '-' || zeichen == '.' ||
                    zeichen == '_' || zeichen == '~' || zeichen == '/';
        if (frei) {
            uri += static_cast<char>(zeichen);
        } else {
            uri += '%';
            uri += hex[zeichen >> 4];
            uri += hex[zeichen & 0x0f];
        }
    }
    if (!abfrage.empty()) {
        uri += '?';
        uri += abfrage;
    }
    return uri;
}

class SqliteAnweisung {
public:
    SqliteAnweisung(sqlite3* db, std::string_view sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &anweisung_, nullptr) !=
            SQLITE_OK) {
            throw sqliteFehler(db);
        }
    }
    ~SqliteAnweisung() { sqlite3_finalize(anweisung_); }
    SqliteAnweisung(const SqliteAnweisung&) = delete;
    SqliteAnweisung& operator=(const SqliteAnweisung&) = delete;

    // Parameters count from 1, as in SQLite.
    void binde(int nummer, std::int64_t wert) { pruefe(sqlite3_bind_int64(anweisung_, nummer, wert)); }
    void binde(int nummer, std::string_view wert) {
        // A null pointer would bind NULL; an empty text must stay an empty text.
        const char* daten = wert.data() != nullptr ? wert.data() : "";
        pruefe(sqlite3_bind_text64(anweisung_, nummer, daten, wert.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    void bindeNull(int nummer) { pruefe(sqlite3_bind_null(anweisung_, nummer)); }
    template <typename T> void binde(int nummer, const std::optional<T>& wert) {
        if (wert) {
            binde(nummer, *wert);
        } else {
            bindeNull(nummer);
        }
    }

    // True while a row is there to read.
    bool schritt() {
        int rc = sqlite3_step(anweisung_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc == SQLITE_DONE) {
            return false;
        }
        throw sqliteFehler(db_);
    }
    void fuehreAus() {
        while (schritt()) {
        }
    }
    // Ready for the next set of parameters.
    void zuruecksetzen() {
        sqlite3_reset(anweisung_);
        sqlite3_clear_bindings(anweisung_);
    }

    // Columns count from 0, as in SQLite.
    int typ(int spalte) const { return sqlite3_column_type(anweisung_, spalte); }
    bool istNull(int spalte) const { return typ(spalte) == SQLITE_NULL; }
    std::int64_t ganzzahl(int spalte) const { return sqlite3_column_int64(anweisung_, spalte); }
    std::optional<std::string> text(int spalte) const {
        const unsigned char* zeichen = sqlite3_column_text(anweisung_, spalte);
        if (zeichen == nullptr) {
            return std::nullopt;
        }
        return std::string(reinterpret_cast<const char*>(zeichen),
                           static_cast<std::size_t>(sqlite3_column_bytes(anweisung_, spalte)));
    }

private:
    void pruefe(int rc) const {
        if (rc != SQLITE_OK) {
            throw sqliteFehler(db_);
        }
    }

    sqlite3* db_;
    sqlite3_stmt* anweisung_ = nullptr;
};

// A transaction that rolls back in its destructor unless bestaetige() ran. A writing one starts
// with BEGIN IMMEDIATE and so holds the write lock from the start: it never fails halfway for
// want of it. Inside another transaction it is a savepoint: its work then counts only when the
// outer one is committed, and its rollback undoes only its own part.
class SqliteTransaktion {
public:
    enum class Art { lesen, schreiben };

    explicit SqliteTransaktion(sqlite3* db, Art art = Art::schreiben)
        : db_(db), verschachtelt_(sqlite3_get_autocommit(db) == 0) {
        if (verschachtelt_) {
            qb::fuehreAus(db_, "SAVEPOINT stufe");
        } else {
            qb::fuehreAus(db_, art == Art::schreiben ? "BEGIN IMMEDIATE" : "BEGIN");
        }
    }
    ~SqliteTransaktion() {
        if (offen_) {
            sqlite3_exec(db_, verschachtelt_ ? "ROLLBACK TO stufe; RELEASE stufe" : "ROLLBACK", nullptr,
                         nullptr, nullptr);
        }
    }
    SqliteTransaktion(const SqliteTransaktion&) = delete;
    SqliteTransaktion& operator=(const SqliteTransaktion&) = delete;

    void bestaetige() {
        if (sqlite3_exec(db_, verschachtelt_ ? "RELEASE stufe" : "COMMIT", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
            // Taken before the destructor's ROLLBACK overwrites the connection's error.
            throw sqliteFehler(db_);
        }
        offen_ = false;
    }

private:
    sqlite3* db_;
    bool verschachtelt_;
    bool offen_ = true;
};

} // namespace qb
