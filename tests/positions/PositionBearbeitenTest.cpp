// The editor's rules over a real store: the budget, when saving is allowed, the identifier
// question, and saving and removing a position, also in a store that refuses the write.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/Spielstandhilfe.h"
#include "ui/Textbruecke.h"
#include "model/Bewertung.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "positions/PositionBearbeiten.h"
#include "sources/Kursdienst.h"

using namespace qb;
using qbtest::Spielstand;
using testspiel::d;
using testspiel::tag;

namespace {

std::string text(const std::optional<QString>& wert) {
    return wert ? utf8(*wert) : "—";
}

PositionBearbeiten editor(Spielstand& spiel, Assetklasse klasse) {
    return PositionBearbeiten(klasse, spiel.portfolio, spiel.kontext(), Kursdienst::standard(Kursdienst::Adressen{}));
}

// A complete draft: name, quantity and a EUR price.
void fuelle(PositionBearbeiten::Entwurf& entwurf, const char* name, std::int64_t menge, const char* kurs) {
    entwurf.name = name;
    entwurf.setzeMenge(Dezimal(static_cast<long long>(menge)));
    entwurf.eingabe.kurs = d(kurs);
}

const std::string ueberBudgetGespeichert = "Das Portfolio liegt 200,00\u00a0€ über dem Startkapital. Diese Änderung "
                                           "erhöht den Einsatz nicht und lässt sich speichern.";

} // namespace

TEST(PositionBearbeitenTest, dasBudgetZaehltDieGespeichertePositionNieDoppelt) {
    struct Fall {
        const char* name;
        const char* startkapital;
        Assetklasse klasse;
        std::int64_t menge;
        const char* kurs;
        Dezimal nochFrei;
        bool imBudget;
        std::string warnung;
    };
    // The game holds a share of 10 × 150 € and a bond of 90 × 100 € = 10 500 €.
    const std::vector<Fall> faelle{
        {"neue Position genau im Budget", "20000", Assetklasse::rohstoff, 95, "100", Dezimal(0), true, "—"},
        {"−0,004 bleibt frei", "20000.006", Assetklasse::rohstoff, 1, "9500.01", d("-0.004"), true, "—"},
        {"neue Position über dem Budget", "10000", Assetklasse::rohstoff, 1, "100", Dezimal(-600), false,
         "Das sind 600,00\u00a0€ mehr als das Startkapital. Verringere die Menge, dann lässt sich speichern."},
        {"bestehende Position verringert", "10000", Assetklasse::aktie, 8, "150", Dezimal(-200), true,
         ueberBudgetGespeichert},
        {"bestehende Position unverändert", "10000", Assetklasse::aktie, 10, "150", Dezimal(-500), true,
         "Das Portfolio liegt 500,00\u00a0€ über dem Startkapital. Diese Änderung erhöht den Einsatz nicht und lässt "
         "sich speichern."},
        {"bestehende Position erhöht", "10000", Assetklasse::aktie, 11, "150", Dezimal(-650), false,
         "Das sind 650,00\u00a0€ mehr als das Startkapital. Verringere die Menge, dann lässt sich speichern."},
    };
    for (const Fall& fall : faelle) {
        Spielstand spiel;
        testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
        testspiel::kaufe(spiel.portfolio, Assetklasse::anleihe, "Bund", 90, testspiel::eur("100"));
        spiel.portfolio->setzeStartkapital(d(fall.startkapital));
        spiel.speichereOderScheitere();

        PositionBearbeiten bearbeiten = editor(spiel, fall.klasse);
        fuelle(bearbeiten.entwurf(), "Gold", fall.menge, fall.kurs);
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(bearbeiten.nochFrei(), fall.nochFrei) << bearbeiten.nochFrei().text();
        EXPECT_EQ(bearbeiten.imBudget(), fall.imBudget);
        EXPECT_EQ(bearbeiten.kannSpeichern(), fall.imBudget);
        EXPECT_EQ(text(bearbeiten.budgetwarnung()), fall.warnung);
    }
}

TEST(PositionBearbeitenTest, nurEineIsinMitFalscherPruefzifferSperrtDasSpeichern) {
    struct Fall {
        const char* kennung;
        bool kannSpeichern;
    };
    for (const Fall& fall : {Fall{"DE0007164600", true}, Fall{"DE0007164601", false}, Fall{"Gold", true},
                             Fall{"", true}, Fall{"XC0009655157", true}}) {
        Spielstand spiel;
        PositionBearbeiten bearbeiten = editor(spiel, Assetklasse::rohstoff);
        fuelle(bearbeiten.entwurf(), "Gold", 10, "60");
        bearbeiten.entwurf().kennung = fall.kennung;
        EXPECT_EQ(bearbeiten.kannSpeichern(), fall.kannSpeichern) << fall.kennung;
    }
}

TEST(PositionBearbeitenTest, derAbruftagIstDasEinstiegsdatumNurVorHeute) {
    struct Fall {
        const char* name;
        Zeitpunkt kaufdatum;
        Zeitpunkt heute;
        std::optional<Zeitpunkt> abruftag;
    };
    const std::vector<Fall> faelle{
        {"gestern spät", tag(2024, 3, 4, 23) + std::chrono::minutes(30), tag(2024, 3, 5, 0),
         tag(2024, 3, 4, 23) + std::chrono::minutes(30)},
        {"heute früher", tag(2024, 3, 5, 8), tag(2024, 3, 5, 17), std::nullopt},
        {"morgen", tag(2024, 3, 6, 9), tag(2024, 3, 5, 17), std::nullopt},
    };
    for (const Fall& fall : faelle) {
        Spielstand spiel;
        spiel.portfolio->setzeKaufdatum(fall.kaufdatum);
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(editor(spiel, Assetklasse::aktie).abruftag(fall.heute), fall.abruftag);
    }
}

TEST(PositionBearbeitenTest, eineGeaenderteKennungFragtNachDenStichtagenMitKursen) {
    struct Fall {
        const char* name;
        int stichtageMitKurs;
        const char* kennung;
        std::optional<int> frage;
    };
    const std::vector<Fall> faelle{
        {"drei Stichtage", 3, "DE0007236101", 3},
        {"ein Stichtag", 1, "DE0007236101", 1},
        {"keine Kurse", 0, "DE0007236101", std::nullopt},
        {"nur Schreibweise und Leerraum", 3, " de0007164600 ", std::nullopt},
    };
    for (const Fall& fall : faelle) {
        Spielstand spiel;
        auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "SAP", 10, testspiel::eur("150"));
        aktie->setzeKennung("DE0007164600");
        for (int i = 0; i < fall.stichtageMitKurs; ++i) {
            testspiel::notiere(testspiel::stichtag(spiel.portfolio, tag(2024, 3, 11 + i)), aktie, testspiel::eur("160"));
        }
        spiel.speichereOderScheitere();

        PositionBearbeiten bearbeiten = editor(spiel, Assetklasse::aktie);
        bearbeiten.entwurf().kennung = fall.kennung;
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(bearbeiten.speichernGedrueckt(), fall.frage);
    }

    // A new position is never asked about.
    Spielstand spiel;
    spiel.erfasseSpiel();
    PositionBearbeiten neu = editor(spiel, Assetklasse::rohstoff);
    neu.entwurf().kennung = "Gold";
    EXPECT_EQ(neu.kennungsaenderungen(), std::nullopt);

    EXPECT_EQ(utf8(PositionBearbeiten::kennungsfrage(1)),
              "Für einen Stichtag ist schon ein Kurs eingetragen. Er bleibt stehen und wird mit den neuen Angaben "
              "weitergerechnet. Ist es ein anderes Papier, trag den Kurs dieses Stichtags neu ein.");
    EXPECT_EQ(utf8(PositionBearbeiten::kennungsfrage(3)),
              "Für 3 Stichtage sind schon Kurse eingetragen. Sie bleiben stehen und werden mit den neuen Angaben "
              "weitergerechnet. Ist es ein anderes Papier, trag die Kurse dieser Stichtage neu ein.");
}

TEST(PositionBearbeitenTest, eineNeuePositionWirdGespeichertWieEingetragen) {
    Spielstand spiel;
    PositionBearbeiten bearbeiten = editor(spiel, Assetklasse::rohstoff);
    auto& entwurf = bearbeiten.entwurf();
    fuelle(entwurf, " \tXetra-Gold ", 10, "0");
    entwurf.kennung = " de000a0s9gb0\t";
    entwurf.einheit = " Gramm ";
    entwurf.eingabe = Kurseingabe("USD", d("65"), d("1.08"));

    ASSERT_TRUE(bearbeiten.speichere());
    EXPECT_EQ(bearbeiten.speicherfehler(), std::nullopt);
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.positionen.size(), 1U);
    Position::Felder erwartet;
    erwartet.assetklasse = Assetklasse::rohstoff;
    erwartet.name = "Xetra-Gold";
    erwartet.kennung = "DE000A0S9GB0";
    erwartet.quelle = "Bloomberg";
    erwartet.waehrung = "USD";
    erwartet.stueckzahl = 10;
    erwartet.kaufpreis = d("60.185185185185");
    erwartet.notierung = Notierungsart::stueckpreis;
    erwartet.nennwert = Dezimal(100);
    erwartet.kaufkursOriginal = d("65");
    erwartet.kaufumrechnung = d("1.08");
    erwartet.einheit = "Gramm";
    EXPECT_EQ(bestand.positionen[0].felder, erwartet);
    EXPECT_EQ(bestand.positionen[0].portfolio, spiel.portfolio->id());
}

TEST(PositionBearbeitenTest, einUnveraenderterKaufkursBleibtBeimSpeichernGenau) {
    Spielstand spiel;
    auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Apple", 10, testspiel::fremd("150", "USD", "1.08"));
    aktie->setzeQuelle("Börse Frankfurt");
    // Stored to the cent, as an older version did: a re-save must not recompute it.
    aktie->setzeKaufpreis(d("138.89"));
    spiel.speichereOderScheitere();
    const Position::Felder vorher = spiel.gespeichert().positionen.at(0).felder;

    PositionBearbeiten bearbeiten = editor(spiel, Assetklasse::aktie);
    bearbeiten.entwurf().name = "Apple Inc.";
    ASSERT_TRUE(bearbeiten.speichere());
    Position::Felder erwartet = vorher;
    erwartet.name = "Apple Inc.";
    EXPECT_EQ(spiel.gespeichert().positionen.at(0).felder, erwartet);
}

TEST(PositionBearbeitenTest, einGescheitertesSpeichernNimmtAllesZurueckUndBehaeltDenEntwurf) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    const Bestand vorher = spiel.gespeichert();
    spiel.sperre("INSERT ON Position");

    // A new position: the failed save takes the position it created away again.
    PositionBearbeiten neu = editor(spiel, Assetklasse::rohstoff);
    fuelle(neu.entwurf(), "Gold", 10, "60");
    EXPECT_FALSE(neu.speichere());
    EXPECT_EQ(text(neu.speicherfehler()), qbtest::gesperrtMeldung);
    EXPECT_EQ(spiel.portfolio->position(Assetklasse::rohstoff), nullptr);
    EXPECT_EQ(spiel.portfolio->positionen().size(), 2U);
    EXPECT_EQ(neu.entwurf().name, "Gold");
    EXPECT_FALSE(spiel.kontext().hatAenderungen());

    // A stored position keeps its values.
    PositionBearbeiten alt = editor(spiel, Assetklasse::aktie);
    alt.entwurf().name = "Siemens Energy";
    EXPECT_FALSE(alt.speichere());
    EXPECT_EQ(spiel.portfolio->position(Assetklasse::aktie)->name(), "Siemens");
    EXPECT_EQ(alt.entwurf().name, "Siemens Energy");
    EXPECT_EQ(spiel.gespeichert().positionen.size(), vorher.positionen.size());
    EXPECT_EQ(spiel.gespeichert().positionen.at(0).felder, vorher.positionen.at(0).felder);

    // The next attempt starts without the old failure, and a success leaves none behind.
    spiel.entsperre();
    EXPECT_EQ(neu.speichernGedrueckt(), std::nullopt);
    EXPECT_EQ(neu.speicherfehler(), std::nullopt);
    EXPECT_FALSE(alt.speicherfehler() == std::nullopt);
    EXPECT_TRUE(alt.speichere());
    EXPECT_EQ(alt.speicherfehler(), std::nullopt);
    EXPECT_TRUE(neu.speichere());
    EXPECT_EQ(spiel.gespeichert().positionen.size(), 3U);
    EXPECT_EQ(spiel.gespeichert().positionen.at(0).felder.name, "Siemens Energy");
}

TEST(PositionBearbeitenTest, entfernenNimmtDiePositionMitIhrenKursenUndLaesstDieStichtage) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    auto aktie = spiel.portfolio->position(Assetklasse::aktie);
    auto anleihe = spiel.portfolio->position(Assetklasse::anleihe);
    auto zweiter = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 18));
    for (const auto& stichtag : spiel.portfolio->bewertungen()) {
        testspiel::notiere(stichtag, aktie, testspiel::eur("160"));
    }
    testspiel::notiere(zweiter, anleihe, testspiel::eur("99"));
    spiel.speichereOderScheitere();
    ASSERT_EQ(spiel.gespeichert().preisnotizen.size(), 3U);

    // A store that refuses the deletion keeps everything, in the file and in memory.
    spiel.sperre("DELETE ON Position");
    PositionBearbeiten bearbeiten = editor(spiel, Assetklasse::aktie);
    EXPECT_FALSE(bearbeiten.entfernen());
    EXPECT_EQ(text(bearbeiten.speicherfehler()), qbtest::gesperrtMeldung);
    EXPECT_EQ(spiel.portfolio->position(Assetklasse::aktie), aktie);
    EXPECT_EQ(aktie->notizen().size(), 2U);
    EXPECT_EQ(spiel.gespeichert().preisnotizen.size(), 3U);
    spiel.entsperre();

    EXPECT_TRUE(bearbeiten.entfernen());
    EXPECT_EQ(bearbeiten.speicherfehler(), std::nullopt);
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.positionen.size(), 1U);
    EXPECT_EQ(bestand.positionen[0].id, anleihe->id());
    ASSERT_EQ(bestand.preisnotizen.size(), 1U);
    EXPECT_EQ(bestand.preisnotizen[0].position, anleihe->id());
    EXPECT_EQ(bestand.bewertungen.size(), 2U);
    EXPECT_EQ(spiel.portfolio->position(Assetklasse::aktie), nullptr);

    // Nothing left to remove.
    EXPECT_FALSE(bearbeiten.entfernen());
    EXPECT_EQ(bearbeiten.speicherfehler(), std::nullopt);
}

TEST(PositionBearbeitenTest, dieRueckfragenNennenAbweichungenUndGrund) {
    Spielstand spiel;
    PositionBearbeiten bearbeiten = editor(spiel, Assetklasse::aktie);
    const Kurspruefung::Abweichung abweichung{Kurspruefung::Abweichung::Gegenstand::kurs, testspiel::eur("150"),
                                              testspiel::eur("15"), std::nullopt, d("9"), Dezimal(100)};
    const std::string absatz = abweichung.meldung(Assetklasse::aktie, Notierungsart::stueckpreis, tag(2024, 3, 4, 9));
    EXPECT_EQ(utf8(bearbeiten.abweichungsmeldung({abweichung, abweichung}, tag(2024, 3, 5, 9))),
              absatz + "\n\n" + absatz +
                  "\n\nPrüfe Richtung, Währung und Kommastelle. Meinst du den Wert so, speichere trotzdem.");
    EXPECT_EQ(utf8(PositionBearbeiten::ungeprueftMeldung("Keine Verbindung.")),
              "Die App konnte den Kaufkurs nicht mit der Quelle vergleichen: Keine Verbindung.");
    EXPECT_EQ(utf8(PositionBearbeiten::ungeprueftMeldung(std::nullopt)),
              "Die App konnte den Kaufkurs nicht mit der Quelle vergleichen: ");
}

TEST(PositionBearbeitenTest, einSpielstandOhneFreieKennungMeldetDasStattAbzustuerzen) {
    qb::test::TempOrdner ordner;
    const auto datei = ordner / "Spielstand.sqlite";
    {
        Modellcontainer container(Ablage::oeffne(datei));
        container.kontext().fuegeEin(testspiel::spiel());
        ASSERT_EQ(speichere(container.kontext()), std::nullopt);
    }
    qb::test::Verbindung(datei).ausfuehren("INSERT INTO Bewertung VALUES (9223372036854775806, 1, 0, '')");

    Modellcontainer container(Ablage::oeffne(datei));
    auto portfolio = container.kontext().portfolios().at(0);
    PositionBearbeiten bearbeiten(Assetklasse::aktie, portfolio, container.kontext(),
                                  Kursdienst::standard(Kursdienst::Adressen{}));
    fuelle(bearbeiten.entwurf(), "SAP", 10, "150");
    EXPECT_FALSE(bearbeiten.speichere());
    EXPECT_EQ(text(bearbeiten.speicherfehler()), "Die Änderung konnte nicht gespeichert werden: Der Spielstand hat "
                                                 "keine freie Kennung für einen neuen Datensatz mehr.");
    EXPECT_EQ(portfolio->position(Assetklasse::aktie), nullptr);
    EXPECT_FALSE(container.kontext().hatAenderungen());
}
