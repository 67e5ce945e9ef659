#pragma once

#include <compare>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Kalender.h"

struct sqlite3;

namespace qb {

class Modellcontainer;
class Protokoll;

// A schema version "major.minor.patch", ordered by its three numbers.
struct Schemaversion {
    int hauptnummer = 0;
    int nebennummer = 0;
    int korrektur = 0;

    // Exactly three non-negative decimal numbers separated by "."; anything else gives none.
    static std::optional<Schemaversion> lies(std::string_view text);
    std::string text() const;

    friend auto operator<=>(const Schemaversion&, const Schemaversion&) = default;
};

// The versioned schema of the store, its migration plan, and the opening of the store with a
// backup before a migration.
class Datenschema {
public:
    Datenschema() = delete;

    // The older model: every price a plain EUR value.
    struct V1 {
        static constexpr Schemaversion version{1, 0, 0};
        // Creates the four tables and records the version; run inside a transaction on an
        // empty database.
        static std::string_view sql();
    };
    // The current model: adds the foreign buy price, its rate and the unit of a position, and
    // the foreign price, its currency and rate of a price note.
    struct V2 {
        static constexpr Schemaversion version{2, 0, 0};
        static std::string_view sql();
    };

    // One stage of the plan: takes an open store from `von` to `nach`. The plan runs each stage
    // in its own transaction; a stage must tolerate finding its changes already made.
    struct Migrationsschritt {
        Schemaversion von;
        Schemaversion nach;
        void (*fuehreAus)(sqlite3* db);
    };
    struct Plan {
        static const std::vector<Schemaversion>& schemas();
        static const std::vector<Migrationsschritt>& stufen();
    };

    // Errors of the domain "Datenschema" (Speicherfehler::code()).
    static constexpr const char* fehlerdomaene = "Datenschema";
    enum Fehler : long {
        neuereVersion = 1,     // written by a newer version of the application
        unbekannteVersion = 2, // a version text that cannot be read or has no way to the current
        fremdeDatenbank = 3,   // an SQLite database that is no store of this application
        ungueltigerWert = 4,   // a row holds a value that no record can take
        unpassendeWal = 5,     // a "-wal" beside the store that does not fit it stays where it is
    };

    // The version recorded in an open database; none when it records none. Throws Speicherfehler.
    static std::optional<Schemaversion> version(sqlite3* db);
    // The version recorded in a store file as SQLite sees it: after rolling back a hot journal
    // and through the "-wal" file. Changes neither the main file nor its "-wal". None when there
    // is no file or it cannot be read as a store.
    static std::optional<Schemaversion> gespeicherteVersion(const std::filesystem::path& datei);
    // Refuses the version found in a database that is not empty when it cannot become the
    // current one: none recorded (a foreign database), a newer one, or one without a way through
    // the plan. Throws Speicherfehler.
    static void pruefeVersion(const std::optional<Schemaversion>& version);
    // Brings an open database to the current version: an empty one gets the current schema, an
    // older one goes through the plan. Throws Speicherfehler; a failed stage leaves the
    // database at the version before it. Inside a transaction of the caller every stage is a
    // savepoint, and the whole migration counts only with the caller's commit.
    static void richteEin(sqlite3* db);

    // Whether the process runs under a test runner: the environment holds one of
    // "XCTestConfigurationFilePath", "XCTestBundlePath", "XCTestSessionIdentifier" (any value).
    static bool istTestlauf();
    // An empty store in memory. Throws Speicherfehler.
    static std::unique_ptr<Modellcontainer> testSpeicher();
    // The store file of the user, backed up first when a migration is due. Throws Speicherfehler:
    // the backup's file error or the store's error. A failure leaves the store file and its
    // "-wal" as they were, apart from SQLite's own recovery of a hot journal. The store is held
    // (Speichersperre) before it is read and while the container lives; a store that another
    // program holds is neither read nor changed.
    static std::unique_ptr<Modellcontainer> oeffneSpeicher();
    // The same for a given store file and moment of opening. A symbolic link at the path stands
    // for the file it names, and one that leads nowhere is refused.
    static std::unique_ptr<Modellcontainer> oeffneSpeicher(const std::filesystem::path& datei,
                                                           Zeitpunkt moment);
    // Copies the store file and its "-wal" and "-shm" companions into the backup folder when the
    // file holds a store that is not at version 2.0.0 or cannot be read as one. The folder when
    // it made copies, none when none were due. A set of copies appears whole or not at all, and a
    // set that a crash left unfinished is finished or removed first. Throws Speicherfehler
    // (domain "Datei"); never overwrites a copy.
    static std::optional<std::filesystem::path> sichereVorMigration(const std::filesystem::path& datei,
                                                                    Zeitpunkt moment);

    // The local date and time in the names of backups and of files set aside: "2025-03-05-233000".
    static std::string zeitstempel(Zeitpunkt moment);

    // $XDG_DATA_HOME/quinzelbrockat/Spielstand.sqlite, by default under ~/.local/share.
    // Creates nothing. Throws Speicherfehler when no home folder is known.
    static std::filesystem::path speicherdatei();
    // The folder "Sicherungen" beside the store file (beside the file a link there names).
    // Creates nothing.
    static std::filesystem::path sicherungsordner();
    static std::filesystem::path sicherungsordner(const std::filesystem::path& datei);

    // The logger of store opening and backup, category "Speicher".
    static const Protokoll& protokoll();
};

} // namespace qb
