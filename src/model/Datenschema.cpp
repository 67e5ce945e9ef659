#include "model/Datenschema.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <unistd.h>

#include "model/Ablage.h"
#include "model/Dateisystem.h"
#include "model/Modellcontainer.h"
#include "foundation/Protokoll.h"
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

std::string inAnfuehrung(const fs::path& pfad) {
    return "„" + pfad.string() + "“";
}

// "„a“", "„a“ und „b“", "„a“, „b“ und „c“".
std::string aufgezaehlt(const std::vector<fs::path>& pfade) {
    std::string text;
    for (std::size_t i = 0; i < pfade.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == pfade.size() ? " und " : ", ") + inAnfuehrung(pfade[i]);
    }
    return text;
}

// What the user is told of the "-wal" files set aside for one reason: what was found, that their
// changes are not in this game, and what to do with them.
std::string beiseitehinweis(Ablage::Beiseitegrund grund, const fs::path& datei,
                            const std::vector<fs::path>& wals) {
    const bool eine = wals.size() == 1;
    std::string text = std::string("Änderungen aus ") +
                       (eine ? "einem früheren Fenster" : "früheren Fenstern") +
                       " konnten nicht auf dieses Spiel angewandt werden: ";
    switch (grund) {
    case Ablage::Beiseitegrund::beschaedigt:
        text += "Sie passen nicht zu dem Spielstand unter " + inAnfuehrung(datei) +
                ": Mit ihnen liest SQLite ihn als beschädigt.";
        break;
    case Ablage::Beiseitegrund::unladbar:
        text +=
            "Quinzelbrockat kann sie nicht laden, denn mit ihnen hielte eine Zeile des Spielstands unter " +
            inAnfuehrung(datei) + " einen Wert, den es nicht annimmt, oder eine Kennung käme zweimal vor.";
        break;
    case Ablage::Beiseitegrund::fensterende:
        text += (eine ? "Als jenes Fenster endete, lag unter " : "Als jene Fenster endeten, lag unter ") +
                inAnfuehrung(datei) + (eine ? " nicht mehr sein Spiel" : " nicht mehr ihr Spiel") +
                ", denn der Spielstand war verschoben oder ersetzt worden.";
        break;
    }
    text += " Sie sind nicht in diesem Spiel und liegen unverändert in " + aufgezaehlt(wals) +
            ". Willst du sie darin haben, gib sie noch einmal ein. ";
    text += eine ? "Brauchst du sie nicht mehr, kannst du die Datei löschen; eine Datei daneben, deren Name "
                   "statt auf „-wal“ auf „-shm“ endet, gehört dazu."
                 : "Brauchst du sie nicht mehr, kannst du die Dateien löschen; Dateien daneben, deren Namen "
                   "statt auf „-wal“ auf „-shm“ enden, gehören dazu.";
    return text;
}

// A copy is written and synced under this suffix first and gets its own name only together with
// the rest of its set.
constexpr std::string_view unfertig = ".unfertig";

bool endetMit(std::string_view text, std::string_view ende) {
    return text.size() >= ende.size() && text.substr(text.size() - ende.size()) == ende;
}

// A start that died while it made a backup left copies under provisional names. Once any copy of
// a set has its own name, all of them had been written and synced: the set is finished.
// Otherwise the set never counted, and its pieces go.
void vollendeSicherungen(const fs::path& ordner, const std::string& praefix) {
    std::vector<std::string> reste;
    std::error_code fehler;
    for (const auto& eintrag : fs::directory_iterator(ordner, fehler)) {
        const std::string name = eintrag.path().filename().string();
        if (name.rfind(praefix, 0) == 0 && endetMit(name, unfertig)) {
            reste.push_back(name);
        }
    }
    if (reste.empty()) {
        return;
    }
    for (const auto& rest : reste) {
        const std::string name = rest.substr(0, rest.size() - unfertig.size());
        std::string satz = name;
        for (std::string_view endung : {"-wal", "-shm"}) {
            if (endetMit(satz, endung)) {
                satz.resize(satz.size() - endung.size());
            }
        }
        bool begonnen = false;
        for (const char* endung : {"", "-wal", "-shm"}) {
            begonnen = begonnen || Dateisystem::existiert(ordner / (satz + endung));
        }
        if (begonnen) {
            Dateisystem::benenneUmOhneErsetzen(ordner / rest, ordner / name);
        } else {
            Dateisystem::entferne(ordner / rest);
        }
    }
    Dateisystem::synchronisiereOrdner(ordner);
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
        return Ablage::untersuche(datei).version;
    } catch (const Speicherfehler&) {
        return std::nullopt;
    }
}

void Datenschema::pruefeVersion(const std::optional<Schemaversion>& gefunden) {
    if (!gefunden) {
        throw fremdeDatenbankFehler();
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

std::string Datenschema::zeitstempel(Zeitpunkt moment) {
    Datumsteile teile = Kalender::aktuell().teile(moment);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d%02d%02d", teile.jahr, teile.monat, teile.tag,
                  teile.stunde, teile.minute, teile.sekunde);
    return text;
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

std::unique_ptr<Modellcontainer> Datenschema::oeffneSpeicher(const fs::path& angegeben, Zeitpunkt moment) {
    // A game kept on another drive through a link: its files, its backups and its rebuild stay
    // beside the file the link names.
    const fs::path datei = Dateisystem::verknuepfungsziel(angegeben);
    // Before any file is made: a FIFO there would block the first read forever.
    Ablage::pruefeDateiarten(datei);
    // The hold is on the store's folder, so the folder comes first. Then the hold, before
    // anything is read: a second program must find the store untouched.
    Dateisystem::legeOrdnerAn(datei.parent_path());
    auto sperre = std::make_unique<Speichersperre>(datei);
    // Before the backup, which would keep such a "-wal" as a part of the game.
    std::optional<Ablage::Ungemeldet> beiseitegelegt;
    if (auto wal = Ablage::legeUnpassendeWalBeiseite(datei, moment)) {
        using Verbleib = Ablage::UnpassendeWal::Verbleib;
        if (wal->verbleib == Verbleib::beiseitegelegt) {
            beiseitegelegt = Ablage::Ungemeldet{wal->ort, {}, wal->beiseitegrund};
        } else {
            // The store alone is whole: the damaged view, with its backups, would mislead.
            std::string text = "Neben dem Spielstand " + inAnfuehrung(datei) +
                               " liegen Änderungen aus einem früheren Fenster, die nicht zu ihm passen: " +
                               inAnfuehrung(wal->ort) +
                               ". Mit ihnen ließe sich das Spiel nicht öffnen; ohne sie ist es in Ordnung. ";
            if (wal->verbleib == Verbleib::anderswoOffen) {
                text += "Quinzelbrockat legt sie beiseite, kann das aber nicht, solange ein anderes Programm "
                        "den Spielstand offen hat. Schließe das andere Programm und starte Quinzelbrockat "
                        "dann noch einmal.";
            } else {
                text += "Sie ließen sich nicht beiseitelegen: " + wal->grund +
                        ". Sie liegen weiter dort. Gib Quinzelbrockat das Schreibrecht im Ordner " +
                        inAnfuehrung(datei.parent_path()) + " oder verschiebe die Datei (mit " +
                        inAnfuehrung(fs::path(datei.string() + "-shm")) +
                        ") in einen anderen Ordner, und starte Quinzelbrockat dann noch einmal.";
            }
            throw Speicherfehler(fehlerdomaene, unpassendeWal, text);
        }
    }
    // What a window set aside at its end, when its game had been moved or replaced, is told here:
    // the window could only log it. So is what an earlier start set aside and told in a window
    // that ended before its user closed that telling. The notes go only when the user has.
    std::vector<Ablage::Ungemeldet> ungemeldete = Ablage::ungemeldeteBeiseite(datei);
    if (beiseitegelegt &&
        std::none_of(ungemeldete.begin(), ungemeldete.end(),
                     [&](const Ablage::Ungemeldet& u) { return u.wal == beiseitegelegt->wal; })) {
        // Its note could not be made: told this once.
        ungemeldete.push_back(*beiseitegelegt);
    }
    std::optional<std::string> hinweis;
    std::vector<fs::path> notizen;
    for (const auto grund : {Ablage::Beiseitegrund::beschaedigt, Ablage::Beiseitegrund::unladbar,
                             Ablage::Beiseitegrund::fensterende}) {
        std::vector<fs::path> wals;
        for (const auto& eintrag : ungemeldete) {
            if (eintrag.grund == grund) {
                wals.push_back(eintrag.wal);
                if (!eintrag.notiz.empty()) {
                    notizen.push_back(eintrag.notiz);
                }
            }
        }
        if (!wals.empty()) {
            const std::string text = beiseitehinweis(grund, datei, wals);
            hinweis = hinweis ? *hinweis + "\n\n" + text : text;
        }
    }
    // When the game does not open after all, its error is the only place to tell that.
    const auto mitHinweis = [&hinweis](const Speicherfehler& fehler) {
        std::string text = fehler.what();
        if (hinweis) {
            text += (text.ends_with('.') ? " " : ". ") + *hinweis;
        }
        return Speicherfehler(fehler.domaene(), fehler.code(), text, fehler.platteVoll());
    };
    try {
        sichereVorMigration(datei, moment);
    } catch (const Speicherfehler& fehler) {
        throw mitHinweis(fehler);
    }
    protokoll().standard("Speicher: Spielstand auf der Platte");
    try {
        // The container loads every record before the opening counts; a store that fails to
        // load leaves its files as they were.
        auto container = std::make_unique<Modellcontainer>(Ablage::oeffneVorlaeufig(std::move(sperre)));
        container->setzeHinweis(hinweis, std::move(notizen));
        return container;
    } catch (const Speicherfehler& fehler) {
        protokoll().fehler("Speicher nicht geoeffnet: " + fehler.domaene() + " " +
                           std::to_string(fehler.code()));
        throw mitHinweis(fehler);
    }
}

std::optional<fs::path> Datenschema::sichereVorMigration(const fs::path& datei, Zeitpunkt moment) {
    // Before any look at the file: a FIFO there would block the first read forever.
    Ablage::pruefeDateiarten(datei);
    if (!Dateisystem::existiert(datei)) {
        protokoll().standard("Sicherung: kein Spielstand vorhanden, nichts zu sichern");
        return std::nullopt;
    }
    // Seen as SQLite sees it, "-wal" and a rolled-back hot journal included; a file that cannot
    // be read as a store at all is copied.
    std::optional<Ablage::Befund> befund;
    try {
        befund = Ablage::untersuche(datei);
    } catch (const Speicherfehler&) {
    }
    if (befund && befund->leer) {
        // An empty database, as a crash during the very first start may leave it: no game.
        protokoll().standard("Sicherung: kein Spielstand vorhanden, nichts zu sichern");
        return std::nullopt;
    }
    if (befund && befund->version == V2::version) {
        protokoll().standard("Sicherung: Spielstand passt zum Schema " + V2::version.text() +
                             ", nichts zu sichern");
        return std::nullopt;
    }

    const fs::path ordner = sicherungsordner(datei);
    Dateisystem::legeOrdnerAn(ordner);
    const std::string praefix = datei.filename().string() + "-vor-Schema-" + V2::version.text() + "-";
    vollendeSicherungen(ordner, praefix);
    const std::string basis = praefix + zeitstempel(moment);
    struct Kopie {
        fs::path quelle;
        std::string name;
    };
    std::vector<Kopie> kopien;
    for (const char* endung : {"", "-wal", "-shm"}) {
        fs::path quelle(datei.string() + endung);
        if (Dateisystem::existiert(quelle)) {
            kopien.push_back({std::move(quelle), basis + endung});
        }
    }
    auto vorgang = [&ordner](const Kopie& kopie) {
        return "Die Sicherungskopie " + inAnfuehrung(ordner / kopie.name) + " konnte nicht angelegt werden";
    };
    for (const auto& kopie : kopien) {
        if (Dateisystem::existiert(ordner / kopie.name)) {
            throw Dateisystem::fehler(EEXIST, vorgang(kopie));
        }
    }
    // Every copy is written and synced under its provisional name, then the whole set is named.
    try {
        for (const auto& kopie : kopien) {
            Dateisystem::kopiere(kopie.quelle, ordner / (kopie.name + std::string(unfertig)), vorgang(kopie));
        }
        Dateisystem::synchronisiereOrdner(ordner);
    } catch (const Speicherfehler&) {
        for (const auto& kopie : kopien) {
            try {
                Dateisystem::entferne(ordner / (kopie.name + std::string(unfertig)));
            } catch (const Speicherfehler&) {
                // Removed by the next backup.
            }
        }
        throw;
    }
    for (const auto& kopie : kopien) {
        Dateisystem::benenneUmOhneErsetzen(ordner / (kopie.name + std::string(unfertig)),
                                           ordner / kopie.name);
    }
    Dateisystem::synchronisiereOrdner(ordner);
    for (const auto& kopie : kopien) {
        protokoll().standard("Sicherung vor der Migration angelegt: Sicherungen/" + kopie.name);
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
        throw Dateisystem::fehler(ENOENT, "Kein Benutzerordner für den Spielstand bekannt");
    }
    return basis / "quinzelbrockat" / speicherdateiname;
}

fs::path Datenschema::sicherungsordner() {
    return sicherungsordner(speicherdatei());
}

fs::path Datenschema::sicherungsordner(const fs::path& datei) {
    // Beside the file a link names, where the opening makes its backups.
    fs::path ziel = datei;
    try {
        ziel = Dateisystem::verknuepfungsziel(datei);
    } catch (const Speicherfehler&) {
        // A link that leads nowhere: nothing is backed up, and the link's folder is named.
    }
    return ziel.parent_path() / "Sicherungen";
}

const Protokoll& Datenschema::protokoll() {
    static const Protokoll speicher("Speicher");
    return speicher;
}

} // namespace qb
