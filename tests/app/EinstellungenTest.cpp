#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/Spielstandhilfe.h"
#include "Umgebung.h"
#include "app/Einstellungen.h"
#include "ui/Textbruecke.h"
#include "model/Bewertung.h"
#include "model/Position.h"

using namespace qb;
using qbtest::Spielstand;
using testspiel::tag;

namespace {

std::string text(const std::optional<QString>& wert) {
    return wert ? utf8(*wert) : "—";
}

const std::string warnungEinstiegErfasst =
    "Es sind schon Positionen oder Stichtage erfasst. Ein anderes Einstiegsdatum ändert, ab wann der Tagesverlauf "
    "rechnet und welches Datum im Export steht. Die Kaufkurse bleiben, wie sie sind: Prüfe sie danach im Formular "
    "jeder Position.";
const std::string warnungKapital = "Es sind schon Positionen oder Stichtage erfasst. Ein anderes Startkapital "
                                   "verschiebt Barbestand und Rendite auch in der Vergangenheit.";
const std::string warnungNachStichtag =
    "Es gibt schon einen Stichtag vom 11.3.2024. Der Einstieg kann nicht danach liegen.";

struct Regelfall {
    const char* name;
    std::function<void(Spielstand&)> spiel;
    std::function<void(Einstellungen&)> bearbeitung;
    bool schonErfasst;
    bool name_;
    bool einstieg;
    bool kapital;
    std::string einstiegswarnung;
    std::string kapitalwarnung;
    std::string positionen;
};

TEST(EinstellungenTest, knoepfeUndWarnungenFolgenDenBearbeitetenWertenUndDemSpiel) {
    const auto nichts = [](auto&) {};
    const auto nurUnvollstaendig = [](Spielstand& s) {
        testspiel::kaufe(s.portfolio, Assetklasse::aktie, "", 10, testspiel::eur("150"));
        testspiel::kaufe(s.portfolio, Assetklasse::anleihe, "Bund", 0, testspiel::eur("99"));
        s.speichereOderScheitere();
    };
    const auto nurStichtag = [](Spielstand& s) {
        testspiel::stichtag(s.portfolio, tag(2024, 3, 11));
        s.speichereOderScheitere();
    };
    const auto erfasst = [](Spielstand& s) { s.erfasseSpiel(); };
    const std::vector<Regelfall> faelle{
        {"unverändert", nichts, nichts, false, false, false, false, "—", "—", "0 von 5"},
        {"unvollständige Positionen zählen nicht", nurUnvollstaendig,
         [](Einstellungen& e) {
             e.setzeStartkapital(Dezimal(5000));
             e.setzeEinstieg(tag(2024, 3, 1));
         },
         false, false, true, true, "—", "—", "0 von 5"},
        {"ein Stichtag ohne Position", nurStichtag,
         [](Einstellungen& e) {
             e.setzeStartkapital(Dezimal(5000));
             e.setzeEinstieg(tag(2024, 3, 1));
         },
         true, false, true, true, warnungEinstiegErfasst, warnungKapital, "0 von 5"},
        {"Name nur mit Leerraum außen", erfasst, [](Einstellungen& e) { e.setzeGruppenname(" \tGruppe\u00a0"); },
         true, false, false, false, "—", "—", "1 von 5"},
        {"leerer Name", nichts, [](Einstellungen& e) { e.setzeGruppenname(""); }, false, true, false, false, "—",
         "—", "0 von 5"},
        {"derselbe Tag zu anderer Zeit", erfasst, [](Einstellungen& e) { e.setzeEinstieg(tag(2024, 3, 4, 23)); },
         true, false, false, false, "—", "—", "1 von 5"},
        {"Einstieg am Tag des ersten Stichtags", erfasst, [](Einstellungen& e) { e.setzeEinstieg(tag(2024, 3, 11, 20)); },
         true, false, true, false, warnungEinstiegErfasst, "—", "1 von 5"},
        {"Einstieg nach dem ersten Stichtag", erfasst, [](Einstellungen& e) { e.setzeEinstieg(tag(2024, 3, 12, 0)); },
         true, false, false, false, warnungNachStichtag, "—", "1 von 5"},
        {"Startkapital 0", erfasst, [](Einstellungen& e) { e.setzeStartkapital(Dezimal(0)); }, true, false, false,
         false, "—", warnungKapital, "1 von 5"},
        {"Startkapital negativ", nichts, [](Einstellungen& e) { e.setzeStartkapital(Dezimal(-5)); }, false, false,
         false, false, "—", "—", "0 von 5"},
    };
    for (const Regelfall& fall : faelle) {
        Spielstand spiel;
        fall.spiel(spiel);
        Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
        einstellungen.werteLaden();
        fall.bearbeitung(einstellungen);
        EXPECT_EQ(einstellungen.schonErfasst(), fall.schonErfasst) << fall.name;
        EXPECT_EQ(einstellungen.zuruecksetzenMoeglich(), fall.schonErfasst) << fall.name;
        EXPECT_EQ(einstellungen.gruppennameUebernehmbar(), fall.name_) << fall.name;
        EXPECT_EQ(einstellungen.einstiegUebernehmbar(), fall.einstieg) << fall.name;
        EXPECT_EQ(einstellungen.startkapitalUebernehmbar(), fall.kapital) << fall.name;
        EXPECT_EQ(text(einstellungen.einstiegswarnung()), fall.einstiegswarnung) << fall.name;
        EXPECT_EQ(text(einstellungen.startkapitalwarnung()), fall.kapitalwarnung) << fall.name;
        EXPECT_EQ(utf8(einstellungen.positionenText()), fall.positionen) << fall.name;
    }
}

TEST(EinstellungenTest, derKalenderBietetKeinenTagNachHeuteUndNachDemErstenStichtag) {
    const Zeitpunkt heute = tag(2024, 6, 1, 12);
    struct Fall {
        const char* name;
        bool mitStichtag;
        Zeitpunkt einstieg;
        Zeitpunkt grenze;
    };
    const std::vector<Fall> faelle{
        {"ohne Stichtag bis heute", false, tag(2024, 3, 4, 9), heute},
        {"bis zum Ende des Stichtags", true, tag(2024, 3, 4, 9), tag(2024, 3, 11, 23) + std::chrono::minutes(59) + std::chrono::seconds(59)},
        {"ein Einstieg nach dem Stichtag bleibt wählbar", true, tag(2024, 3, 20, 9), tag(2024, 3, 20, 9)},
        {"aber keiner in der Zukunft", false, tag(2024, 7, 1, 9), heute},
    };
    for (const Fall& fall : faelle) {
        Spielstand spiel;
        if (fall.mitStichtag) {
            testspiel::stichtag(spiel.portfolio, tag(2024, 3, 11));
        }
        Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
        einstellungen.setzeEinstieg(fall.einstieg);
        EXPECT_EQ(einstellungen.obergrenze(heute), fall.grenze) << fall.name;
    }
}

TEST(EinstellungenTest, einGewaehlterTagBehaeltDieUhrzeitDesEinstiegs) {
    Spielstand spiel;
    Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
    einstellungen.setzeEinstieg(tag(2024, 3, 4, 9) + std::chrono::milliseconds(250));
    einstellungen.waehleTag(2024, 3, 31); // the day summer time begins in Berlin
    EXPECT_EQ(einstellungen.einstieg(), tag(2024, 3, 31, 9) + std::chrono::milliseconds(250));
}

TEST(EinstellungenTest, dieUebernahmenSchreibenDenSatzUndSpeichernIhn) {
    Spielstand spiel;
    Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
    einstellungen.werteLaden();

    // Trimmed of blanks and tabs, and the field shows the trimmed name.
    einstellungen.setzeGruppenname(QStringLiteral("\u00a0 Team Süd\t"));
    einstellungen.gruppennameUebernehmen();
    EXPECT_EQ(utf8(einstellungen.gruppenname()), "Team Süd");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.gruppenname, "Team Süd");

    // Only blanks: the stored name is cleared.
    einstellungen.setzeGruppenname(QStringLiteral("   "));
    einstellungen.gruppennameUebernehmen();
    EXPECT_EQ(einstellungen.gruppenname(), QString());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.gruppenname, "");

    // The picked instant itself, not the start of its day.
    einstellungen.setzeEinstieg(tag(2024, 3, 1, 15));
    einstellungen.einstiegsdatumUebernehmen();
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2024, 3, 1, 15));

    einstellungen.setzeStartkapital(Dezimal::aus("120000.5"));
    einstellungen.startkapitalUebernehmen();
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal::aus("120000.5"));
    EXPECT_EQ(einstellungen.meldung(), std::nullopt);
}

TEST(EinstellungenTest, dieWaechterHaltenStillAn) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
    einstellungen.werteLaden();

    einstellungen.setzeGruppenname(QStringLiteral("Gruppe\t"));
    einstellungen.gruppennameUebernehmen();
    EXPECT_EQ(einstellungen.gruppenname(), QStringLiteral("Gruppe\t")) << "not even the field changes";

    einstellungen.setzeEinstieg(tag(2024, 3, 12, 0));
    einstellungen.einstiegsdatumUebernehmen();
    einstellungen.setzeStartkapital(Dezimal(0));
    einstellungen.startkapitalUebernehmen();
    EXPECT_FALSE(spiel.kontext().hatAenderungen());
    const PortfolioZeile gespeichert = spiel.gespeichertesPortfolio();
    EXPECT_EQ(gespeichert.felder.kaufdatum, tag(2024, 3, 4, 9));
    EXPECT_EQ(gespeichert.felder.startkapital, Dezimal(100000));
}

TEST(EinstellungenTest, zuruecksetzenLoeschtPositionenUndStichtageUndLaesstDieEinstellungen) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
    einstellungen.werteLaden();
    einstellungen.setzeStartkapital(Dezimal(7)); // an edit not taken over survives the reset

    einstellungen.spielZuruecksetzen();
    EXPECT_TRUE(spiel.portfolio->positionen().empty());
    EXPECT_TRUE(spiel.portfolio->bewertungen().empty());
    const Bestand bestand = spiel.gespeichert();
    EXPECT_TRUE(bestand.positionen.empty());
    EXPECT_TRUE(bestand.bewertungen.empty());
    ASSERT_EQ(bestand.portfolios.size(), 1U);
    EXPECT_EQ(bestand.portfolios[0].felder, (Portfolio::Felder{"Gruppe", Dezimal(100000), tag(2024, 3, 4, 9)}));
    EXPECT_EQ(einstellungen.startkapital(), Dezimal(7));
    EXPECT_EQ(utf8(einstellungen.positionenText()), "0 von 5");
    EXPECT_EQ(utf8(einstellungen.stichtageText()), "0");
}

TEST(EinstellungenTest, einGescheitertesSpeichernMeldetSichUndBehaeltDieEingabe) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
    einstellungen.werteLaden();

    spiel.sperre("UPDATE ON Portfolio");
    einstellungen.setzeStartkapital(Dezimal(50000));
    einstellungen.startkapitalUebernehmen();
    EXPECT_EQ(text(einstellungen.meldung()), qbtest::gesperrtMeldung);
    EXPECT_EQ(spiel.portfolio->startkapital(), Dezimal(100000)) << "rolled back";
    EXPECT_EQ(einstellungen.startkapital(), Dezimal(50000));
    EXPECT_TRUE(einstellungen.startkapitalUebernehmbar()) << "the user can try again";

    spiel.entsperre();
    einstellungen.startkapitalUebernehmen();
    EXPECT_EQ(einstellungen.meldung(), std::nullopt);
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(50000));

    // A failed reset brings every position and reference date back.
    spiel.sperre("DELETE ON Position");
    einstellungen.spielZuruecksetzen();
    EXPECT_EQ(text(einstellungen.meldung()), qbtest::gesperrtMeldung);
    EXPECT_EQ(spiel.portfolio->positionen().size(), 2U);
    EXPECT_EQ(spiel.portfolio->bewertungen().size(), 1U);
    EXPECT_EQ(spiel.gespeichert().positionen.size(), 2U);
}

TEST(EinstellungenTest, standUndFusszeile) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungen einstellungen(spiel.portfolio, spiel.kontext());
    EXPECT_EQ(utf8(einstellungen.stichtageText()), "1");
    EXPECT_EQ(utf8(einstellungen.investiertText()), "1.500,00\u00a0€");
    EXPECT_EQ(utf8(einstellungen.barbestandText()), "98.500,00\u00a0€");

    const std::vector<std::tuple<const char*, const char*, std::string, std::string>> faelle{
        {"1.2.3", "© 2026 Quinzelbrockat", "Quinzelbrockat 1.2.3", "© 2026 Quinzelbrockat"},
        {"", "", "Quinzelbrockat unbekannt", "Quinzelbrockat, ein Planspiel zur Geldanlage"},
        {nullptr, nullptr, "Quinzelbrockat unbekannt", "Quinzelbrockat, ein Planspiel zur Geldanlage"},
    };
    for (const auto& [version, vermerk, zeile, rechte] : faelle) {
        EXPECT_EQ(utf8(Einstellungen::versionszeile(version)), zeile);
        EXPECT_EQ(utf8(Einstellungen::rechtevermerk(vermerk)), rechte);
    }
}

} // namespace
