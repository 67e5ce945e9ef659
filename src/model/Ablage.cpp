#include "model/Ablage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/Protokoll.h"
#include "model/Assetklasse.h"
#include "model/Dateisystem.h"
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
// Every id once across all four tables, and inside 1 ..< max: 0 means "in no context", and the
// next id after the highest stored one must exist. A store that breaks this is refused whole
// rather than loaded with ids that would collide.
void pruefeIds(const Bestand& bestand) {
    std::unordered_set<DatensatzId> gesehen;
    auto pruefe = [&gesehen](const auto& zeilen, const char* tabelle) {
        for (const auto& zeile : zeilen) {
            if (zeile.id < 1 || zeile.id == std::numeric_limits<DatensatzId>::max() || !gesehen.insert(zeile.id).second) {
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

// Every row, read in one transaction so that the four tables are read at one state, and checked
// as the context needs them. Throws Speicherfehler.
Bestand ladeAlles(sqlite3* verbindung) {
    Bestand bestand;
    SqliteTransaktion transaktion(verbindung, SqliteTransaktion::Art::lesen);
    ladePortfolios(verbindung, bestand);
    ladePositionen(verbindung, bestand);
    ladeBewertungen(verbindung, bestand);
    ladePreisnotizen(verbindung, bestand);
    transaktion.bestaetige();
    pruefeIds(bestand);
    return bestand;
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

namespace fs = std::filesystem;

constexpr const char* begleitendungen[] = {"-journal", "-wal", "-shm"};

fs::path begleiter(const fs::path& datei, const char* endung) {
    return fs::path(datei.string() + endung);
}

// Where a new or rebuilt store is made before it takes the store file's place.
fs::path umbaudatei(const fs::path& datei) {
    return begleiter(datei, "-umbau");
}

fs::path ordnerVon(const fs::path& datei) {
    fs::path ordner = datei.parent_path();
    return ordner.empty() ? fs::path(".") : ordner;
}

// Opens a connection with what every writing connection of the store needs; closes it again
// when that fails.
sqlite3* verbinde(const std::string& uri, int art) {
    sqlite3* verbindung = nullptr;
    int rc = sqlite3_open_v2(uri.c_str(), &verbindung, art | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
        Speicherfehler fehler = sqliteFehler(verbindung);
        sqlite3_close_v2(verbindung);
        throw fehler;
    }
    sqlite3_extended_result_codes(verbindung, 1);
    try {
        // Foreign keys carry the cascade of the records into the store; SQLite has them off
        // by default, per connection. The connection reads nothing yet: after a new store was
        // put in place, not even a full disk may fail the opening any more.
        fuehreAus(verbindung, "PRAGMA foreign_keys = ON");
    } catch (...) {
        sqlite3_close_v2(verbindung);
        throw;
    }
    return verbindung;
}

void schalteAufWal(sqlite3* verbindung) {
    SqliteAnweisung modus(verbindung, "PRAGMA journal_mode = WAL");
    modus.schritt();
    if (auto ergebnis = modus.text(0).value_or(""); ergebnis != "wal") {
        Datenschema::protokoll().fehler("SQLite: journal_mode bleibt " + ergebnis);
        throw Speicherfehler(sqliteDomaene, SQLITE_CANTOPEN,
                             "Die Datenbank lässt sich nicht in den WAL-Modus schalten");
    }
}

// Closing the last connection moves the "-wal" into the main file and deletes it; switched off
// while the opening is provisional, so that a failed one leaves a "-wal" as it found it.
void ohneCheckpointBeimSchliessen(sqlite3* verbindung, bool an) {
    sqlite3_db_config(verbindung, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, an ? 1 : 0, nullptr);
}

// Lets SQLite roll back a hot journal, which a read-only connection may not do: the recovery
// that any writer of the file would make.
void stelleWiederHer(const fs::path& datei) {
    sqlite3* verbindung = verbinde(sqliteUri(datei), SQLITE_OPEN_READWRITE);
    ohneCheckpointBeimSchliessen(verbindung, Dateisystem::existiert(begleiter(datei, "-wal")));
    try {
        fuehreAus(verbindung, "SELECT count(*) FROM sqlite_master");
    } catch (...) {
        sqlite3_close_v2(verbindung);
        throw;
    }
    sqlite3_close_v2(verbindung);
}

// A read-only connection that sees the store as SQLite does, without writing to the main file
// or the "-wal". With neither "-wal" nor "-journal" the main file is all there is, and immutable
// reads it without creating anything (a plain read-only look at a file in WAL mode would leave
// an empty "-wal" and a "-shm" behind). Reading a "-wal" may rebuild its "-shm" index, as any
// reader does.
sqlite3* oeffneLesend(const fs::path& datei) {
    bool wiederhergestellt = false;
    for (;;) {
        const bool begleitet = Dateisystem::existiert(begleiter(datei, "-wal")) ||
                               Dateisystem::existiert(begleiter(datei, "-journal"));
        sqlite3* verbindung = nullptr;
        int rc = sqlite3_open_v2(sqliteUri(datei, begleitet ? "mode=ro" : "mode=ro&immutable=1").c_str(),
                                 &verbindung, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_extended_result_codes(verbindung, 1);
            // The first read finds a hot journal.
            rc = sqlite3_exec(verbindung, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK) {
                return verbindung;
            }
        }
        const int code = verbindung != nullptr ? sqlite3_extended_errcode(verbindung) : rc;
        if (code == SQLITE_READONLY_ROLLBACK && !wiederhergestellt) {
            sqlite3_close_v2(verbindung);
            stelleWiederHer(datei);
            wiederhergestellt = true;
            continue;
        }
        Speicherfehler fehler = sqliteFehler(verbindung);
        sqlite3_close_v2(verbindung);
        throw fehler;
    }
}

// Bytes 18 and 19 of the header: 2 for WAL mode. Read through the connection's own file handle;
// a second descriptor of this process, once closed, would drop SQLite's locks on the file.
bool kopfNenntWal(sqlite3* verbindung) {
    sqlite3_file* datei = nullptr;
    if (sqlite3_file_control(verbindung, "main", SQLITE_FCNTL_FILE_POINTER, &datei) != SQLITE_OK ||
        datei == nullptr || datei->pMethods == nullptr) {
        return false;
    }
    unsigned char kopf[20] = {};
    return datei->pMethods->xRead(datei, kopf, sizeof kopf, 0) == SQLITE_OK && kopf[18] == 2 && kopf[19] == 2;
}

Ablage::Befund befundVon(sqlite3* verbindung, const fs::path& datei) {
    Ablage::Befund befund;
    SqliteAnweisung tabellen(verbindung, "SELECT count(*) FROM sqlite_master");
    tabellen.schritt();
    befund.leer = tabellen.ganzzahl(0) == 0;
    if (!befund.leer) {
        befund.version = Datenschema::version(verbindung);
    }
    befund.wal = kopfNenntWal(verbindung) || Dateisystem::existiert(begleiter(datei, "-wal"));
    return befund;
}

std::string inAnfuehrung(const fs::path& pfad) {
    return "„" + pfad.string() + "“";
}

void entferneUmbau(const fs::path& neu) {
    Dateisystem::entferne(neu);
    for (const char* endung : begleitendungen) {
        Dateisystem::entferne(begleiter(neu, endung));
    }
}

// A "-wal" and the "-shm" that indexes it go aside together.
constexpr const char* walEndungen[] = {"-wal", "-shm"};
// Beside a "-wal" set aside, until the user has closed what told of it; its name says why it
// went aside. A window's end wrote the first kind alone once.
struct Notizart {
    const char* endung;
    Ablage::Beiseitegrund grund;
};
constexpr Notizart notizarten[] = {
    {"-ungemeldet", Ablage::Beiseitegrund::fensterende},
    {"-ungemeldet-beschaedigt", Ablage::Beiseitegrund::beschaedigt},
    {"-ungemeldet-unladbar", Ablage::Beiseitegrund::unladbar},
};
constexpr const char* beiseiteZusatz = "-nicht-angewandt-";

const char* notizendung(Ablage::Beiseitegrund grund) {
    for (const auto& art : notizarten) {
        if (art.grund == grund) {
            return art.endung;
        }
    }
    return notizarten[0].endung;
}

bool hatInhalt(const fs::path& datei) {
    struct stat angaben {};
    return ::stat(datei.c_str(), &angaben) == 0 && angaben.st_size > 0;
}

// Moves the store's companions of the given endings under one name of their own beside it, the
// same for both, so that a "-wal" keeps its "-shm"; durable on return. A note beside them, named
// for `grund`, asks every start to tell the user until the user has closed that telling: a
// window that ends before, even the one that moved them, would leave them untold. The new name
// without ending. Throws Speicherfehler.
fs::path legeBeiseite(const fs::path& datei, const std::vector<const char*>& endungen, Zeitpunkt moment,
                      Ablage::Beiseitegrund grund) {
    const auto belegt = [](const std::string& basis) {
        return std::any_of(
                   std::begin(notizarten), std::end(notizarten),
                   [&basis](const Notizart& art) { return Dateisystem::existiert(basis + art.endung); }) ||
               std::any_of(std::begin(walEndungen), std::end(walEndungen),
                           [&basis](const char* endung) { return Dateisystem::existiert(basis + endung); });
    };
    const std::string stamm = datei.string() + beiseiteZusatz + Datenschema::zeitstempel(moment);
    std::string basis = stamm;
    for (int nummer = 2; belegt(basis); ++nummer) {
        basis = stamm + "-" + std::to_string(nummer);
    }
    // The note comes first: a note without its "-wal" is dropped unseen, a "-wal" without its
    // note would never be told after a window's end.
    const fs::path notiz = basis + notizendung(grund);
    const int verweis = ::open(notiz.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool notiert = verweis >= 0;
    if (notiert) {
        ::close(verweis);
    } else {
        Datenschema::protokoll().fehler("Notiz " + notiz.string() + " nicht angelegt: errno " +
                                        std::to_string(errno));
    }
    try {
        for (const char* endung : endungen) {
            Dateisystem::benenneUmOhneErsetzen(begleiter(datei, endung), basis + endung);
        }
    } catch (const Speicherfehler&) {
        if (notiert) {
            ::unlink(notiz.c_str());
        }
        throw;
    }
    Dateisystem::synchronisiereOrdner(ordnerVon(datei));
    return basis;
}

enum class Ladbarkeit {
    ganz,
    beschaedigt, // SQLite finds it corrupt
    unladbar,    // a row that no record takes, or an id twice
    unbekannt,   // reading failed for another reason
};

// Whether the program can load the store whole: SQLite reads it without finding it corrupt, its
// integrity check finds nothing, and a store of the current version holds no row that a record
// cannot take. Through its "-wal", or the main file alone. Unknown when reading fails for another
// reason (a lock, a read error, a version this program does not read), which says nothing about
// the content. Raw calls where SQLite judges, so that an expected verdict is not logged as a
// failure.
Ladbarkeit ladbarkeit(const fs::path& datei, bool mitWal) {
    sqlite3* verbindung = nullptr;
    std::optional<bool> ganz;
    bool unladbar = false;
    int code = sqlite3_open_v2(sqliteUri(datei, mitWal ? "mode=ro" : "mode=ro&immutable=1").c_str(),
                               &verbindung, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_stmt* befunde = nullptr;
        if (sqlite3_prepare_v2(verbindung,
                               "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'",
                               -1, &befunde, nullptr) == SQLITE_OK &&
            sqlite3_step(befunde) == SQLITE_ROW) {
            ganz = sqlite3_column_int64(befunde, 0) == 0;
        }
        code = sqlite3_errcode(verbindung);
        sqlite3_finalize(befunde);
    }
    if (ganz == true) {
        // What the integrity check cannot see: values and ids that only the program refuses.
        try {
            if (Datenschema::version(verbindung) == Datenschema::V2::version) {
                ladeAlles(verbindung);
            }
        } catch (const Speicherfehler& fehler) {
            unladbar = fehler.domaene() == Datenschema::fehlerdomaene &&
                       fehler.code() == Datenschema::ungueltigerWert;
            ganz = std::nullopt;
        }
    }
    sqlite3_close_v2(verbindung);
    if (unladbar) {
        return Ladbarkeit::unladbar;
    }
    if (ganz == false || (!ganz && (code == SQLITE_CORRUPT || code == SQLITE_NOTADB))) {
        return Ladbarkeit::beschaedigt;
    }
    return ganz ? Ladbarkeit::ganz : Ladbarkeit::unbekannt;
}

// Whether another program has the store file open through SQLite: a connection holds a read lock
// on the file's shared lock bytes (SQLite's pending byte 0x40000000 and the 511 after it) for as
// long as it uses the "-wal". Its "-wal" must not be moved from under it. Asked on a descriptor
// of its own, whose close would drop any lock of this process's on the file; the caller has
// none. True when that cannot be told.
bool anderswoOffen(const fs::path& datei) {
    const int fd = ::open(datei.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    struct flock sperre {};
    sperre.l_type = F_WRLCK;
    sperre.l_whence = SEEK_SET;
    sperre.l_start = 0x40000000;
    sperre.l_len = 512;
    const bool offen = ::fcntl(fd, F_GETLK, &sperre) != 0 || sperre.l_type != F_UNLCK;
    ::close(fd);
    return offen;
}

} // namespace

std::optional<Ablage::UnpassendeWal> Ablage::legeUnpassendeWalBeiseite(const fs::path& datei, Zeitpunkt moment) {
    const fs::path wal = begleiter(datei, "-wal");
    // A "-wal" of the store's own game applies whole: the normal recovery after a crash.
    if (!hatInhalt(wal) || !Dateisystem::existiert(datei) ||
        Dateisystem::existiert(begleiter(datei, "-journal"))) {
        return std::nullopt;
    }
    const Ladbarkeit mitWal = ladbarkeit(datei, true);
    if ((mitWal != Ladbarkeit::beschaedigt && mitWal != Ladbarkeit::unladbar) ||
        ladbarkeit(datei, false) != Ladbarkeit::ganz) {
        return std::nullopt;
    }
    const Beiseitegrund grund =
        mitWal == Ladbarkeit::beschaedigt ? Beiseitegrund::beschaedigt : Beiseitegrund::unladbar;
    if (anderswoOffen(datei)) {
        Datenschema::protokoll().fehler(
            wal.string() + " passt nicht zu " + datei.string() +
            ", bleibt aber liegen: ein anderes Programm hat den Spielstand offen");
        return UnpassendeWal{UnpassendeWal::Verbleib::anderswoOffen, wal, grund};
    }
    try {
        std::vector<const char*> endungen{"-wal"};
        if (Dateisystem::existiert(begleiter(datei, "-shm"))) {
            endungen.push_back("-shm");
        }
        const fs::path neu = begleiter(legeBeiseite(datei, endungen, moment, grund), "-wal");
        Datenschema::protokoll().standard(
            wal.string() + " passt nicht zu " + datei.string() + " (mit ihr " +
            (grund == Beiseitegrund::beschaedigt ? "beschaedigt" : "nicht ladbar") +
            ", ohne sie ganz), beiseitegelegt: " + neu.string());
        return UnpassendeWal{UnpassendeWal::Verbleib::beiseitegelegt, neu, grund};
    } catch (const Speicherfehler& fehler) {
        Datenschema::protokoll().fehler(wal.string() + " passt nicht zu " + datei.string() +
                                        ", liess sich nicht beiseitelegen: " + fehler.what());
        return UnpassendeWal{UnpassendeWal::Verbleib::unbewegbar, wal, grund,
                             fehler.domaene() == Dateisystem::domaene
                                 ? Dateisystem::grund(static_cast<int>(fehler.code()))
                                 : std::string(fehler.what())};
    }
}

std::vector<Ablage::Ungemeldet> Ablage::ungemeldeteBeiseite(const fs::path& datei) {
    const std::string praefix = datei.filename().string() + beiseiteZusatz;
    const fs::path ordner = ordnerVon(datei);
    std::vector<Ungemeldet> gefunden;
    std::error_code fehler;
    for (fs::directory_iterator eintrag(ordner, fehler), ende; !fehler && eintrag != ende;
         eintrag.increment(fehler)) {
        const std::string name = eintrag->path().filename().string();
        if (!name.starts_with(praefix)) {
            continue;
        }
        for (const auto& art : notizarten) {
            if (name.ends_with(art.endung)) {
                const std::string pfad = eintrag->path().string();
                gefunden.push_back({pfad.substr(0, pfad.size() - std::strlen(art.endung)) + "-wal",
                                    eintrag->path(), art.grund});
            }
        }
    }
    if (fehler) {
        Datenschema::protokoll().fehler("Ordner " + ordner.string() + " nicht gelesen: " + fehler.message());
    }
    std::sort(gefunden.begin(), gefunden.end(),
              [](const Ungemeldet& a, const Ungemeldet& b) { return a.wal < b.wal; });
    std::vector<Ungemeldet> ungemeldet;
    std::vector<fs::path> verwaist;
    for (auto& eintrag : gefunden) {
        // Removed by hand since: nothing left to tell.
        if (Dateisystem::existiert(eintrag.wal)) {
            ungemeldet.push_back(std::move(eintrag));
        } else {
            verwaist.push_back(eintrag.notiz);
        }
    }
    entferneNotizen(verwaist);
    return ungemeldet;
}

void Ablage::entferneNotizen(const std::vector<fs::path>& notizen) noexcept {
    if (notizen.empty()) {
        return;
    }
    try {
        for (const fs::path& notiz : notizen) {
            try {
                Dateisystem::entferne(notiz);
            } catch (const Speicherfehler& grund) {
                Datenschema::protokoll().fehler("Notiz " + notiz.string() +
                                                " nicht entfernt: " + grund.what());
            }
        }
        try {
            Dateisystem::synchronisiereOrdner(ordnerVon(notizen.front()));
        } catch (const Speicherfehler&) {
            // Told again after a power cut at worst.
        }
    } catch (const std::exception&) {
        // Only the log's own allocation; the notes are told again at worst.
    }
}

void Ablage::pruefeDateiarten(const fs::path& datei) {
    Dateisystem::pruefeGewoehnlicheDatei(datei);
    for (const char* endung : begleitendungen) {
        Dateisystem::pruefeGewoehnlicheDatei(begleiter(datei, endung));
    }
}

Ablage::Befund Ablage::untersuche(const fs::path& datei) {
    pruefeDateiarten(datei);
    if (!Dateisystem::existiert(datei)) {
        return Befund{};
    }
    sqlite3* verbindung = oeffneLesend(datei);
    try {
        Befund befund = befundVon(verbindung, datei);
        sqlite3_close_v2(verbindung);
        return befund;
    } catch (...) {
        sqlite3_close_v2(verbindung);
        throw;
    }
}

std::unique_ptr<Ablage> Ablage::imArbeitsspeicher() {
    std::unique_ptr<Ablage> ablage(new Ablage(fs::path()));
    ablage->db_ = verbinde(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    Datenschema::richteEin(db(ablage->db_));
    return ablage;
}

std::unique_ptr<Ablage> Ablage::oeffne(const fs::path& datei) {
    auto ablage = oeffneVorlaeufig(datei);
    ablage->lade();
    ablage->bestaetige();
    return ablage;
}

std::unique_ptr<Ablage> Ablage::oeffneVorlaeufig(const fs::path& datei) {
    // A store kept on another drive through a link is worked on where it lies; a rebuild renamed
    // over the link would leave the linked game behind.
    const fs::path ziel = Dateisystem::verknuepfungsziel(datei);
    pruefeDateiarten(ziel);
    return oeffneVorlaeufig(std::make_unique<Speichersperre>(ziel));
}

std::unique_ptr<Ablage> Ablage::oeffneVorlaeufig(std::unique_ptr<Speichersperre> sperre) {
    const fs::path datei = sperre->datei();
    pruefeDateiarten(datei);
    std::unique_ptr<Ablage> ablage(new Ablage(datei));
    ablage->sperre_ = std::move(sperre);
    Befund befund;
    if (Dateisystem::existiert(datei)) {
        // Everything that refuses the file is found here, before the first write.
        sqlite3* blick = oeffneLesend(datei);
        try {
            befund = befundVon(blick, datei);
            if (!befund.leer) {
                Datenschema::pruefeVersion(befund.version);
            }
        } catch (...) {
            sqlite3_close_v2(blick);
            throw;
        }
        if (!befund.leer && befund.wal && befund.version == Datenschema::V2::version) {
            ablage->db_ = blick;
            ablage->zustand_ = Zustand::lesend;
            // The rows come from this file; the connection for writing opens the name again later.
            ablage->merkeDatei();
            ablage->merkeBegleiter();
            return ablage;
        }
        sqlite3_close_v2(blick);
    }
    if (befund.leer || !befund.wal) {
        ablage->baueUm(!befund.leer);
    } else {
        ablage->migriereAmOrt();
    }
    return ablage;
}

// In WAL mode the whole migration is one transaction of the store file: nothing reaches the
// files before its commit, and a crash before the commit leaves the old version.
void Ablage::migriereAmOrt() {
    zustand_ = Zustand::migration;
    walVorher_ = Dateisystem::existiert(begleiter(datei_, "-wal"));
    sqlite3* verbindung = verbinde(sqliteUri(datei_), SQLITE_OPEN_READWRITE);
    db_ = verbindung;
    merkeDatei();
    // Without a "-wal" before, the normal close removes the one this connection made.
    ohneCheckpointBeimSchliessen(verbindung, walVorher_);
    fuehreAus(verbindung, "BEGIN IMMEDIATE");
    transaktionOffen_ = true;
    merkeBegleiter();
    Datenschema::richteEin(verbindung);
}

// Another journal mode needs its own transaction to become WAL, so the schema and WAL mode are
// made together on a copy, which then replaces the store file in one rename.
void Ablage::baueUm(bool mitInhalt) {
    const fs::path neu = umbaudatei(datei_);
    // Left over from a start that died while it built the new store.
    entferneUmbau(neu);
    zustand_ = Zustand::umbau;
    if (mitInhalt) {
        Dateisystem::kopiere(datei_, neu);
    }
    sqlite3* verbindung = verbinde(sqliteUri(neu), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db_ = verbindung;
    schalteAufWal(verbindung);
    fuehreAus(verbindung, "BEGIN IMMEDIATE");
    transaktionOffen_ = true;
    Datenschema::richteEin(verbindung);
}

void Ablage::setzeUmbauEin() {
    const fs::path neu = umbaudatei(datei_);
    sqlite3* verbindung = db(db_);
    fuehreAus(verbindung, "COMMIT");
    transaktionOffen_ = false;
    {
        // The new file must hold everything by itself before it takes the store file's place.
        SqliteAnweisung pruefpunkt(verbindung, "PRAGMA wal_checkpoint(TRUNCATE)");
        pruefpunkt.schritt();
        if (pruefpunkt.ganzzahl(0) != 0 || pruefpunkt.ganzzahl(1) != 0) {
            Datenschema::protokoll().fehler("SQLite: wal_checkpoint(TRUNCATE) unvollstaendig, busy " +
                                            std::to_string(pruefpunkt.ganzzahl(0)) + ", log " +
                                            std::to_string(pruefpunkt.ganzzahl(1)));
            throw sqliteFehler(SQLITE_BUSY);
        }
    }
    sqlite3_close_v2(verbindung);
    db_ = nullptr;
    Dateisystem::synchronisiere(neu);
    // Whatever lies beside the store file belongs to no state that counts: the look rolled back
    // a hot journal, and a store with a "-wal" is migrated in place. Left there, a journal or a
    // "-wal" would be applied to the new file; their removal is durable before it arrives.
    const fs::path ordner = ordnerVon(datei_);
    for (const char* endung : begleitendungen) {
        Dateisystem::entferne(begleiter(datei_, endung));
    }
    Dateisystem::synchronisiereOrdner(ordner);
    Dateisystem::benenneUm(neu, datei_);
    Dateisystem::synchronisiereOrdner(ordner);
    zustand_ = Zustand::bestaetigt;
    try {
        entferneUmbau(neu);
    } catch (const Speicherfehler&) {
        // Only the new file's own companions, which its close removed already; any leftover
        // goes with the next rebuild.
    }
    db_ = verbinde(sqliteUri(datei_), SQLITE_OPEN_READWRITE);
    merkeDatei();
}

void Ablage::bestaetige() {
    switch (zustand_) {
    case Zustand::bestaetigt:
        return;
    case Zustand::lesend:
        sqlite3_close_v2(db(db_));
        db_ = nullptr;
        db_ = verbinde(sqliteUri(datei_), SQLITE_OPEN_READWRITE);
        break;
    case Zustand::migration:
        fuehreAus(db(db_), "COMMIT");
        transaktionOffen_ = false;
        ohneCheckpointBeimSchliessen(db(db_), false);
        break;
    case Zustand::umbau:
        setzeUmbauEin();
        break;
    }
    zustand_ = Zustand::bestaetigt;
    // What the opening applied from a "-wal" (a crash's last saves, a migration) goes into the
    // store file now, as a save's does: a copy of the file alone holds what the window shows,
    // and the next start has no "-wal" to judge. Taking up the "-wal" here also lets the close
    // empty it: SQLite opens it only at a connection's first read, and a connection that never
    // opened it leaves it at its close, however full. Only into the file this store read.
    if (!datei_.empty() && hatInhalt(begleiter(datei_, "-wal")) && kennung_ && liegtAmOrt()) {
        leereWal("nach dem Oeffnen");
    }
}

std::optional<Ablage::Dateikennung> Ablage::kennungVon(const fs::path& pfad, int* fehlernummer) {
    struct stat angaben {};
    if (::stat(pfad.c_str(), &angaben) != 0) {
        if (fehlernummer != nullptr) {
            *fehlernummer = errno;
        }
        return std::nullopt;
    }
    return Dateikennung{static_cast<unsigned long long>(angaben.st_dev),
                        static_cast<unsigned long long>(angaben.st_ino)};
}

std::optional<Ablage::Dateikennung> Ablage::kennungVon(int verweis) {
    struct stat angaben {};
    if (verweis < 0 || ::fstat(verweis, &angaben) != 0) {
        return std::nullopt;
    }
    return Dateikennung{static_cast<unsigned long long>(angaben.st_dev),
                        static_cast<unsigned long long>(angaben.st_ino)};
}

// Which file the connection holds, taken right after it opened the name. The handle is O_PATH:
// closing it drops none of SQLite's locks on the file, as closing any other descriptor of the
// file in this process would.
void Ablage::merkeDatei() {
    if (verweis_ >= 0) {
        ::close(verweis_);
    }
    verweis_ = ::open(datei_.c_str(), O_PATH | O_CLOEXEC);
    kennung_ = kennungVon(verweis_);
}

// Whether the store's name still leads to the file this connection holds. SQLite compares the
// inode alone; the recorded identity adds the device.
bool Ablage::liegtAmOrt() const {
    int verschoben = 0;
    if (sqlite3_file_control(db(db_), "main", SQLITE_FCNTL_HAS_MOVED, &verschoben) != SQLITE_OK) {
        verschoben = 0;
    }
    return verschoben == 0 && kennungVon(datei_) == kennung_;
}

// A save goes into the game this window opened or nowhere: pages of this store written beside
// another file at its name would corrupt that game, and those of a deleted game would go with
// the window. The store's name no longer leads to the file this connection holds when that file
// was moved, renamed, deleted or replaced by another one at its name (a sync client's newer copy,
// a backup put back), or its folder so. A name that cannot be looked up is no proof of a move:
// that error is named.
void Ablage::pruefeOrt() const {
    if (datei_.empty() || db_ == nullptr || liegtAmOrt()) {
        return;
    }
    int fehlernummer = 0;
    const auto jetzt = kennungVon(datei_, &fehlernummer);
    const std::string ort = inAnfuehrung(datei_);
    const std::string schutz = "Damit kein anderes Spiel überschrieben wird, speichert dieses Fenster ";
    if (!jetzt && fehlernummer != ENOENT && fehlernummer != ENOTDIR) {
        Datenschema::protokoll().fehler("Speichern abgewiesen, die Datei unter " + datei_.string() +
                                        " laesst sich nicht pruefen: errno " + std::to_string(fehlernummer));
        throw Speicherfehler(Dateisystem::domaene, fehlernummer,
                             "Ob unter " + ort + " noch das Spiel dieses Fensters liegt, lässt sich nicht " +
                                 "prüfen: " + Dateisystem::grund(fehlernummer) + ". " + schutz +
                                 "erst wieder, wenn sich das prüfen lässt.");
    }
    struct stat gehalten {};
    if (!jetzt && verweis_ >= 0 && ::fstat(verweis_, &gehalten) == 0 && gehalten.st_nlink == 0) {
        Datenschema::protokoll().fehler("Speichern abgewiesen, die Datei unter " + datei_.string() +
                                        " wurde geloescht");
        throw Speicherfehler(Dateisystem::domaene, ENOENT,
                             "Der Spielstand wurde gelöscht, während dieses Fenster ihn offen hatte: Unter " +
                                 ort + " liegt kein Spiel mehr. Was dieses Fenster noch speicherte, ginge " +
                                 "mit ihm verloren; darum speichert es nicht mehr. Schließe es; liegt beim " +
                                 "nächsten Start unter " + ort + " noch immer nichts, legt Quinzelbrockat " +
                                 "dort ein neues, leeres Spiel an.");
    }
    std::string text = "Der Spielstand wurde verschoben oder ersetzt, während dieses Fenster ihn offen " +
                       std::string("hatte: Unter ") + ort + " liegt nicht mehr das Spiel dieses Fensters";
    if (auto ordner = sperre_ ? sperre_->ordnerJetzt() : std::nullopt) {
        const fs::path woanders = *ordner / datei_.filename();
        if (woanders != datei_ && kennungVon(woanders) == kennung_) {
            text += ", es liegt jetzt unter " + inAnfuehrung(woanders);
        }
    }
    text += ". " + schutz + "nicht. Schließe es; beim nächsten Start öffnet Quinzelbrockat, was dann unter " +
            ort + " liegt.";
    Datenschema::protokoll().fehler("Speichern abgewiesen, die Datei unter " + datei_.string() +
                                    " ist nicht mehr die geöffnete");
    throw Speicherfehler(Dateisystem::domaene, ESTALE, text);
}

// Saved pages left in the "-wal" until the program ends would, after a crash, be applied to
// whatever store lies at its name by then. Moved into the store file after every save, the
// "-wal" holds no more than the save in progress. The save or opening itself has counted
// already, so nothing here fails it. While another program reads the store, SQLite may neither
// copy what that reader still needs nor restart the "-wal": the checkpoint then says busy in its
// row (not as an error), and the pages stay until a save or the close after that reader's end.
void Ablage::leereWal(const char* anlass) {
    if (datei_.empty()) {
        return;
    }
    try {
        SqliteAnweisung pruefpunkt(db(db_), "PRAGMA wal_checkpoint(TRUNCATE)");
        pruefpunkt.schritt();
        if (pruefpunkt.ganzzahl(0) != 0) {
            Datenschema::protokoll().standard(std::string("SQLite: wal_checkpoint(TRUNCATE) ") + anlass +
                                              " blockiert, ein anderes Programm liest (busy " +
                                              std::to_string(pruefpunkt.ganzzahl(0)) + ", log " +
                                              std::to_string(pruefpunkt.ganzzahl(1)) + ", checkpointed " +
                                              std::to_string(pruefpunkt.ganzzahl(2)) + ")");
        }
    } catch (const Speicherfehler& fehler) {
        Datenschema::protokoll().standard(std::string("SQLite: wal_checkpoint(TRUNCATE) ") + anlass + ": " +
                                          fehler.what());
    }
}

// Which "-wal" and "-shm" belong to the game: those at the store's name when its connection first
// read or wrote through them, taken right after, as the store file is (merkeDatei). Each is
// taken once; a file put at the name later is not the game's. The rebuild's connection works on
// another file.
void Ablage::merkeBegleiter() {
    if (datei_.empty() || zustand_ == Zustand::umbau ||
        (begleitverweise_[0] >= 0 && begleitverweise_[1] >= 0) ||
        !Dateisystem::existiert(begleiter(datei_, "-wal"))) {
        return;
    }
    for (std::size_t i = 0; i < std::size(walEndungen); ++i) {
        if (begleitverweise_[i] < 0) {
            begleitverweise_[i] = ::open(begleiter(datei_, walEndungen[i]).c_str(), O_PATH | O_CLOEXEC);
        }
    }
}

// A store moved, replaced or deleted while open is closed by SQLite without a checkpoint, and
// its "-wal" and "-shm" stay at their names. A next start would apply saved pages still in the
// "-wal" to whatever lies at the store's name by then, so the game's own ones go aside; what
// lies there of another game's stays. A name that cannot be looked up is no proof of a move. An
// opening that never counted leaves the files as it found them.
void Ablage::legeBegleiterBeiseite() noexcept {
    if (datei_.empty() || !kennung_ || zustand_ != Zustand::bestaetigt) {
        return;
    }
    int fehlernummer = 0;
    const auto amNamen = kennungVon(datei_, &fehlernummer);
    if (amNamen == kennung_ || (!amNamen && fehlernummer != ENOENT && fehlernummer != ENOTDIR) ||
        !hatInhalt(begleiter(datei_, "-wal"))) {
        return;
    }
    std::vector<const char*> eigene;
    for (std::size_t i = 0; i < std::size(walEndungen); ++i) {
        const auto gehalten = kennungVon(begleitverweise_[i]);
        if (gehalten && kennungVon(begleiter(datei_, walEndungen[i])) == gehalten) {
            eigene.push_back(walEndungen[i]);
        }
    }
    // Without its "-wal" the "-shm" is an index of nothing that the next start rebuilds.
    if (eigene.empty() || std::string(eigene.front()) != "-wal") {
        return;
    }
    try {
        const fs::path basis = legeBeiseite(datei_, eigene, jetzt(), Beiseitegrund::fensterende);
        std::string liste;
        for (const char* endung : eigene) {
            liste += " " + begleiter(basis, endung).string();
        }
        Datenschema::protokoll().standard(
            "Spielstand unter " + datei_.string() +
            " verschoben, ersetzt oder geloescht, seine Begleitdateien beiseitegelegt:" + liste);
    } catch (const std::exception& fehler) {
        Datenschema::protokoll().fehler("Begleitdateien von " + datei_.string() +
                                        " nicht beiseitegelegt: " + fehler.what());
    }
}

Ablage::~Ablage() {
    sqlite3* verbindung = db(db_);
    if (verbindung != nullptr && transaktionOffen_) {
        sqlite3_exec(verbindung, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    // A store that was moved is closed without a checkpoint by SQLite itself, and its "-wal" and
    // "-shm" stay: their names may lead to another game's files by now.
    sqlite3_close_v2(verbindung);
    legeBegleiterBeiseite();
    for (int verweis : {verweis_, begleitverweise_[0], begleitverweise_[1]}) {
        if (verweis >= 0) {
            ::close(verweis);
        }
    }
    if (zustand_ == Zustand::umbau) {
        try {
            entferneUmbau(umbaudatei(datei_));
        } catch (const Speicherfehler&) {
            // A leftover is removed by the next opening.
        }
    }
}

Bestand Ablage::lade() {
    Bestand bestand = ladeAlles(db(db_));
    merkeBegleiter();
    return bestand;
}

void Ablage::schreibe(const Aenderungssatz& satz) {
    bestaetige();
    pruefeOrt();
    sqlite3* verbindung = db(db_);
    if (!synchron_) {
        // FULL syncs the "-wal" at every commit, so that a save that returned survives a power
        // cut. Set here, as it reads the schema.
        fuehreAus(verbindung, "PRAGMA synchronous = FULL");
        synchron_ = true;
    }
    SqliteTransaktion transaktion(verbindung);
    merkeBegleiter();
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
    leereWal("nach dem Speichern");
}

} // namespace qb
