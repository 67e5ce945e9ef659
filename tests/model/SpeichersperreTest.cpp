#include <gtest/gtest.h>

#include <cerrno>

#include <cstddef>

#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include "SpeicherHilfe.h"
#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Speicherfehler.h"
#include "model/Speichern.h"
#include "model/Speichersperre.h"

using namespace qb;
using namespace qb::test;
using namespace std::chrono;

namespace {

const Zeitpunkt moment = Zeitpunkt(sys_days(2025y / March / 5)) + 22h + 30min;

const std::string gehalten =
    "Das Spiel ist schon in einem anderen Quinzelbrockat-Fenster geöffnet. Schließe zuerst "
    "jenes Fenster und starte Quinzelbrockat dann noch einmal.";

// Every file under the folder with its content, the folder entries included.
std::map<std::string, std::string> dateien(const fs::path& wurzel) {
    std::map<std::string, std::string> ergebnis;
    for (const auto& eintrag : fs::recursive_directory_iterator(wurzel)) {
        const std::string name = fs::relative(eintrag.path(), wurzel).string();
        ergebnis[name] = eintrag.is_directory() ? "(Ordner)" : inhalt(eintrag.path());
    }
    return ergebnis;
}

// From now on, the system calls that `filter` picks out fail in this process as it says.
void lasseScheitern(std::vector<sock_filter> filter) {
    sock_fprog programm{static_cast<unsigned short>(filter.size()), filter.data()};
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &programm);
}

// From now on, the system call `nummer` fails in this process with `fehler`.
void lasseScheitern(unsigned int nummer, int fehler) {
    lasseScheitern({
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, nummer, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned int>(fehler)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    });
}

// The first program: opens the store and adds a portfolio for every line it is sent. After
// "schließen" it closes the store as the program's end does; after "stat: EIO" every stat()
// of a path fails as on a failing disk, while fstat() (flags AT_EMPTY_PATH) still works.
void erstesProgramm(const fs::path& datei, Leitung& leitung) {
    std::unique_ptr<Modellcontainer> container;
    try {
        container = Datenschema::oeffneSpeicher(datei, moment);
    } catch (const Speicherfehler& fehler) {
        leitung.sende(fehler.what());
        return;
    }
    leitung.sende("geöffnet");
    while (auto befehl = leitung.lies()) {
        if (*befehl == "schließen") {
            container.reset();
            leitung.sende("geschlossen");
            return;
        }
        if (*befehl == "stat: EIO") {
            lasseScheitern({
                BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_newfstatat, 0, 3),
                BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[3])),
                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 0, 1),
                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
                BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            });
            continue;
        }
        auto& kontext = container->kontext();
        kontext.fuegeEin(std::make_shared<Portfolio>(*befehl, Dezimal(10000), moment));
        leitung.sende(speichere(kontext).value_or("gespeichert"));
    }
}

// In a child: makes the folder read-only, as a read-only medium in a mount namespace of its own
// or else by its modes, which bind root once it gives up its rights. Returns what saving then
// says, or nothing when neither works.
std::string machNurLesbar(const fs::path& ordner, const fs::path& datei) {
    const std::string nicht = "Die Änderung konnte nicht gespeichert werden: ";
    if (::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        ::mount(ordner.c_str(), ordner.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
        ::mount(nullptr, ordner.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0) {
        return nicht + "Die Datenbankdatei lässt sich nicht öffnen: Der Datenträger ist schreibgeschützt";
    }
    ::chmod(ordner.c_str(), 0555);
    ::chmod(datei.c_str(), 0444);
    const bool gebunden =
        ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
    return gebunden ? nicht + "Der Ordner der Datenbank ist schreibgeschützt" : "";
}

} // namespace

// A second program on a store that another one holds opens nothing and changes nothing, not
// even through the version check, the backup or SQLite's companions; the first one saves on.
// A killed first program frees the store at once.
TEST(Speichersperre, einZweitesProgrammFindetDenSpielstandBelegtUndAendertNichts) {
    Protokollmitschnitt protokoll;
    TempOrdner ordner;
    // A version-1 store: an unheld second start would back it up and migrate it.
    const fs::path datei = ordner / "Spielstand.sqlite";
    legeVersion1OhneWalAn(datei);

    Kindprozess erstes([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
    ASSERT_EQ(erstes.antwort(), "geöffnet");
    erstes.sende("Gruppe Ost");
    ASSERT_EQ(erstes.antwort(), "gespeichert");
    const auto vorher = dateien(ordner.pfad());
    const auto zeilenVorher = protokoll.texte().size();

    for (const char* weg : {"Datenschema::oeffneSpeicher", "Ablage::oeffne"}) {
        SCOPED_TRACE(weg);
        Speicherfehler fehler = fehlerVon([&] {
            if (std::string(weg) == "Ablage::oeffne") {
                Ablage::oeffne(datei);
            } else {
                Datenschema::oeffneSpeicher(datei, moment + 1h);
            }
        });
        EXPECT_EQ(fehler.domaene(), "Datei");
        EXPECT_EQ(fehler.code(), EWOULDBLOCK);
        EXPECT_EQ(std::string(fehler.what()), gehalten);
        // Compared without EXPECT_EQ, which would print whole database pages on a failure.
        EXPECT_TRUE(dateien(ordner.pfad()) == vorher) << "Dateien verändert";
    }
    EXPECT_EQ(protokoll.texte().size(), zeilenVorher);

    erstes.sende("Gruppe West");
    EXPECT_EQ(erstes.antwort(), "gespeichert");
    erstes.toete();

    auto container = Datenschema::oeffneSpeicher(datei, moment + 2h);
    std::vector<std::string> namen;
    for (const auto& portfolio : container->kontext().portfolios()) {
        namen.push_back(portfolio->gruppenname());
    }
    EXPECT_EQ(namen, (std::vector<std::string>{"Gruppe Nord", "Gruppe Ost", "Gruppe West"}));
}

// Two first starts at once: the one that comes second finds the store held, whichever it is,
// and leaves no file of its own.
TEST(Speichersperre, vonZweiErstenStartsOeffnetNurEiner) {
    Protokollmitschnitt protokoll;
    TempOrdner ordner;
    const fs::path datei = ordner / "daten" / "quinzelbrockat" / "Spielstand.sqlite";
    Kindprozess erstes([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
    Kindprozess zweites([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
    std::vector<std::string> antworten{erstes.antwort(), zweites.antwort()};
    std::sort(antworten.begin(), antworten.end());
    EXPECT_EQ(antworten, (std::vector<std::string>{gehalten, "geöffnet"}));
    erstes.toete();
    zweites.toete();
    EXPECT_EQ(Datenschema::gespeicherteVersion(datei), Datenschema::V2::version);
    EXPECT_EQ(ordner.namen("daten/quinzelbrockat"), std::vector<std::string>{"Spielstand.sqlite"});
}

// Within one program too, a store is held by one opening at a time; the hold ends with it.
TEST(Speichersperre, dieSperreEndetMitDerAblage) {
    TempOrdner ordner;
    const fs::path datei = ordner / "Spielstand.sqlite";
    {
        Speichersperre sperre(datei);
        EXPECT_EQ(sperre.datei(), datei);
        EXPECT_EQ(fehlerVon([&] { Ablage::oeffne(datei); }).code(), EWOULDBLOCK);
    }
    auto ablage = Ablage::oeffne(datei);
    EXPECT_EQ(fehlerVon([&] { Speichersperre zweite(datei); }).code(), EWOULDBLOCK);
    ablage.reset();
    Speichersperre danach(datei);
}

// Deleting or replacing files beside a held store, the store file itself included, never lets a
// second program in: the hold is on the store's folder.
TEST(Speichersperre, wederLoeschenNochErsetzenNebenDemSpielstandLaesstEinZweitesHinein) {
    TempOrdner ordner;
    const fs::path datei = ordner / "Spielstand.sqlite", alteSperre = ordner / "Spielstand.sqlite-sperre";
    schreibeDatei(alteSperre, ""); // as an earlier version left it
    Kindprozess erstes([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
    ASSERT_EQ(erstes.antwort(), "geöffnet");
    const auto zweites = [&] {
        return std::string(fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); }).what());
    };
    fs::remove(alteSperre);
    EXPECT_EQ(zweites(), gehalten);
    schreibeDatei(alteSperre, "");
    EXPECT_EQ(zweites(), gehalten);
    fs::copy_file(datei, ordner / "Kopie");
    fs::rename(ordner / "Kopie", datei);
    EXPECT_EQ(zweites(), gehalten);
}

// A second name of the store file would get a hold and a "-wal" of its own: refused under
// either name, before anything is read, backed up or rebuilt.
TEST(Speichersperre, einSpielstandMitZweitemNamenWirdAbgewiesenUndBleibtUnveraendert) {
    TempOrdner ordner;
    const fs::path datei = ordner / "Spielstand.sqlite", zweiter = ordner / "anderswo" / "Spiel.sqlite";
    legeVersion1OhneWalAn(datei);
    fs::create_directories(zweiter.parent_path());
    fs::create_hard_link(datei, zweiter);
    const auto vorher = dateien(ordner.pfad());
    for (const fs::path& name : {datei, zweiter}) {
        Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(name, moment); });
        EXPECT_EQ(fehler.code(), EMLINK);
        EXPECT_EQ(std::string(fehler.what()),
                  "Der Spielstand wird nicht geöffnet: Die Datei „" + name.string() +
                      "“ hat 2 Namen (harte Verknüpfungen), und SQLite unterstützt keine Datenbank unter "
                      "zwei Namen: Was unter einem Namen gespeichert wird, fehlt unter dem anderen. Lösche "
                      "die übrigen Namen oder ersetze sie durch Kopien; bis dahin bleibt die Datei "
                      "unverändert.");
        EXPECT_TRUE(dateien(ordner.pfad()) == vorher) << "Dateien verändert";
    }
}

// The hold needs read access alone: a lock file of an earlier version that leads nowhere or
// cannot be written locks nobody out, and a read-only game opens and says on saving why it
// cannot save.
TEST(Speichersperre, ohneSchreibrechtOeffnetDasSpielUndSagtBeimSpeichernWarum) {
    TempOrdner ordner;
    const fs::path spiel = ordner / "spiel", datei = spiel / "Spielstand.sqlite";
    const fs::path alteSperre = spiel / "Spielstand.sqlite-sperre";
    fs::create_directory(spiel);
    legeVersion1An(datei, false);
    fs::create_symlink(ordner / "draussen", alteSperre);
    Datenschema::oeffneSpeicher(datei, moment);
    EXPECT_EQ(ordner.namen(), std::vector<std::string>{"spiel"});

    // A lock file the program may not write: read-only, and root's once it gives up root.
    fs::remove(alteSperre);
    schreibeDatei(alteSperre, "");
    fs::permissions(alteSperre, fs::perms(0444));
    Kindprozess programm([&](Leitung& leitung) {
        leitung.sende(machNurLesbar(spiel, datei));
        erstesProgramm(datei, leitung);
    });
    const std::string erwartet = programm.antwort();
    if (erwartet.empty()) {
        GTEST_SKIP() << "root may not give up its rights here, and no mount is allowed";
    }
    EXPECT_EQ(programm.antwort(), "geöffnet");
    programm.sende("Gruppe Süd");
    EXPECT_EQ(programm.antwort(), erwartet);
    fs::permissions(spiel, fs::perms(0755));
}

// A window saves into the game it opened or nowhere, whatever was put at the store's name while it
// was open: an older copy renamed over the file (a sync client, a backup put back), or the folder
// renamed or replaced by a copy and a second program on the new game there. Every store stays
// whole, with all the other program's saves, whichever program dies.
TEST(Speichersperre, einVerschobenerSpielstandNimmtKeinSpeichernDesFenstersMehrAuf) {
    // The group names and SQLite's verdict, as the next program reads them.
    const auto gruppenUndBefund = [](const fs::path& datei) {
        Verbindung verbindung(datei);
        return std::pair(verbindung.spalte("SELECT gruppenname FROM Portfolio ORDER BY id"),
                         verbindung.wert("PRAGMA integrity_check"));
    };
    struct Fall {
        const char* weg;   // where the window's folder goes; none: only its file is replaced
        bool kopieZurueck; // a copy of the moved folder takes its place
        bool schliesst;    // the window is closed while the other program runs, not killed
    };
    for (const Fall& fall :
         {Fall{"", false, false}, Fall{"spiel-alt", false, true}, Fall{"spiel-weg", true, false}}) {
        SCOPED_TRACE(fall.weg);
        TempOrdner ordner;
        const fs::path spiel = ordner / "spiel", datei = spiel / "Spielstand.sqlite";
        const fs::path weg = ordner / fall.weg / "Spielstand.sqlite";
        fs::create_directory(spiel);
        Kindprozess fenster([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
        ASSERT_EQ(fenster.antwort(), "geöffnet");
        fs::copy_file(datei, ordner / "leer.sqlite");
        fenster.sende("Gruppe Ost");
        ASSERT_EQ(fenster.antwort(), "gespeichert");

        std::vector<std::string> erwartet;
        std::string zusatz;
        std::optional<Kindprozess> zweites;
        if (*fall.weg == '\0') {
            fs::rename(ordner / "leer.sqlite", datei);
        } else {
            fs::rename(spiel, ordner / fall.weg);
            if (fall.kopieZurueck) {
                fs::copy(ordner / fall.weg, spiel);
                erwartet = {"Gruppe Ost"};
            }
            zusatz = ", es liegt jetzt unter „" + weg.string() + "“";
            zweites.emplace([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
            ASSERT_EQ(zweites->antwort(), "geöffnet");
            zweites->sende("Gruppe Neu");
            ASSERT_EQ(zweites->antwort(), "gespeichert");
        }
        fenster.sende("Gruppe West");
        EXPECT_EQ(fenster.antwort(),
                  "Die Änderung konnte nicht gespeichert werden: Der Spielstand wurde verschoben oder ersetzt, "
                  "während dieses Fenster ihn offen hatte: Unter „" + datei.string() +
                      "“ liegt nicht mehr das Spiel dieses Fensters" + zusatz +
                      ". Damit kein anderes Spiel überschrieben wird, speichert dieses Fenster nicht. Schließe "
                      "es; beim nächsten Start öffnet Quinzelbrockat, was dann unter „" + datei.string() +
                      "“ liegt.");
        if (fall.schliesst) {
            fenster.sende("schließen");
            ASSERT_EQ(fenster.antwort(), "geschlossen");
            // The names of its store's companions lead to the other program's files by now.
            EXPECT_TRUE(fs::exists(datei.string() + "-wal") && fs::exists(datei.string() + "-shm"));
        }
        fenster.toete(); // else as a crash: nothing of the window's may reach a store
        if (zweites) {
            zweites->sende("Gruppe Neu 2");
            ASSERT_EQ(zweites->antwort(), "gespeichert");
            zweites->toete();
            erwartet.insert(erwartet.end(), {"Gruppe Neu", "Gruppe Neu 2"});
            EXPECT_EQ(gruppenUndBefund(weg), std::make_pair(std::vector<std::string>{"Gruppe Ost"}, std::string("ok")));
        }
        EXPECT_EQ(gruppenUndBefund(datei), std::make_pair(erwartet, std::string("ok")));
    }
}

// A sync client's sequence: a window saves while another program reads its store (the checkpoint
// is busy, the save stays in the "-wal"), another version of the game is renamed over the store,
// and the window closes as the program does, or dies. The next start opens that version alone,
// with its own group names; the window's "-wal" lies aside, put there at the close or, after a
// crash, by the start. Every start says so until one's telling is closed: the first start's ends
// unclosed. No backup holds it.
TEST(Speichersperre, dieWalEinesErsetztenSpielstandsKommtNichtInDasSpielAmNamen) {
    struct Fall {
        bool kopie;     // the other version is an older copy of the game, else a larger game
        bool schliesst; // else the window dies
    };
    for (const Fall fall : {Fall{true, true}, Fall{false, true}, Fall{false, false}}) {
        SCOPED_TRACE(std::to_string(fall.kopie) + std::to_string(fall.schliesst));
        Protokollmitschnitt protokoll;
        TempOrdner ordner;
        const fs::path datei = ordner / "Spielstand.sqlite", andere = ordner / "andere.sqlite";
        for (const fs::path& spiel : {datei, andere}) {
            auto container = Datenschema::oeffneSpeicher(spiel, moment);
            for (int i = 0; i < (spiel == datei || fall.kopie ? 1 : 300); ++i) {
                container->kontext().fuegeEin(
                    std::make_shared<Portfolio>("Gruppe " + std::to_string(i), Dezimal(10000), moment));
            }
            ASSERT_FALSE(speichere(container->kontext()));
        }
        const auto gruppen = Verbindung(andere).spalte("SELECT gruppenname FROM Portfolio ORDER BY id");
        Kindprozess fenster([&](Leitung& leitung) {
            setzeUhr([] { return moment + 1h; });
            erstesProgramm(datei, leitung);
            leitung.sende(protokoll.texte().back());
        });
        ASSERT_EQ(fenster.antwort(), "geöffnet");
        std::optional<Verbindung> leser(std::in_place, datei);
        leser->ausfuehren("BEGIN");
        EXPECT_EQ(leser->wert("SELECT count(*) FROM Position"), "0");
        fenster.sende("Gruppe Süd");
        ASSERT_EQ(fenster.antwort(), "gespeichert");
        fs::rename(andere, datei);
        const std::string basis = "Spielstand.sqlite-nicht-angewandt-2025-03-06-0" +
                                  std::string(fall.schliesst ? "0" : "1") + "3000";
        if (fall.schliesst) {
            fenster.sende("schließen");
            ASSERT_EQ(fenster.antwort(), "geschlossen");
            EXPECT_EQ(fenster.antwort(), "Spielstand unter " + datei.string() +
                                             " verschoben, ersetzt oder geloescht, seine Begleitdateien "
                                             "beiseitegelegt: " +
                                             (ordner / basis).string() + "-wal " + (ordner / basis).string() +
                                             "-shm");
        }
        fenster.toete();
        leser.reset();

        const fs::path wal = ordner / (basis + "-wal");
        const auto grund =
            fall.schliesst ? Ablage::Beiseitegrund::fensterende : Ablage::Beiseitegrund::beschaedigt;
        const std::string notiz = basis + (fall.schliesst ? "-ungemeldet" : "-ungemeldet-beschaedigt");
        for (const int start : {0, 1, 2}) {
            SCOPED_TRACE("Start " + std::to_string(start));
            auto container = Datenschema::oeffneSpeicher(datei, moment + 2h + std::chrono::hours(start));
            std::vector<std::string> namen;
            for (const auto& portfolio : container->kontext().portfolios()) {
                namen.push_back(portfolio->gruppenname());
            }
            EXPECT_EQ(namen, gruppen);
            const bool erzaehlt = start < 2;
            EXPECT_EQ(container->hinweis(),
                      erzaehlt ? std::optional(hinweisBeiseite(grund, datei, {wal})) : std::nullopt);
            std::vector<std::string> dateien{"Spielstand.sqlite", basis + "-shm", basis + "-wal"};
            if (erzaehlt) {
                dateien.insert(dateien.begin() + 2, notiz);
            }
            EXPECT_EQ(ordner.namen(), dateien);
            if (start == 1) {
                container->hinweisGesehen();
            }
        }
    }
}

// A game deleted while its window is open is named so, and the next start makes a new empty game
// there. A name that cannot be looked up is no move: the error is named, and the game stays.
TEST(Speichersperre, einGeloeschterOderUnpruefbarerSpielstandWirdSoBenannt) {
    for (const bool geloescht : {true, false}) {
        SCOPED_TRACE(geloescht);
        TempOrdner ordner;
        const fs::path datei = ordner / "Spielstand.sqlite";
        const std::string ort = "„" + datei.string() + "“";
        Kindprozess fenster([&](Leitung& leitung) { erstesProgramm(datei, leitung); });
        ASSERT_EQ(fenster.antwort(), "geöffnet");
        fenster.sende("Gruppe Ost");
        ASSERT_EQ(fenster.antwort(), "gespeichert");
        if (geloescht) {
            fs::remove(datei); // as a file manager does, its "-wal" and "-shm" left behind
        } else {
            fenster.sende("stat: EIO");
        }
        fenster.sende("Gruppe West");
        EXPECT_EQ(
            fenster.antwort(),
            "Die Änderung konnte nicht gespeichert werden: " +
                (geloescht
                     ? "Der Spielstand wurde gelöscht, während dieses Fenster ihn offen hatte: Unter " + ort +
                           " liegt kein Spiel mehr. Was dieses Fenster noch speicherte, ginge mit "
                           "ihm verloren; darum speichert es nicht mehr. Schließe es; liegt beim "
                           "nächsten Start unter " +
                           ort + " noch immer nichts, legt Quinzelbrockat dort ein neues, leeres Spiel an."
                     : "Ob unter " + ort +
                           " noch das Spiel dieses Fensters liegt, lässt sich nicht "
                           "prüfen: Ein- oder Ausgabefehler des Datenträgers. Damit kein anderes Spiel "
                           "überschrieben wird, speichert dieses Fenster erst wieder, wenn sich das "
                           "prüfen lässt."));
        fenster.sende("schließen");
        ASSERT_EQ(fenster.antwort(), "geschlossen");
        EXPECT_EQ(Datenschema::oeffneSpeicher(datei, moment + 1h)->kontext().portfolios().size(),
                  geloescht ? 0u : 1u);
    }
}

// A drive whose flock says EOPNOTSUPP is named as one that says ENOLCK.
TEST(Speichersperre, einDatentraegerOhneSperrenWirdBenannt) {
    TempOrdner ordner;
    Kindprozess programm([&](Leitung& leitung) {
        lasseScheitern(__NR_flock, EOPNOTSUPP);
        erstesProgramm(ordner / "Spielstand.sqlite", leitung);
    });
    EXPECT_EQ(programm.antwort(), "Der Spielstand wird nicht geöffnet: Der Ordner „" + ordner.pfad().string() +
                                      "“ lässt sich nicht sperren: Der Datenträger unterstützt keine Dateisperren");
}

// A window ends after a whole other game, companions and all, was put at its store's name: the
// other game's "-wal" and "-shm" stay untouched, and nothing is set aside or noted for a start.
TEST(Speichersperre, amEndeBleibenDieBegleitdateienEinesAnderenSpielsUnberuehrt) {
    Protokollmitschnitt stumm;
    TempOrdner ordner, anderswo;
    const fs::path datei = ordner / "Spielstand.sqlite", andere = anderswo / "Spielstand.sqlite";
    legeVersion2An(andere);
    {
        // The other game's last change stays in its "-wal", as after a crash or a busy checkpoint.
        Verbindung roh(andere);
        roh.ohneCheckpointSchliessen();
        roh.ausfuehren("UPDATE Portfolio SET gruppenname = 'Gruppe Anders'");
    }
    auto container = Datenschema::oeffneSpeicher(datei, moment);
    container->kontext().fuegeEin(std::make_shared<Portfolio>("Gruppe Ost", Dezimal(10000), moment));
    ASSERT_FALSE(speichere(container->kontext()));
    for (const char* endung : {"", "-wal", "-shm"}) {
        fs::rename(andere.string() + endung, datei.string() + endung);
    }
    // Which file each name leads to, and what it holds.
    const auto abbild = [&] {
        std::vector<std::pair<ino_t, std::string>> dateien;
        for (const char* endung : {"", "-wal", "-shm"}) {
            struct stat angaben {};
            ::stat((datei.string() + endung).c_str(), &angaben);
            dateien.emplace_back(angaben.st_ino, inhalt(datei.string() + endung));
        }
        return dateien;
    };
    const auto vorher = abbild();
    ASSERT_FALSE(vorher.at(1).second.empty());

    container.reset();

    EXPECT_TRUE(abbild() == vorher);
    EXPECT_EQ(ordner.namen(),
              (std::vector<std::string>{"Spielstand.sqlite", "Spielstand.sqlite-shm", "Spielstand.sqlite-wal"}));
    EXPECT_EQ(Datenschema::oeffneSpeicher(datei, moment)->hinweis(), std::nullopt);
}

// In a folder the program may not write, a "-wal" that does not fit the store cannot go aside: the
// start says so and where it lies, and the store stays closed and as it was.
TEST(Speichersperre, eineUnpassendeWalDieNichtBeiseiteKannWirdBenannt) {
    TempOrdner ordner;
    const fs::path datei = ordner / "Spielstand.sqlite";
    legeVersion2An(datei);
    legeFremdeWalDaneben(datei);
    const auto vorher = dateien(ordner.pfad());
    Kindprozess programm([&](Leitung& leitung) {
        lasseScheitern(__NR_renameat2, EACCES);
        const Speicherfehler fehler = fehlerVon([&] { Datenschema::oeffneSpeicher(datei, moment); });
        leitung.sende(fehler.domaene() + " " + std::to_string(fehler.code()));
        leitung.sende(fehler.what());
    });
    EXPECT_EQ(programm.antwort(), "Datenschema " + std::to_string(Datenschema::unpassendeWal));
    EXPECT_EQ(programm.antwort(),
              "Neben dem Spielstand „" + datei.string() +
                  "“ liegen Änderungen aus einem früheren Fenster, die nicht zu ihm passen: „" + datei.string() +
                  "-wal“. Mit ihnen ließe sich das Spiel nicht öffnen; ohne sie ist es in Ordnung. Sie ließen sich "
                  "nicht beiseitelegen: Keine Berechtigung. Sie liegen weiter dort. Gib Quinzelbrockat das "
                  "Schreibrecht im Ordner „" +
                  ordner.pfad().string() + "“ oder verschiebe die Datei (mit „" + datei.string() +
                  "-shm“) in einen anderen Ordner, und starte Quinzelbrockat dann noch einmal.");
    programm.toete();
    // Reading through the "-wal" may build its "-shm" index, as any reader does.
    auto nachher = dateien(ordner.pfad());
    nachher.erase("Spielstand.sqlite-shm");
    EXPECT_TRUE(nachher == vorher);
}
