#include <gtest/gtest.h>

#include <map>

#include "Absturzstelle.h"
#include "SpeicherHilfe.h"
#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Speicherfehler.h"
#include "model/Speichern.h"

using namespace qb;
using namespace qb::test;
using namespace std::chrono;

namespace {

// Every file under a folder, by relative path; folders end with "/".
using Dateibaum = std::map<std::string, std::string>;

Dateibaum liesBaum(const fs::path& wurzel) {
    Dateibaum baum;
    if (!fs::exists(wurzel)) {
        return baum;
    }
    for (const auto& eintrag : fs::recursive_directory_iterator(wurzel)) {
        const std::string name = fs::relative(eintrag.path(), wurzel).string();
        baum[eintrag.is_directory() ? name + "/" : name] =
            eintrag.is_directory() ? "" : inhalt(eintrag.path());
    }
    return baum;
}

void schreibeBaum(const fs::path& wurzel, const Dateibaum& baum) {
    for (const auto& [name, daten] : baum) {
        if (name.back() == '/') {
            fs::create_directories(wurzel / name);
        } else {
            fs::create_directories((wurzel / name).parent_path());
            schreibeDatei(wurzel / name, daten);
        }
    }
}

bool endetMit(const std::string& text, const std::string& ende) {
    return text.size() >= ende.size() && text.compare(text.size() - ende.size(), ende.size(), ende) == 0;
}

const Zeitpunkt kaufdatum = Zeitpunkt(seconds(1741000000));

struct Sitzung {
    fs::path datei;
    Zeitpunkt moment;
    std::unique_ptr<Modellcontainer> container;
};

using Schritt = bool (*)(Sitzung&);

bool oeffnen(Sitzung& sitzung) {
    // A store is held by one opening at a time.
    sitzung.container.reset();
    sitzung.container = Datenschema::oeffneSpeicher(sitzung.datei, sitzung.moment);
    return true;
}

bool legePortfolioAn(Sitzung& sitzung) {
    sitzung.container->kontext().fuegeEin(
        std::make_shared<Portfolio>("Gruppe Nord", Dezimal(10000), kaufdatum));
    return !speichere(sitzung.container->kontext());
}

bool kaufeAktie(Sitzung& sitzung) {
    auto portfolio = sitzung.container->kontext().portfolios().at(0);
    auto aktie = std::make_shared<Position>(Assetklasse::aktie);
    aktie->setzeName("Beispiel AG");
    aktie->setzeKennung("DE0007164600");
    aktie->setzeStueckzahl(20);
    aktie->setzeKaufpreis(Dezimal::aus("123.456"));
    portfolio->fuegeHinzu(aktie);
    return !speichere(sitzung.container->kontext());
}

bool benenneGruppeUm(Sitzung& sitzung) {
    sitzung.container->kontext().portfolios().at(0)->setzeGruppenname("Gruppe Süd");
    return !speichere(sitzung.container->kontext());
}

bool loescheAnleihe(Sitzung& sitzung) {
    auto portfolio = sitzung.container->kontext().portfolios().at(0);
    sitzung.container->kontext().loesche(portfolio->position(Assetklasse::anleihe));
    return !speichere(sitzung.container->kontext());
}

struct Szenario {
    const char* name;
    const char* speicher;                   // the store file, relative to the folder
    void (*bereite)(const fs::path& datei); // the files before the run; none for a first start
    std::vector<Schritt> schritte;
    std::vector<std::string> sicherung; // the files of every backup set, by suffix
};

const Szenario szenarien[] = {
    {"erster Start",
     "daten/quinzelbrockat/Spielstand.sqlite",
     nullptr,
     {oeffnen, legePortfolioAn, kaufeAktie},
     {}},
    {"Migration mit Sicherung im WAL-Modus",
     "Spielstand.sqlite",
     [](const fs::path& d) { legeVersion1An(d, true); },
     {oeffnen, benenneGruppeUm},
     {"", "-shm", "-wal"}},
    {"Migration mit Sicherung ohne WAL",
     "Spielstand.sqlite",
     legeVersion1OhneWalAn,
     {oeffnen, loescheAnleihe},
     {""}},
    {"Speichern", "Spielstand.sqlite", legeVersion2An, {oeffnen, benenneGruppeUm, loescheAnleihe}, {}},
    // The start writes the crash's last save from the "-wal" into the store file.
    {"Start nach einem Absturz mit eigener -wal",
     "Spielstand.sqlite",
     [](const fs::path& d) {
         legeVersion2An(d);
         Verbindung roh(d);
         roh.ohneCheckpointSchliessen();
         roh.ausfuehren("UPDATE Portfolio SET gruppenname = 'Gruppe West'");
     },
     {oeffnen, loescheAnleihe},
     {}},
};

const char* artName(Absturzstelle::Art art) {
    switch (art) {
    case Absturzstelle::Art::abbruch:
        return "Abbruch";
    case Absturzstelle::Art::stromausfall:
        return "Stromausfall";
    case Absturzstelle::Art::platteVoll:
        return "Platte voll";
    }
    return "";
}

std::vector<std::string> abbildVon(const fs::path& datei) {
    Verbindung roh(datei);
    return abbild(roh);
}

// The state of the game after every step, computed by a run without a stop; the first entry is
// what the next opening shows before any step.
std::vector<std::vector<std::string>> staendeVon(const Szenario& szenario, const Dateibaum& anfang,
                                                 Zeitpunkt moment) {
    std::vector<std::vector<std::string>> staende;
    TempOrdner ordner;
    schreibeBaum(ordner.pfad(), anfang);
    Sitzung sitzung{ordner / szenario.speicher, moment, nullptr};
    oeffnen(sitzung);
    staende.push_back(abbildVon(sitzung.datei));
    for (Schritt schritt : szenario.schritte) {
        EXPECT_TRUE(schritt(sitzung));
        staende.push_back(abbildVon(sitzung.datei));
    }
    return staende;
}

// Every backup set is whole and holds the game as it was, or there is none; nothing provisional
// is left.
void pruefeSicherungen(const fs::path& ordner, const Szenario& szenario,
                       const std::vector<std::string>& alt) {
    if (!fs::exists(ordner)) {
        return;
    }
    std::map<std::string, std::vector<std::string>> saetze;
    for (const auto& eintrag : fs::directory_iterator(ordner)) {
        std::string name = eintrag.path().filename().string();
        EXPECT_FALSE(endetMit(name, ".unfertig")) << name;
        std::string endung;
        for (const char* moeglich : {"-wal", "-shm"}) {
            if (endetMit(name, moeglich)) {
                endung = moeglich;
                name.resize(name.size() - endung.size());
            }
        }
        saetze[name].push_back(endung);
    }
    EXPECT_FALSE(!saetze.empty() && szenario.sicherung.empty()) << "Sicherung ohne Migration";
    for (auto& [satz, endungen] : saetze) {
        std::sort(endungen.begin(), endungen.end());
        EXPECT_EQ(endungen, szenario.sicherung) << satz;
        TempOrdner wiederhergestellt;
        for (const auto& endung : endungen) {
            fs::copy_file(ordner / (satz + endung), wiederhergestellt / ("alt.sqlite" + endung));
        }
        EXPECT_EQ(abbildVon(wiederhergestellt / "alt.sqlite"), alt) << satz;
    }
}

// A failed opening leaves the store's files as they were: the main file byte for byte, a "-wal"
// grown at most by frames that never committed, no file of its own beside them; only SQLite's
// "-shm" index may change, and complete backup sets may appear.
void pruefeUnveraendert(const Dateibaum& vorher, const Dateibaum& nachher, const std::string& speicher) {
    for (const auto& [name, daten] : vorher) {
        if (endetMit(name, "-shm")) {
            continue;
        }
        auto it = nachher.find(name);
        ASSERT_TRUE(it != nachher.end()) << name << " fehlt";
        if (endetMit(name, "-wal")) {
            EXPECT_TRUE(it->second.compare(0, daten.size(), daten) == 0) << name << " verändert";
        } else {
            EXPECT_TRUE(it->second == daten) << name << " verändert";
        }
    }
    const std::string sicherungen = fs::path(speicher).parent_path().empty()
                                        ? std::string("Sicherungen/")
                                        : (fs::path(speicher).parent_path() / "Sicherungen/").string();
    for (const auto& [name, daten] : nachher) {
        if (vorher.count(name) == 0) {
            EXPECT_TRUE(endetMit(name, "-shm") || name.rfind(sicherungen, 0) == 0 ||
                        sicherungen.rfind(name, 0) == 0)
                << name << " hinzugekommen";
        }
    }
}

} // namespace

// Each scenario is stopped at every file-writing call in turn, once by a killed process, once by
// a power cut and once by a full disk; after each stop the next opening must show exactly the
// last committed state (or the one whose commit was under way), and the backup folder holds
// only whole sets.
TEST(Absturz, jedeStelleHinterlaesstEinenOeffenbarenSpielstand) {
    Protokollmitschnitt stumm;
    const Zeitpunkt moment = Zeitpunkt(sys_days(2025y / March / 5)) + 22h + 30min;
    const Zeitpunkt spaeter = moment + 1h;
    for (const auto& szenario : szenarien) {
        SCOPED_TRACE(szenario.name);
        Dateibaum anfang;
        std::vector<std::string> alt;
        if (szenario.bereite != nullptr) {
            TempOrdner vorlage;
            szenario.bereite(vorlage / szenario.speicher);
            anfang = liesBaum(vorlage.pfad());
            TempOrdner kopie;
            schreibeBaum(kopie.pfad(), anfang);
            alt = abbildVon(kopie / szenario.speicher);
        }
        const auto staende = staendeVon(szenario, anfang, moment);
        for (auto art : {Absturzstelle::Art::abbruch, Absturzstelle::Art::stromausfall,
                         Absturzstelle::Art::platteVoll}) {
            SCOPED_TRACE(artName(art));
            long stellen = 0;
            for (long n = 1;; ++n) {
                SCOPED_TRACE("Stelle " + std::to_string(n));
                TempOrdner ordner;
                schreibeBaum(ordner.pfad(), anfang);
                const fs::path datei = ordner / szenario.speicher;
                auto lauf = Absturzstelle::fuehreAus(ordner.pfad(), art, n, [&](const auto& schrittFertig) {
                    Sitzung sitzung{datei, moment, nullptr};
                    for (Schritt schritt : szenario.schritte) {
                        if (!schritt(sitzung)) {
                            return false;
                        }
                        schrittFertig();
                    }
                    return true;
                });
                if (!lauf.erreicht) {
                    EXPECT_TRUE(lauf.erfolgreich) << lauf.fehler;
                    break;
                }
                ++stellen;
                const int k = lauf.schritte;
                if (art == Absturzstelle::Art::platteVoll) {
                    ASSERT_TRUE(lauf.abgeschlossen);
                    if (!lauf.erfolgreich && k == 0) {
                        SCOPED_TRACE(lauf.fehler);
                        pruefeUnveraendert(anfang, liesBaum(ordner.pfad()), szenario.speicher);
                    }
                } else {
                    ASSERT_EQ(lauf.fehler, "");
                }

                std::unique_ptr<Modellcontainer> container;
                try {
                    container = Datenschema::oeffneSpeicher(datei, spaeter);
                } catch (const Speicherfehler& fehler) {
                    ADD_FAILURE() << "nicht geöffnet: " << fehler.what();
                    continue;
                }
                const auto stand = abbildVon(datei);
                const std::size_t fertig = static_cast<std::size_t>(k);
                const bool unterwegs = art != Absturzstelle::Art::platteVoll && fertig + 1 < staende.size();
                EXPECT_TRUE(stand == staende[fertig] || (unterwegs && stand == staende[fertig + 1]))
                    << "nach " << k << " Schritten: " << ::testing::PrintToString(stand);
                container.reset();
                pruefeSicherungen(datei.parent_path() / "Sicherungen", szenario, alt);
                if (::testing::Test::HasFailure()) {
                    return;
                }
            }
            EXPECT_GT(stellen, 5);
            std::printf("[          ] %s, %s: %ld Stellen\n", szenario.name, artName(art), stellen);
        }
    }
}

// A full disk while saving, at every call of the save that needs room: whatever code SQLite
// reports it with (a full "-wal", a "-shm" index that cannot grow), the message says the disk is
// full, and the store keeps its last saved state.
TEST(Absturz, eineVollePlatteBeimSpeichernWirdAlsSolcheGemeldet) {
    Protokollmitschnitt stumm;
    const Zeitpunkt moment = Zeitpunkt(sys_days(2025y / March / 5)) + 22h + 30min;
    const std::string meldung =
        "Die Änderung konnte nicht gespeichert werden: Auf dem Datenträger ist kein Platz "
        "mehr. Deine Eingaben bleiben stehen; schaffe Platz und versuche es dann noch einmal.";
    Dateibaum anfang;
    std::vector<std::string> alt;
    {
        TempOrdner vorlage;
        legeVersion2An(vorlage / "Spielstand.sqlite");
        anfang = liesBaum(vorlage.pfad());
        alt = abbildVon(vorlage / "Spielstand.sqlite");
    }
    int gescheitert = 0;
    for (long n = 1;; ++n) {
        SCOPED_TRACE("Stelle " + std::to_string(n));
        TempOrdner ordner;
        schreibeBaum(ordner.pfad(), anfang);
        const fs::path datei = ordner / "Spielstand.sqlite";
        auto lauf = Absturzstelle::fuehreAus(
            ordner.pfad(), Absturzstelle::Art::platteVoll, n, [&](const auto& schrittFertig) {
                Sitzung sitzung{datei, moment, nullptr};
                oeffnen(sitzung);
                schrittFertig();
                auto& kontext = sitzung.container->kontext();
                kontext.portfolios().at(0)->setzeGruppenname("Gruppe Süd");
                kontext.fuegeEin(std::make_shared<Portfolio>("Gruppe Ost", Dezimal(10000), kaufdatum));
                if (auto fehler = speichere(kontext)) {
                    throw std::runtime_error(*fehler);
                }
                return true;
            });
        if (!lauf.erreicht) {
            break;
        }
        if (lauf.schritte == 1 && !lauf.erfolgreich) {
            ++gescheitert;
            EXPECT_EQ(lauf.fehler, meldung);
            EXPECT_EQ(abbildVon(datei), alt);
        }
    }
    EXPECT_GT(gescheitert, 3);
}

// A replacement that races a save, with a crash inside it: at every call of the save that writes,
// another, larger game is renamed over the store and the program is killed. The next start opens
// that game alone and whole; a "-wal" with pages saved for the killed program's game lies aside,
// and the start says so. No backup is made.
TEST(Absturz, einErsatzDerEinSpeichernMitAbsturzKreuztLaesstDasNeueSpielGanz) {
    Protokollmitschnitt stumm;
    const Zeitpunkt moment = Zeitpunkt(sys_days(2025y / March / 5)) + 22h + 30min;
    Dateibaum anfang;
    std::vector<std::string> anderes;
    {
        TempOrdner vorlage;
        legeVersion2An(vorlage / "Spielstand.sqlite");
        Aenderungssatz satz;
        for (DatensatzId id = 1; id <= 300; ++id) {
            satz.portfolios.push_back({id, {"Gruppe " + std::to_string(id), Dezimal(10000), kaufdatum}});
        }
        Ablage::oeffne(vorlage / "andere.sqlite")->schreibe(satz);
        anderes = abbildVon(vorlage / "andere.sqlite");
        anfang = liesBaum(vorlage.pfad());
    }
    int beiseite = 0;
    for (long n = 1;; ++n) {
        SCOPED_TRACE("Stelle " + std::to_string(n));
        TempOrdner ordner;
        schreibeBaum(ordner.pfad(), anfang);
        const fs::path datei = ordner / "Spielstand.sqlite";
        const auto lauf = Absturzstelle::fuehreAus(
            ordner.pfad(), Absturzstelle::Art::abbruch, n,
            [&](const auto&) {
                Sitzung sitzung{datei, moment, nullptr};
                oeffnen(sitzung);
                return benenneGruppeUm(sitzung);
            },
            [&] { fs::rename(ordner / "andere.sqlite", datei); });
        if (!lauf.erreicht) {
            break;
        }
        std::unique_ptr<Modellcontainer> container;
        try {
            container = Datenschema::oeffneSpeicher(datei, moment + 1h);
        } catch (const Speicherfehler& fehler) {
            ADD_FAILURE() << "nicht geöffnet: " << fehler.what();
            continue;
        }
        EXPECT_TRUE(abbildVon(datei) == anderes);
        const fs::path wal = ordner / "Spielstand.sqlite-nicht-angewandt-2025-03-06-003000-wal";
        const bool gelegt = fs::exists(wal);
        beiseite += gelegt;
        EXPECT_EQ(container->hinweis(),
                  gelegt ? std::optional(hinweisNachBeiseite(datei, wal)) : std::nullopt);
        EXPECT_FALSE(fs::exists(ordner / "Sicherungen"));
    }
    EXPECT_GT(beiseite, 0);
}
