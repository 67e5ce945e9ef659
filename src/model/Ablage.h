#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Kalender.h"
#include "model/Bewertung.h"
#include "model/Datensatz.h"
#include "model/Datenschema.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "model/Speichersperre.h"

namespace qb {

// The rows of the four record types as the store keeps them; relationships are record ids.
struct PortfolioZeile {
    DatensatzId id = 0;
    Portfolio::Felder felder;
};

struct PositionZeile {
    DatensatzId id = 0;
    std::optional<DatensatzId> portfolio;
    Position::Felder felder;
};

struct BewertungZeile {
    DatensatzId id = 0;
    std::optional<DatensatzId> portfolio;
    Bewertung::Felder felder;
};

struct PreisnotizZeile {
    DatensatzId id = 0;
    std::optional<DatensatzId> position;
    std::optional<DatensatzId> bewertung;
    Preisnotiz::Felder felder;
};

// Everything a store holds, each list ascending by id.
struct Bestand {
    std::vector<PortfolioZeile> portfolios;
    std::vector<PositionZeile> positionen;
    std::vector<BewertungZeile> bewertungen;
    std::vector<PreisnotizZeile> preisnotizen;
};

// The changes of one save: rows to insert or replace, and ids to delete.
struct Aenderungssatz {
    std::vector<PortfolioZeile> portfolios;
    std::vector<PositionZeile> positionen;
    std::vector<BewertungZeile> bewertungen;
    std::vector<PreisnotizZeile> preisnotizen;
    std::vector<DatensatzId> geloeschtePortfolios;
    std::vector<DatensatzId> geloeschtePositionen;
    std::vector<DatensatzId> geloeschteBewertungen;
    std::vector<DatensatzId> geloeschtePreisnotizen;
};

// The SQLite store of the current schema version: one open connection that reads all rows and
// writes a change set in one transaction. Used on the GUI thread only.
//
// Opening is provisional until bestaetige(): the rows can be loaded and checked, but the store's
// files change only when the opening counts. A store in WAL mode is migrated in place in one
// transaction; a new store, and one in another journal mode, is built beside the store file in
// WAL mode and then renamed into its place, so that the new schema and WAL mode arrive together.
class Ablage {
public:
    // What a store file holds, as SQLite sees it after rolling back a hot journal and reading
    // through the "-wal" file.
    struct Befund {
        bool leer = true; // no file, or a database without any table
        std::optional<Schemaversion> version;
        bool wal = false;
    };

    // Refuses anything but a regular file at the store's path or at its companions' paths.
    // Throws Speicherfehler.
    static void pruefeDateiarten(const std::filesystem::path& datei);
    // Looks at a store file without changing the main file or its "-wal", apart from SQLite's
    // own recovery: a hot journal is rolled back, and a "-wal" without "-shm" gets its index.
    // Throws Speicherfehler (no regular file, no database, a damaged one, an unreadable version).
    static Befund untersuche(const std::filesystem::path& datei);

    // A new, empty store in memory.
    static std::unique_ptr<Ablage> imArbeitsspeicher();
    // Opens (or creates) the store file, migrates an older schema version and loads every row
    // once to check it. Throws Speicherfehler; a failure leaves the files as they were.
    static std::unique_ptr<Ablage> oeffne(const std::filesystem::path& datei);
    // Opens the store file provisionally: refuses a file that cannot become a current store and
    // prepares a migration or a new store, but changes nothing in the files until bestaetige().
    // Destroyed before that, it leaves them as they were (a "-shm" index aside). A symbolic link
    // at the path stands for the file it names. Takes the store's hold first (Speichersperre)
    // and keeps it while it lives. Throws Speicherfehler.
    static std::unique_ptr<Ablage> oeffneVorlaeufig(const std::filesystem::path& datei);
    // The same for the store file of a hold already taken.
    static std::unique_ptr<Ablage> oeffneVorlaeufig(std::unique_ptr<Speichersperre> sperre);
    // Why the changes in a "-wal" were not applied to the store file at the name.
    enum class Beiseitegrund {
        beschaedigt, // with them SQLite reads the store as damaged
        unladbar,    // with them a row holds a value that no record takes, or an id twice
        fensterende, // their window ended after its game had been moved or replaced
    };
    // A "-wal" that does not fit the store file at the name, and where it lies now.
    struct UnpassendeWal {
        enum class Verbleib {
            beiseitegelegt, // moved aside to `ort`
            anderswoOffen,  // still at `ort`: another program has the store file open
            unbewegbar,     // still at `ort`: the move failed for `grund` (German)
        };
        Verbleib verbleib = Verbleib::beiseitegelegt;
        std::filesystem::path ort;
        Beiseitegrund beiseitegrund = Beiseitegrund::beschaedigt;
        std::string grund = {};
    };
    // A "-wal" with which the store file cannot be loaded (SQLite reads it as damaged, or a row
    // holds what no record takes), while the file alone loads whole, was written for another file
    // that lay at this name once, or holds what this program does not take. It goes aside with
    // the "-shm" beside it, under "<store>-nicht-angewandt-<moment>-wal" (numbered when taken),
    // never over a file, with a note for ungemeldeteBeiseite. Nothing moves when a "-journal"
    // lies there or another program has the store file open. None when the "-wal" fits, or
    // either reading cannot be told. For a store held by this process with no connection of its
    // own on it. Logs what it finds.
    static std::optional<UnpassendeWal> legeUnpassendeWalBeiseite(const std::filesystem::path& datei,
                                                                  Zeitpunkt moment);
    // A "-wal" set aside whose telling nobody has closed yet, and the note beside it that asks
    // for it.
    struct Ungemeldet {
        std::filesystem::path wal;
        std::filesystem::path notiz;
        Beiseitegrund grund = Beiseitegrund::fensterende;
    };
    // The set-aside "-wal" files beside the store whose notes are still there, in the order of
    // their names. A note whose "-wal" was removed since goes unseen. For a held store.
    static std::vector<Ungemeldet> ungemeldeteBeiseite(const std::filesystem::path& datei);
    // The user has closed what told of these notes' "-wal" files: the notes go, durably. Logs
    // what fails, and throws nothing.
    static void entferneNotizen(const std::vector<std::filesystem::path>& notizen) noexcept;

    ~Ablage();
    Ablage(const Ablage&) = delete;
    Ablage& operator=(const Ablage&) = delete;

    // Makes a provisional opening count: commits the migration or puts the new store in place,
    // and opens the store for writing. Nothing when that is done. Throws Speicherfehler.
    void bestaetige();
    bool istVorlaeufig() const { return zustand_ != Zustand::bestaetigt; }

    // Throws Speicherfehler.
    Bestand lade();
    // All or nothing: on a failure (Speicherfehler) the store is as before. Confirms a
    // provisional opening first.
    void schreibe(const Aenderungssatz& satz);

    // The connection, for the store's own code and for tests (sqlite3*).
    void* verbindung() const { return db_; }

private:
    enum class Zustand {
        bestaetigt,
        lesend,    // a store at the current version in WAL mode, read-only until confirmed
        migration, // the migration's transaction is open on the store file
        umbau,     // the new store is prepared beside the store file, its transaction open
    };

    // Which file a name leads to, as the file system tells it apart from every other.
    struct Dateikennung {
        unsigned long long geraet = 0;
        unsigned long long knoten = 0;
        bool operator==(const Dateikennung&) const = default;
    };
    // Nothing when stat fails; then `fehlernummer`, when given, holds its errno.
    static std::optional<Dateikennung> kennungVon(const std::filesystem::path& pfad,
                                                  int* fehlernummer = nullptr);
    // The same of the file a descriptor holds.
    static std::optional<Dateikennung> kennungVon(int verweis);

    explicit Ablage(std::filesystem::path datei) : datei_(std::move(datei)) {}
    void migriereAmOrt();
    void baueUm(bool mitInhalt);
    void setzeUmbauEin();
    void merkeDatei();
    void pruefeOrt() const;
    bool liegtAmOrt() const;
    void leereWal(const char* anlass);
    void merkeBegleiter();
    void legeBegleiterBeiseite() noexcept;

    void* db_ = nullptr;
    std::filesystem::path datei_;
    // Released last, after the connection is closed and the rebuild cleared away.
    std::unique_ptr<Speichersperre> sperre_;
    Zustand zustand_ = Zustand::bestaetigt;
    // The store file the connection holds, and a handle on it (O_PATH, -1 for none) that tells
    // whether any name still leads to it.
    std::optional<Dateikennung> kennung_;
    int verweis_ = -1;
    // The "-wal" and "-shm" at the store's name that its connections first read or wrote through
    // (O_PATH handles, -1 for none), so that the game's own companions are told by file, not name.
    int begleitverweise_[2] = {-1, -1};
    bool transaktionOffen_ = false;
    bool walVorher_ = false;
    bool synchron_ = false;
};

} // namespace qb
