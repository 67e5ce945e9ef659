#include "model/Datenschema.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Protokoll.h"
#include "model/SqliteAnweisung.h"

namespace qb {

namespace fs = std::filesystem;

namespace {

// The version-1 tables as the first release wrote them. Frozen: a store of that release must
// keep opening, so this text never changes.
constexpr const char v1Sql[] = R"(
CREATE TABLE Metadaten (
    schluessel TEXT PRIMARY KEY NOT NULL,
    wert TEXT NOT NULL
) WITHOUT ROWID;
CREATE TABLE Portfolio (
    id INTEGER PRIMARY KEY NOT NULL,
    gruppenname TEXT NOT NULL,
    startkapital TEXT NOT NULL,
    kaufdatum INTEGER NOT NULL
);
CREATE TABLE Position (
    id INTEGER PRIMARY KEY NOT NULL,
    portfolio INTEGER REFERENCES Portfolio(id) ON DELETE CASCADE,
    assetklasse TEXT NOT NULL,
    name TEXT NOT NULL,
    kennung TEXT NOT NULL,
    quelle TEXT NOT NULL,
    waehrung TEXT NOT NULL,
    stueckzahl INTEGER NOT NULL,
    kaufpreis TEXT NOT NULL,
    notierung TEXT NOT NULL,
    nennwert TEXT NOT NULL
);
CREATE INDEX Position_portfolio ON Position(portfolio);
CREATE TABLE Bewertung (
    id INTEGER PRIMARY KEY NOT NULL,
    portfolio INTEGER REFERENCES Portfolio(id) ON DELETE CASCADE,
    datum INTEGER NOT NULL,
    notiz TEXT NOT NULL
);
CREATE INDEX Bewertung_portfolio ON Bewertung(portfolio);
CREATE TABLE Preisnotiz (
    id INTEGER PRIMARY KEY NOT NULL,
    position INTEGER REFERENCES Position(id) ON DELETE CASCADE,
    bewertung INTEGER REFERENCES Bewertung(id) ON DELETE CASCADE,
    preis TEXT NOT NULL,
    waehrung TEXT NOT NULL,
    quelle TEXT NOT NULL,
    kennung TEXT NOT NULL,
    art TEXT NOT NULL,
    abgerufenAm INTEGER NOT NULL,
    herkunft TEXT NOT NULL,
    handelsumfang TEXT
);
CREATE INDEX Preisnotiz_position ON Preisnotiz(position);
CREATE INDEX Preisnotiz_bewertung ON Preisnotiz(bewertung);
INSERT INTO Metadaten (schluessel, wert) VALUES ('Schemaversion', '1.0.0');
)";

// Version 2 for a new store. The added columns stand last in their tables, where the migration
// puts them too, so a migrated and a new store have the same layout.
constexpr const char v2Sql[] = R"(
CREATE TABLE Metadaten (
    schluessel TEXT PRIMARY KEY NOT NULL,
    wert TEXT NOT NULL
) WITHOUT ROWID;
CREATE TABLE Portfolio (
    id INTEGER PRIMARY KEY NOT NULL,
    gruppenname TEXT NOT NULL,
    startkapital TEXT NOT NULL,
    kaufdatum INTEGER NOT NULL
);
CREATE TABLE Position (
    id INTEGER PRIMARY KEY NOT NULL,
    portfolio INTEGER REFERENCES Portfolio(id) ON DELETE CASCADE,
    assetklasse TEXT NOT NULL,
    name TEXT NOT NULL,
    kennung TEXT NOT NULL,
    quelle TEXT NOT NULL,
    waehrung TEXT NOT NULL,
    stueckzahl INTEGER NOT NULL,
    kaufpreis TEXT NOT NULL,
    notierung TEXT NOT NULL,
    nennwert TEXT NOT NULL,
    kaufkursOriginal TEXT,
    kaufumrechnung TEXT,
    einheit TEXT
);
CREATE INDEX Position_portfolio ON Position(portfolio);
CREATE TABLE Bewertung (
    id INTEGER PRIMARY KEY NOT NULL,
    portfolio INTEGER REFERENCES Portfolio(id) ON DELETE CASCADE,
    datum INTEGER NOT NULL,
    notiz TEXT NOT NULL
);
CREATE INDEX Bewertung_portfolio ON Bewertung(portfolio);
CREATE TABLE Preisnotiz (
    id INTEGER PRIMARY KEY NOT NULL,
    position INTEGER REFERENCES Position(id) ON DELETE CASCADE,
    bewertung INTEGER REFERENCES Bewertung(id) ON DELETE CASCADE,
    preis TEXT NOT NULL,
    waehrung TEXT NOT NULL,
    quelle TEXT NOT NULL,
    kennung TEXT NOT NULL,
    art TEXT NOT NULL,
    abgerufenAm INTEGER NOT NULL,
    herkunft TEXT NOT NULL,
    handelsumfang TEXT,
    preisOriginal TEXT,
    originalwaehrung TEXT,
    umrechnung TEXT
);
CREATE INDEX Preisnotiz_position ON Preisnotiz(position);
CREATE INDEX Preisnotiz_bewertung ON Preisnotiz(bewertung);
INSERT INTO Metadaten (schluessel, wert) VALUES ('Schemaversion', '2.0.0');
)";

constexpr const char* versionSchluessel = "Schemaversion";
constexpr const char* speicherdateiname = "Spielstand.sqlite";

Speicherfehler schemafehler(Datenschema::Fehler code, const std::string& beschreibung) {
    return Speicherfehler(Datenschema::fehlerdomaene, code, beschreibung);
}

bool hatSpalte(sqlite3* db, const char* tabelle, const char* spalte) {
    SqliteAnweisung abfrage(db, "SELECT count(*) FROM pragma_table_info(?1) WHERE name = ?2");
    abfrage.binde(1, std::string_view(tabelle));
    abfrage.binde(2, std::string_view(spalte));
    abfrage.schritt();
    return abfrage.ganzzahl(0) > 0;
}

// ALTER TABLE has no IF NOT EXISTS; asking first keeps a repeated stage harmless.
void ergaenzeSpalte(sqlite3* db, const char* tabelle, const char* spalte, const char* typ) {
    if (hatSpalte(db, tabelle, spalte)) {
        return;
    }
    std::string sql = std::string("ALTER TABLE ") + tabelle + " ADD COLUMN " + spalte + " " + typ;
    fuehreAus(db, sql.c_str());
}

void migriereV1NachV2(sqlite3* db) {
    ergaenzeSpalte(db, "Position", "kaufkursOriginal", "TEXT");
    ergaenzeSpalte(db, "Position", "kaufumrechnung", "TEXT");
    ergaenzeSpalte(db, "Position", "einheit", "TEXT");
    ergaenzeSpalte(db, "Preisnotiz", "preisOriginal", "TEXT");
    ergaenzeSpalte(db, "Preisnotiz", "originalwaehrung", "TEXT");
    ergaenzeSpalte(db, "Preisnotiz", "umrechnung", "TEXT");
}

void schreibeVersion(sqlite3* db, const Schemaversion& version) {
    SqliteAnweisung anweisung(db, "INSERT INTO Metadaten (schluessel, wert) VALUES (?1, ?2) "
                                  "ON CONFLICT (schluessel) DO UPDATE SET wert = excluded.wert");
    anweisung.binde(1, std::string_view(versionSchluessel));
    anweisung.binde(2, version.text());
    anweisung.fuehreAus();
}

bool istLeer(sqlite3* db) {
    SqliteAnweisung abfrage(db, "SELECT count(*) FROM sqlite_master");
    abfrage.schritt();
    return abfrage.ganzzahl(0) == 0;
}

const Datenschema::Migrationsschritt* schrittAb(const Schemaversion& version) {
    for (const auto& schritt : Datenschema::Plan::stufen()) {
        if (schritt.von == version) {
            return &schritt;
        }
    }
    return nullptr;
}

Speicherfehler neuereVersionFehler(const Schemaversion& version) {
    return schemafehler(Datenschema::neuereVersion,
                        "Der Spielstand stammt aus einer neueren Version von Quinzelbrockat (Schema " +
                            version.text() + ") und bleibt unverändert");
}

Speicherfehler unbekannteVersionFehler(const std::string& text) {
    return schemafehler(Datenschema::unbekannteVersion,
                        "Der Spielstand hat eine unbekannte Schemaversion („" + text + "“)");
}

Speicherfehler fremdeDatenbankFehler() {
    return schemafehler(Datenschema::fremdeDatenbank, "Die Datei ist kein Spielstand von Quinzelbrockat");
}

// A read-only connection for looking at a file before it is opened for real.
class Lesezugang {
public:
    Lesezugang(const fs::path& datei, bool unveraenderlich) {
        // immutable: no locks, no "-wal", no "-shm"; reads the main file and touches nothing at all.
        const std::string uri = sqliteUri(datei, unveraenderlich ? "mode=ro&immutable=1" : "mode=ro");
        int rc = sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK) {
            Speicherfehler fehler = sqliteFehler(db_);
            sqlite3_close_v2(db_);
            throw fehler;
        }
        sqlite3_extended_result_codes(db_, 1);
    }
    ~Lesezugang() { sqlite3_close_v2(db_); }
    Lesezugang(const Lesezugang&) = delete;
    Lesezugang& operator=(const Lesezugang&) = delete;

    sqlite3* db() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

bool existiert(const fs::path& pfad) {
    std::error_code fehler;
    return fs::exists(pfad, fehler);
}

std::string dateigrund(int fehlernummer) {
    switch (fehlernummer) {
    case EEXIST:
        return "Die Datei existiert bereits";
    case ENOENT:
        return "Die Datei oder der Ordner fehlt";
    case EACCES:
    case EPERM:
        return "Keine Berechtigung";
    case ENOSPC:
    case EDQUOT:
        return "Auf dem Datenträger ist kein Platz mehr";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case ENOTDIR:
        return "Ein Teil des Pfads ist kein Ordner";
    case EISDIR:
        return "Das ist ein Ordner, keine Datei";
    case EIO:
        return "Ein- oder Ausgabefehler des Datenträgers";
    case ENAMETOOLONG:
        return "Der Name ist zu lang";
    default:
        return "Unerwarteter Dateifehler (errno " + std::to_string(fehlernummer) + ")";
    }
}

constexpr const char* dateiDomaene = "Datei";

Speicherfehler dateifehler(int fehlernummer, const std::string& vorgang) {
    return Speicherfehler(dateiDomaene, fehlernummer, vorgang + ": " + dateigrund(fehlernummer));
}

std::string inAnfuehrung(const fs::path& pfad) {
    return "„" + pfad.string() + "“";
}

void legeOrdnerAn(const fs::path& ordner) {
    if (ordner.empty()) {
        return;
    }
    std::error_code fehler;
    fs::create_directories(ordner, fehler);
    if (fehler) {
        throw dateifehler(fehler.value(),
                          "Der Ordner " + inAnfuehrung(ordner) + " konnte nicht angelegt werden");
    }
}

// Copies byte for byte into a new file; never replaces an existing one (O_EXCL), and removes its
// own half-written copy on failure, so that a copy in the folder is always a whole one.
void kopiere(const fs::path& quelle, const fs::path& ziel) {
    const std::string vorgang = "Die Sicherungskopie " + inAnfuehrung(ziel) + " konnte nicht angelegt werden";
    int ein = ::open(quelle.c_str(), O_RDONLY | O_CLOEXEC);
    if (ein < 0) {
        throw dateifehler(errno, vorgang);
    }
    struct stat angaben {};
    if (::fstat(ein, &angaben) != 0) {
        int nummer = errno;
        ::close(ein);
        throw dateifehler(nummer, vorgang);
    }
    int aus = ::open(ziel.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, angaben.st_mode & 0777);
    if (aus < 0) {
        int nummer = errno;
        ::close(ein);
        throw dateifehler(nummer, vorgang);
    }
    int nummer = 0;
    std::array<char, 1 << 16> puffer{};
    while (nummer == 0) {
        ssize_t gelesen = ::read(ein, puffer.data(), puffer.size());
        if (gelesen < 0) {
            if (errno != EINTR) {
                nummer = errno;
            }
            continue;
        }
        if (gelesen == 0) {
            break;
        }
        ssize_t geschrieben = 0;
        while (geschrieben < gelesen) {
            ssize_t n =
                ::write(aus, puffer.data() + geschrieben, static_cast<std::size_t>(gelesen - geschrieben));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                nummer = errno;
                break;
            }
            geschrieben += n;
        }
    }
    // The migration follows at once; the copy must be on the disk before the original changes.
    if (nummer == 0 && ::fsync(aus) != 0) {
        nummer = errno;
    }
    if (::close(aus) != 0 && nummer == 0) {
        nummer = errno;
    }
    ::close(ein);
    if (nummer != 0) {
        ::unlink(ziel.c_str());
        throw dateifehler(nummer, vorgang);
    }
}

std::string zeitstempel(Zeitpunkt moment) {
    Datumsteile teile = Kalender::aktuell().teile(moment);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d%02d%02d", teile.jahr, teile.monat, teile.tag,
                  teile.stunde, teile.minute, teile.sekunde);
    return text;
}

std::optional<fs::path> benutzerordner() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home);
    }
    long groesse = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string puffer(groesse > 0 ? static_cast<std::size_t>(groesse) : 16384, '\0');
    passwd eintrag{};
    passwd* ergebnis = nullptr;
    if (::getpwuid_r(::getuid(), &eintrag, puffer.data(), puffer.size(), &ergebnis) == 0 &&
        ergebnis != nullptr && ergebnis->pw_dir != nullptr && *ergebnis->pw_dir != '\0') {
        return fs::path(ergebnis->pw_dir);
    }
    return std::nullopt;
}

} // namespace

std::optional<Schemaversion> Schemaversion::lies(std::string_view text) {
    Schemaversion version;
    int* teile[] = {&version.hauptnummer, &version.nebennummer, &version.korrektur};
    const char* anfang = text.data();
    const char* ende = text.data() + text.size();
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0) {
            if (anfang == ende || *anfang != '.') {
                return std::nullopt;
            }
            ++anfang;
        }
        // from_chars alone would take a sign; a version has none.
        if (anfang == ende || *anfang < '0' || *anfang > '9') {
            return std::nullopt;
        }
        auto [weiter, fehler] = std::from_chars(anfang, ende, *teile[i]);
        if (fehler != std::errc()) {
            return std::nullopt;
        }
        anfang = weiter;
    }
    if (anfang != ende) {
        return std::nullopt;
    }
    return version;
}

std::string Schemaversion::text() const {
    return std::to_string(hauptnummer) + "." + std::to_string(nebennummer) + "." + std::to_string(korrektur);
}

std::string_view Datenschema::V1::sql() {
    return v1Sql;
}

std::string_view Datenschema::V2::sql() {
    return v2Sql;
}

const std::vector<Schemaversion>& Datenschema::Plan::schemas() {
    static const std::vector<Schemaversion> liste{V1::version, V2::version};
    return liste;
}

const std::vector<Datenschema::Migrationsschritt>& Datenschema::Plan::stufen() {
    static const std::vector<Migrationsschritt> liste{{V1::version, V2::version, &migriereV1NachV2}};
    return liste;
}

std::optional<Schemaversion> Datenschema::version(sqlite3* db) {
    {
        SqliteAnweisung tabelle(
            db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'Metadaten'");
        tabelle.schritt();
        if (tabelle.ganzzahl(0) == 0) {
            return std::nullopt;
        }
    }
    SqliteAnweisung abfrage(db, "SELECT wert FROM Metadaten WHERE schluessel = ?1");
    abfrage.binde(1, std::string_view(versionSchluessel));
    if (!abfrage.schritt()) {
        return std::nullopt;
    }
    std::string text = abfrage.text(0).value_or("");
    auto version = Schemaversion::lies(text);
    if (!version) {
        throw unbekannteVersionFehler(text);
    }
    return version;
}

std::optional<Schemaversion> Datenschema::gespeicherteVersion(const fs::path& datei) {
    try {
        Lesezugang zugang(datei, true);
        return version(zugang.db());
    } catch (const Speicherfehler&) {
        return std::nullopt;
    }
}

void Datenschema::pruefeDatei(const fs::path& datei) {
    // With a "-wal" file the main file alone may be behind; then read through SQLite's WAL
    // handling, which for a read-only connection never writes the main file or the log.
    Lesezugang zugang(datei, !existiert(fs::path(datei.string() + "-wal")));
    auto gefunden = version(zugang.db());
    if (!gefunden) {
        if (!istLeer(zugang.db())) {
            throw fremdeDatenbankFehler();
        }
        return;
    }
    if (*gefunden > V2::version) {
        throw neuereVersionFehler(*gefunden);
    }
    if (*gefunden != V2::version && schrittAb(*gefunden) == nullptr) {
        throw unbekannteVersionFehler(gefunden->text());
    }
}

void Datenschema::richteEin(sqlite3* db) {
    for (;;) {
        SqliteTransaktion transaktion(db);
        auto gefunden = version(db);
        if (!gefunden) {
            if (!istLeer(db)) {
                throw fremdeDatenbankFehler();
            }
            fuehreAus(db, v2Sql);
            transaktion.bestaetige();
            return;
        }
        if (*gefunden == V2::version) {
            transaktion.bestaetige();
            return;
        }
        if (*gefunden > V2::version) {
            throw neuereVersionFehler(*gefunden);
        }
        const Migrationsschritt* schritt = schrittAb(*gefunden);
        if (schritt == nullptr) {
            throw unbekannteVersionFehler(gefunden->text());
        }
        schritt->fuehreAus(db);
        schreibeVersion(db, schritt->nach);
        transaktion.bestaetige();
    }
}

bool Datenschema::istTestlauf() {
    for (const char* schluessel :
         {"XCTestConfigurationFilePath", "XCTestBundlePath", "XCTestSessionIdentifier"}) {
        if (std::getenv(schluessel) != nullptr) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<Modellcontainer> Datenschema::testSpeicher() {
    protokoll().standard("Speicher: Arbeitsspeicher (Testlauf)");
    return std::make_unique<Modellcontainer>(Ablage::imArbeitsspeicher());
}

std::unique_ptr<Modellcontainer> Datenschema::oeffneSpeicher() {
    return oeffneSpeicher(speicherdatei(), jetzt());
}

std::unique_ptr<Modellcontainer> Datenschema::oeffneSpeicher(const fs::path& datei, Zeitpunkt moment) {
    sichereVorMigration(datei, moment);
    protokoll().standard("Speicher: Spielstand auf der Platte");
    try {
        legeOrdnerAn(datei.parent_path());
        return std::make_unique<Modellcontainer>(Ablage::oeffne(datei));
    } catch (const Speicherfehler& fehler) {
        protokoll().fehler("Speicher nicht geoeffnet: " + fehler.domaene() + " " +
                           std::to_string(fehler.code()));
        throw;
    }
}

std::optional<fs::path> Datenschema::sichereVorMigration(const fs::path& datei, Zeitpunkt moment) {
    if (!existiert(datei)) {
        protokoll().standard("Sicherung: kein Spielstand vorhanden, nichts zu sichern");
        return std::nullopt;
    }
    // Read from the main file alone: when a newer version still sits in the "-wal" file this
    // errs toward one backup too many, never one too few.
    if (gespeicherteVersion(datei) == V2::version) {
        protokoll().standard("Sicherung: Spielstand passt zum Schema " + V2::version.text() +
                             ", nichts zu sichern");
        return std::nullopt;
    }

    const fs::path ordner = sicherungsordner(datei);
    legeOrdnerAn(ordner);
    const std::string stempel = zeitstempel(moment);
    const std::string basis = datei.filename().string() + "-vor-Schema-" + V2::version.text() + "-" + stempel;
    for (const char* endung : {"", "-wal", "-shm"}) {
        const fs::path quelle(datei.string() + endung);
        if (!existiert(quelle)) {
            continue;
        }
        const std::string name = basis + endung;
        kopiere(quelle, ordner / name);
        protokoll().standard("Sicherung vor der Migration angelegt: Sicherungen/" + name);
    }
    return ordner;
}

fs::path Datenschema::speicherdatei() {
    fs::path basis;
    // Relative values are invalid by the XDG rules and are ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && fs::path(xdg).is_absolute()) {
        basis = xdg;
    } else if (auto heim = benutzerordner()) {
        basis = *heim / ".local" / "share";
    } else {
        throw dateifehler(ENOENT, "Kein Benutzerordner für den Spielstand bekannt");
    }
    return basis / "quinzelbrockat" / speicherdateiname;
}

fs::path Datenschema::sicherungsordner() {
    return sicherungsordner(speicherdatei());
}

fs::path Datenschema::sicherungsordner(const fs::path& datei) {
    return datei.parent_path() / "Sicherungen";
}

const Protokoll& Datenschema::protokoll() {
    static const Protokoll speicher("Speicher");
    return speicher;
}

} // namespace qb
