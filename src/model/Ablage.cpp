#include "model/Ablage.h"

#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include "model/Assetklasse.h"
#include "model/Datenschema.h"
#include "model/Kursart.h"
#include "model/Notierungsart.h"
#include "model/Preisherkunft.h"
#include "model/SqliteAnweisung.h"

namespace qb {

namespace {

sqlite3* db(void* verbindung) {
    return static_cast<sqlite3*>(verbindung);
}

// Instants are kept as whole microseconds since the epoch, the resolution of Zeitpunkt.
std::int64_t alsZahl(Zeitpunkt zeitpunkt) {
    return zeitpunkt.time_since_epoch().count();
}

std::optional<std::string> alsText(const std::optional<Dezimal>& wert) {
    if (!wert) {
        return std::nullopt;
    }
    return wert->speichertext();
}

// Reads the columns of one row and names the row and column of a value that no record can take.
class Zeilenleser {
public:
    Zeilenleser(const SqliteAnweisung& zeile, const char* tabelle) : zeile_(zeile), tabelle_(tabelle) {}

    DatensatzId id() const { return zeile_.ganzzahl(0); }

    std::optional<DatensatzId> verweis(int spalte, const char* name) const {
        if (zeile_.istNull(spalte)) {
            return std::nullopt;
        }
        return ganzzahl(spalte, name);
    }
    std::int64_t ganzzahl(int spalte, const char* name) const {
        if (zeile_.typ(spalte) != SQLITE_INTEGER) {
            throw ungueltig(name);
        }
        return zeile_.ganzzahl(spalte);
    }
    Zeitpunkt zeitpunkt(int spalte, const char* name) const {
        return Zeitpunkt(std::chrono::microseconds(ganzzahl(spalte, name)));
    }
    std::string text(int spalte, const char* name) const {
        if (zeile_.typ(spalte) != SQLITE_TEXT) {
            throw ungueltig(name);
        }
        return *zeile_.text(spalte);
    }
    std::optional<std::string> optionalerText(int spalte, const char* name) const {
        if (zeile_.istNull(spalte)) {
            return std::nullopt;
        }
        return text(spalte, name);
    }
    Dezimal dezimal(int spalte, const char* name) const {
        auto wert = Dezimal::lies(text(spalte, name));
        if (!wert) {
            throw ungueltig(name);
        }
        return *wert;
    }
    std::optional<Dezimal> optionaleDezimal(int spalte, const char* name) const {
        if (zeile_.istNull(spalte)) {
            return std::nullopt;
        }
        return dezimal(spalte, name);
    }
    template <typename Enum>
    Enum aufzaehlung(int spalte, const char* name, std::optional<Enum> (*aus)(std::string_view)) const {
        auto wert = aus(text(spalte, name));
        if (!wert) {
            throw ungueltig(name);
        }
        return *wert;
    }
    std::optional<Handelsumfang> handelsumfang(int spalte, const char* name) const {
        if (zeile_.istNull(spalte)) {
            return std::nullopt;
        }
        try {
            return Handelsumfang::ausJson(text(spalte, name));
        } catch (const std::invalid_argument&) {
            throw ungueltig(name);
        }
    }

private:
    Speicherfehler ungueltig(const char* name) const {
        return Speicherfehler(Datenschema::fehlerdomaene, Datenschema::ungueltigerWert,
                              std::string("Der Spielstand enthält einen ungültigen Wert: ") + tabelle_ + " " +
                                  std::to_string(id()) + ", Feld „" + name + "“");
    }

    const SqliteAnweisung& zeile_;
    const char* tabelle_;
};

void ladePortfolios(sqlite3* verbindung, Bestand& bestand) {
    SqliteAnweisung abfrage(verbindung,
                            "SELECT id, gruppenname, startkapital, kaufdatum FROM Portfolio ORDER BY id");
    Zeilenleser leser(abfrage, "Portfolio");
    while (abfrage.schritt()) {
        PortfolioZeile zeile;
        zeile.id = leser.id();
        zeile.felder.gruppenname = leser.text(1, "gruppenname");
        zeile.felder.startkapital = leser.dezimal(2, "startkapital");
        zeile.felder.kaufdatum = leser.zeitpunkt(3, "kaufdatum");
        bestand.portfolios.push_back(std::move(zeile));
    }
}

void ladePositionen(sqlite3* verbindung, Bestand& bestand) {
    SqliteAnweisung abfrage(
        verbindung,
        "SELECT id, portfolio, assetklasse, name, kennung, quelle, waehrung, stueckzahl, kaufpreis, "
        "notierung, nennwert, kaufkursOriginal, kaufumrechnung, einheit FROM Position ORDER BY id");
    Zeilenleser leser(abfrage, "Position");
    while (abfrage.schritt()) {
        PositionZeile zeile;
        zeile.id = leser.id();
        zeile.portfolio = leser.verweis(1, "portfolio");
        auto& felder = zeile.felder;
        felder.assetklasse = leser.aufzaehlung(2, "assetklasse", &assetklasseAus);
        felder.name = leser.text(3, "name");
        felder.kennung = leser.text(4, "kennung");
        felder.quelle = leser.text(5, "quelle");
        felder.waehrung = leser.text(6, "waehrung");
        felder.stueckzahl = leser.ganzzahl(7, "stueckzahl");
        felder.kaufpreis = leser.dezimal(8, "kaufpreis");
        felder.notierung = leser.aufzaehlung(9, "notierung", &notierungsartAus);
        felder.nennwert = leser.dezimal(10, "nennwert");
        felder.kaufkursOriginal = leser.optionaleDezimal(11, "kaufkursOriginal");
        felder.kaufumrechnung = leser.optionaleDezimal(12, "kaufumrechnung");
        felder.einheit = leser.optionalerText(13, "einheit");
        bestand.positionen.push_back(std::move(zeile));
    }
}

void ladeBewertungen(sqlite3* verbindung, Bestand& bestand) {
    SqliteAnweisung abfrage(verbindung, "SELECT id, portfolio, datum, notiz FROM Bewertung ORDER BY id");
    Zeilenleser leser(abfrage, "Bewertung");
    while (abfrage.schritt()) {
        BewertungZeile zeile;
        zeile.id = leser.id();
        zeile.portfolio = leser.verweis(1, "portfolio");
        zeile.felder.datum = leser.zeitpunkt(2, "datum");
        zeile.felder.notiz = leser.text(3, "notiz");
        bestand.bewertungen.push_back(std::move(zeile));
    }
}

void ladePreisnotizen(sqlite3* verbindung, Bestand& bestand) {
    SqliteAnweisung abfrage(
        verbindung, "SELECT id, position, bewertung, preis, waehrung, quelle, kennung, art, abgerufenAm, "
                    "herkunft, handelsumfang, preisOriginal, originalwaehrung, umrechnung "
                    "FROM Preisnotiz ORDER BY id");
    Zeilenleser leser(abfrage, "Preisnotiz");
    while (abfrage.schritt()) {
        PreisnotizZeile zeile;
        zeile.id = leser.id();
        zeile.position = leser.verweis(1, "position");
        zeile.bewertung = leser.verweis(2, "bewertung");
        auto& felder = zeile.felder;
        felder.preis = leser.dezimal(3, "preis");
        felder.waehrung = leser.text(4, "waehrung");
        felder.quelle = leser.text(5, "quelle");
        felder.kennung = leser.text(6, "kennung");
        felder.art = leser.aufzaehlung(7, "art", &kursartAus);
        felder.abgerufenAm = leser.zeitpunkt(8, "abgerufenAm");
        felder.herkunft = leser.aufzaehlung(9, "herkunft", &preisherkunftAus);
        felder.handelsumfang = leser.handelsumfang(10, "handelsumfang");
        felder.preisOriginal = leser.optionaleDezimal(11, "preisOriginal");
        felder.originalwaehrung = leser.optionalerText(12, "originalwaehrung");
        felder.umrechnung = leser.optionaleDezimal(13, "umrechnung");
        bestand.preisnotizen.push_back(std::move(zeile));
    }
}

// The context finds every record by its id alone, whatever its type. Two rows with one id
// cannot both be loaded; rather than lose one of them, the store is refused.
void pruefeEindeutigeIds(const Bestand& bestand) {
    std::unordered_set<DatensatzId> gesehen;
    auto pruefe = [&gesehen](const auto& zeilen, const char* tabelle) {
        for (const auto& zeile : zeilen) {
            if (!gesehen.insert(zeile.id).second) {
                throw Speicherfehler(Datenschema::fehlerdomaene, Datenschema::ungueltigerWert,
                                     std::string("Der Spielstand enthält einen ungültigen Wert: ") + tabelle +
                                         " " + std::to_string(zeile.id) + ", Feld „id“");
            }
        }
    };
    pruefe(bestand.portfolios, "Portfolio");
    pruefe(bestand.positionen, "Position");
    pruefe(bestand.bewertungen, "Bewertung");
    pruefe(bestand.preisnotizen, "Preisnotiz");
}

// Rows are written with an upsert, not INSERT OR REPLACE: REPLACE deletes the old row first,
// and the cascade of that deletion would take the row's children with it.
void schreibePortfolios(sqlite3* verbindung, const std::vector<PortfolioZeile>& zeilen) {
    if (zeilen.empty()) {
        return;
    }
    SqliteAnweisung anweisung(
        verbindung,
        "INSERT INTO Portfolio (id, gruppenname, startkapital, kaufdatum) VALUES (?1, ?2, ?3, ?4) "
        "ON CONFLICT (id) DO UPDATE SET gruppenname = excluded.gruppenname, "
        "startkapital = excluded.startkapital, kaufdatum = excluded.kaufdatum");
    for (const auto& zeile : zeilen) {
        anweisung.binde(1, zeile.id);
        anweisung.binde(2, zeile.felder.gruppenname);
        anweisung.binde(3, zeile.felder.startkapital.speichertext());
        anweisung.binde(4, alsZahl(zeile.felder.kaufdatum));
        anweisung.fuehreAus();
        anweisung.zuruecksetzen();
    }
}

void schreibePositionen(sqlite3* verbindung, const std::vector<PositionZeile>& zeilen) {
    if (zeilen.empty()) {
        return;
    }
    SqliteAnweisung anweisung(
        verbindung,
        "INSERT INTO Position (id, portfolio, assetklasse, name, kennung, quelle, waehrung, stueckzahl, "
        "kaufpreis, "
        "notierung, nennwert, kaufkursOriginal, kaufumrechnung, einheit) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14) "
        "ON CONFLICT (id) DO UPDATE SET portfolio = excluded.portfolio, assetklasse = excluded.assetklasse, "
        "name = excluded.name, kennung = excluded.kennung, quelle = excluded.quelle, waehrung = "
        "excluded.waehrung, "
        "stueckzahl = excluded.stueckzahl, kaufpreis = excluded.kaufpreis, notierung = excluded.notierung, "
        "nennwert = excluded.nennwert, kaufkursOriginal = excluded.kaufkursOriginal, "
        "kaufumrechnung = excluded.kaufumrechnung, einheit = excluded.einheit");
    for (const auto& zeile : zeilen) {
        const auto& felder = zeile.felder;
        anweisung.binde(1, zeile.id);
        anweisung.binde(2, zeile.portfolio);
        anweisung.binde(3, rohwert(felder.assetklasse));
        anweisung.binde(4, felder.name);
        anweisung.binde(5, felder.kennung);
        anweisung.binde(6, felder.quelle);
        anweisung.binde(7, felder.waehrung);
        anweisung.binde(8, felder.stueckzahl);
        anweisung.binde(9, felder.kaufpreis.speichertext());
        anweisung.binde(10, rohwert(felder.notierung));
        anweisung.binde(11, felder.nennwert.speichertext());
        anweisung.binde(12, alsText(felder.kaufkursOriginal));
        anweisung.binde(13, alsText(felder.kaufumrechnung));
        anweisung.binde(14, felder.einheit);
        anweisung.fuehreAus();
        anweisung.zuruecksetzen();
    }
}

void schreibeBewertungen(sqlite3* verbindung, const std::vector<BewertungZeile>& zeilen) {
    if (zeilen.empty()) {
        return;
    }
    SqliteAnweisung anweisung(
        verbindung, "INSERT INTO Bewertung (id, portfolio, datum, notiz) VALUES (?1, ?2, ?3, ?4) "
                    "ON CONFLICT (id) DO UPDATE SET portfolio = excluded.portfolio, datum = excluded.datum, "
                    "notiz = excluded.notiz");
    for (const auto& zeile : zeilen) {
        anweisung.binde(1, zeile.id);
        anweisung.binde(2, zeile.portfolio);
        anweisung.binde(3, alsZahl(zeile.felder.datum));
        anweisung.binde(4, zeile.felder.notiz);
        anweisung.fuehreAus();
        anweisung.zuruecksetzen();
    }
}

void schreibePreisnotizen(sqlite3* verbindung, const std::vector<PreisnotizZeile>& zeilen) {
    if (zeilen.empty()) {
        return;
    }
    SqliteAnweisung anweisung(
        verbindung,
        "INSERT INTO Preisnotiz (id, position, bewertung, preis, waehrung, quelle, kennung, art, "
        "abgerufenAm, "
        "herkunft, handelsumfang, preisOriginal, originalwaehrung, umrechnung) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14) "
        "ON CONFLICT (id) DO UPDATE SET position = excluded.position, bewertung = excluded.bewertung, "
        "preis = excluded.preis, waehrung = excluded.waehrung, quelle = excluded.quelle, "
        "kennung = excluded.kennung, art = excluded.art, abgerufenAm = excluded.abgerufenAm, "
        "herkunft = excluded.herkunft, handelsumfang = excluded.handelsumfang, "
        "preisOriginal = excluded.preisOriginal, originalwaehrung = excluded.originalwaehrung, "
        "umrechnung = excluded.umrechnung");
    for (const auto& zeile : zeilen) {
        const auto& felder = zeile.felder;
        anweisung.binde(1, zeile.id);
        anweisung.binde(2, zeile.position);
        anweisung.binde(3, zeile.bewertung);
        anweisung.binde(4, felder.preis.speichertext());
        anweisung.binde(5, felder.waehrung);
        anweisung.binde(6, felder.quelle);
        anweisung.binde(7, felder.kennung);
        anweisung.binde(8, rohwert(felder.art));
        anweisung.binde(9, alsZahl(felder.abgerufenAm));
        anweisung.binde(10, rohwert(felder.herkunft));
        if (felder.handelsumfang) {
            anweisung.binde(11, felder.handelsumfang->alsJson());
        } else {
            anweisung.bindeNull(11);
        }
        anweisung.binde(12, alsText(felder.preisOriginal));
        anweisung.binde(13, felder.originalwaehrung);
        anweisung.binde(14, alsText(felder.umrechnung));
        anweisung.fuehreAus();
        anweisung.zuruecksetzen();
    }
}

void loesche(sqlite3* verbindung, const char* sql, const std::vector<DatensatzId>& ids) {
    if (ids.empty()) {
        return;
    }
    SqliteAnweisung anweisung(verbindung, sql);
    for (DatensatzId id : ids) {
        anweisung.binde(1, id);
        anweisung.fuehreAus();
        anweisung.zuruecksetzen();
    }
}

// Opens a connection with what every connection of the store needs; closes it again when that
// fails.
sqlite3* verbinde(const std::string& uri) {
    sqlite3* verbindung = nullptr;
    int rc = sqlite3_open_v2(uri.c_str(), &verbindung,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        Speicherfehler fehler = sqliteFehler(verbindung);
        sqlite3_close_v2(verbindung);
        throw fehler;
    }
    sqlite3_extended_result_codes(verbindung, 1);
    try {
        // Foreign keys carry the cascade of the records into the store; SQLite has them off
        // by default, per connection.
        fuehreAus(verbindung, "PRAGMA foreign_keys = ON");
    } catch (...) {
        sqlite3_close_v2(verbindung);
        throw;
    }
    return verbindung;
}

} // namespace

std::unique_ptr<Ablage> Ablage::imArbeitsspeicher() {
    std::unique_ptr<Ablage> ablage(new Ablage(verbinde(":memory:")));
    Datenschema::richteEin(db(ablage->db_));
    return ablage;
}

std::unique_ptr<Ablage> Ablage::oeffne(const std::filesystem::path& datei) {
    std::error_code fehler;
    if (std::filesystem::exists(datei, fehler)) {
        // Everything that makes the opening fail is found here, before the first write.
        Datenschema::pruefeDatei(datei);
    }
    // A store in WAL mode may keep its latest changes in the "-wal" file. Closing the last
    // connection would move them into the main file and delete the companions, so after a
    // failed opening the connection closes without that and leaves the files as they were.
    const bool mitWal = std::filesystem::exists(std::filesystem::path(datei.string() + "-wal"), fehler);
    std::unique_ptr<Ablage> ablage(new Ablage(verbinde(sqliteUri(datei))));
    sqlite3* verbindung = db(ablage->db_);
    try {
        {
            // The whole migration is one transaction, and it counts only once the migrated rows
            // load: a row that no record can take fails the opening with the file as it was.
            SqliteTransaktion transaktion(verbindung);
            auto vorher = Datenschema::version(verbindung);
            Datenschema::richteEin(verbindung);
            if (vorher && *vorher != Datenschema::V2::version) {
                ablage->lade();
            }
            transaktion.bestaetige();
        }
        // Switched only now: the migration ran in the journal mode the file came with, so a
        // failed one leaves even the file header as it was.
        SqliteAnweisung modus(verbindung, "PRAGMA journal_mode = WAL");
        modus.schritt();
        if (auto ergebnis = modus.text(0).value_or(""); ergebnis != "wal") {
            throw sqliteFehler(SQLITE_CANTOPEN, ("journal_mode bleibt " + ergebnis).c_str());
        }
    } catch (...) {
        if (mitWal) {
            sqlite3_db_config(verbindung, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        }
        throw;
    }
    return ablage;
}

Ablage::~Ablage() {
    sqlite3_close_v2(db(db_));
}

Bestand Ablage::lade() {
    sqlite3* verbindung = db(db_);
    Bestand bestand;
    // One read transaction, so that the four tables are read at one state.
    SqliteTransaktion transaktion(verbindung, SqliteTransaktion::Art::lesen);
    ladePortfolios(verbindung, bestand);
    ladePositionen(verbindung, bestand);
    ladeBewertungen(verbindung, bestand);
    ladePreisnotizen(verbindung, bestand);
    transaktion.bestaetige();
    pruefeEindeutigeIds(bestand);
    return bestand;
}

void Ablage::schreibe(const Aenderungssatz& satz) {
    sqlite3* verbindung = db(db_);
    SqliteTransaktion transaktion(verbindung);
    // Owners before the owned, so every reference finds its row; deletions the other way round.
    schreibePortfolios(verbindung, satz.portfolios);
    schreibePositionen(verbindung, satz.positionen);
    schreibeBewertungen(verbindung, satz.bewertungen);
    schreibePreisnotizen(verbindung, satz.preisnotizen);
    loesche(verbindung, "DELETE FROM Preisnotiz WHERE id = ?1", satz.geloeschtePreisnotizen);
    loesche(verbindung, "DELETE FROM Bewertung WHERE id = ?1", satz.geloeschteBewertungen);
    loesche(verbindung, "DELETE FROM Position WHERE id = ?1", satz.geloeschtePositionen);
    loesche(verbindung, "DELETE FROM Portfolio WHERE id = ?1", satz.geloeschtePortfolios);
    transaktion.bestaetige();
}

} // namespace qb
