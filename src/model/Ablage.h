#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Bewertung.h"
#include "model/Datensatz.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"

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
class Ablage {
public:
    // A new, empty store in memory.
    static std::unique_ptr<Ablage> imArbeitsspeicher();
    // Opens (or creates) the store file, migrating an older schema version in place.
    // Throws Speicherfehler; a failure leaves the file as it was.
    static std::unique_ptr<Ablage> oeffne(const std::filesystem::path& datei);

    ~Ablage();
    Ablage(const Ablage&) = delete;
    Ablage& operator=(const Ablage&) = delete;

    // Throws Speicherfehler.
    Bestand lade();
    // All or nothing: on a failure (Speicherfehler) the store is as before.
    void schreibe(const Aenderungssatz& satz);

    // The connection, for the store's own code and for tests (sqlite3*).
    void* verbindung() const { return db_; }

private:
    explicit Ablage(void* db) : db_(db) {}
    void* db_;
};

} // namespace qb
