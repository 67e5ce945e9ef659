#include <gtest/gtest.h>

#include <cerrno>

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

// The first program: opens the store and adds a portfolio for every "speichern" it is sent.
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
        auto& kontext = container->kontext();
        kontext.fuegeEin(std::make_shared<Portfolio>(*befehl, Dezimal(10000), moment));
        leitung.sende(speichere(kontext).value_or("gespeichert"));
    }
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
    ASSERT_EQ(vorher.count("Spielstand.sqlite-sperre"), 1u);
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
    EXPECT_EQ(ordner.namen("daten/quinzelbrockat"),
              (std::vector<std::string>{"Spielstand.sqlite", "Spielstand.sqlite-sperre"}));
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
