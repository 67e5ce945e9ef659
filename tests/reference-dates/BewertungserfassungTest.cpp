#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/Spielstandhilfe.h"
#include "reference-dates/Bewertungserfassung.h"

using namespace qb;
using testspiel::d;
using testspiel::tag;

namespace {

using Kurs = Bewertungserfassung::Stichtagskurs;
using Wert = Bewertungserfassung::Stichtagskurs::Wert;

const Zeitpunkt stichtag = tag(2024, 3, 11);

// A game in a real file with five complete positions, each with its identifier.
struct Spiel : qbtest::Spielstand {
    Spiel() {
        const std::vector<std::pair<Assetklasse, const char*>> klassen{
            {Assetklasse::aktie, "DE0007236101"}, {Assetklasse::anleihe, "DE0001102580"},
            {Assetklasse::waehrung, "USD"}, {Assetklasse::rohstoff, "XC0009655157"}, {Assetklasse::co2Zertifikat, "EUA"}};
        for (const auto& [klasse, kennung] : klassen) {
            auto position = testspiel::kaufe(portfolio, klasse, "Posten", 10, testspiel::eur("100"));
            position->setzeKennung(kennung);
        }
        speichereOderScheitere();
    }

    std::shared_ptr<Position> position(Assetklasse klasse) const { return portfolio->position(klasse); }
    Kurs eingetippt(Assetklasse klasse, Preisangabe preis) const {
        return Kurs{position(klasse)->kennung(), Wert::eingetippt(std::move(preis))};
    }
    Kurs uebernommen(Assetklasse klasse, Kursnotierung notierung) const {
        return Kurs{position(klasse)->kennung(), Wert::uebernommen(std::move(notierung))};
    }

    // The notes in the file, by the class of their position.
    std::map<Assetklasse, Preisnotiz::Felder> gespeicherteNotizen() const {
        const Bestand bestand = gespeichert();
        std::map<Assetklasse, Preisnotiz::Felder> notizen;
        for (const auto& zeile : bestand.preisnotizen) {
            for (const auto& position : bestand.positionen) {
                if (zeile.position == position.id) {
                    notizen.emplace(position.felder.assetklasse, zeile.felder);
                }
            }
        }
        return notizen;
    }
};

Kursnotierung quote(const char* kurs, std::optional<Umrechnung> umrechnung = std::nullopt) {
    Kursnotierung q;
    q.kurs = d(kurs);
    q.waehrung = "EUR";
    q.art = Kursart::tagesschluss;
    q.abgerufenAm = tag(2024, 3, 12, 8);
    q.quelle = "Börse Frankfurt (XETR)";
    q.umrechnung = std::move(umrechnung);
    return q;
}

Preisnotiz::Felder handnotiz(const char* preis, const char* kennung) {
    Preisnotiz::Felder f;
    f.preis = d(preis);
    f.quelle = "Bloomberg";
    f.kennung = kennung;
    f.art = Kursart::vonHand;
    f.abgerufenAm = stichtag;
    f.herkunft = Preisherkunft::manuell;
    return f;
}

} // namespace

TEST(Bewertungserfassung, schreibtJedenKursFeldFuerFeld) {
    Spiel spiel;
    Kursnotierung mitUmsatz = quote("101.25");
    mitUmsatz.kursdatum = tag(2024, 3, 11, 17);
    mitUmsatz.handelsumfang = Handelsumfang{3, 1200, d("45678.9")};
    // Without a quote date the note carries the moment of the fetch.
    Kursnotierung fremdOhneDatum = quote("0", Umrechnung{d("2200"), "USD", d("1.1")});
    fremdOhneDatum.art = Kursart::geldBriefMitte;

    const std::map<Assetklasse, Kurs> kurse{
        {Assetklasse::aktie, spiel.eingetippt(Assetklasse::aktie, testspiel::eur("151.3"))},
        {Assetklasse::anleihe, spiel.uebernommen(Assetklasse::anleihe, mitUmsatz)},
        {Assetklasse::waehrung, spiel.eingetippt(Assetklasse::waehrung, testspiel::fremd("50", "GBP", "0.85"))},
        {Assetklasse::rohstoff, spiel.uebernommen(Assetklasse::rohstoff, fremdOhneDatum)},
        {Assetklasse::co2Zertifikat, spiel.eingetippt(Assetklasse::co2Zertifikat, testspiel::fremd("70", "USD", "0"))},
    };
    const auto ausgang = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext());
    ASSERT_TRUE(ausgang.angelegt());
    EXPECT_TRUE(ausgang.angelegt()->verworfen.empty());
    const auto& bewertung = ausgang.angelegt()->bewertung;
    EXPECT_EQ(bewertung->datum(), stichtag);
    EXPECT_EQ(bewertung->notiz(), "");
    EXPECT_EQ(spiel.portfolio->bewertungen(), std::vector{bewertung});
    EXPECT_FALSE(spiel.kontext().hatAenderungen());

    Preisnotiz::Felder aktie = handnotiz("151.3", "DE0007236101");
    Preisnotiz::Felder anleihe;
    anleihe.preis = d("101.25");
    anleihe.quelle = "Börse Frankfurt (XETR)";
    anleihe.kennung = "DE0001102580";
    anleihe.art = Kursart::tagesschluss;
    anleihe.abgerufenAm = tag(2024, 3, 11, 17);
    anleihe.herkunft = Preisherkunft::automatisch;
    anleihe.handelsumfang = Handelsumfang{3, 1200, d("45678.9")};
    Preisnotiz::Felder waehrung = handnotiz("58.823529411765", "USD");
    waehrung.preisOriginal = d("50");
    waehrung.originalwaehrung = "GBP";
    waehrung.umrechnung = d("0.85");
    // The EUR price of a taken-over foreign quote is recomputed from its original and rate.
    Preisnotiz::Felder rohstoff = anleihe;
    rohstoff.preis = d("2000");
    rohstoff.kennung = "XC0009655157";
    rohstoff.art = Kursart::geldBriefMitte;
    rohstoff.abgerufenAm = tag(2024, 3, 12, 8);
    rohstoff.handelsumfang = std::nullopt;
    rohstoff.preisOriginal = d("2200");
    rohstoff.originalwaehrung = "USD";
    rohstoff.umrechnung = d("1.1");
    Preisnotiz::Felder co2 = handnotiz("0", "EUA");
    co2.preisOriginal = d("70");
    co2.originalwaehrung = "USD";
    co2.umrechnung = d("0");

    const std::map<Assetklasse, Preisnotiz::Felder> erwartet{
        {Assetklasse::aktie, aktie}, {Assetklasse::anleihe, anleihe}, {Assetklasse::waehrung, waehrung},
        {Assetklasse::rohstoff, rohstoff}, {Assetklasse::co2Zertifikat, co2}};
    EXPECT_EQ(spiel.gespeicherteNotizen(), erwartet);

    // In class order, each linked to its position and to the new date.
    ASSERT_EQ(bewertung->notizen().size(), 5U);
    for (std::size_t i = 0; i < 5; ++i) {
        const auto& notiz = bewertung->notizen()[i];
        EXPECT_EQ(notiz->position(), spiel.position(alleAssetklassen[i]));
        EXPECT_EQ(notiz->bewertung(), bewertung);
        EXPECT_EQ(notiz->felder(), erwartet.at(alleAssetklassen[i]));
    }
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 1U);
    EXPECT_EQ(bestand.bewertungen[0].felder, (Bewertung::Felder{stichtag, ""}));
}

TEST(Bewertungserfassung, verwirftKurseMitGrund) {
    const std::string weg = "Die Position gibt es nicht mehr.";
    const std::string neueKennung =
        "Die Kennung wurde geändert, nachdem der Kurs eingetragen war. Trag ihn für die neue Kennung ein.";
    const std::string andersNotiert =
        "Die Quelle notiert dieses Papier als Preis je Stück, eingetragen ist Prozent vom Nennwert. "
        "Bei einem Nennwert von 1.000 stimmen Einsatz und Stichtagswerte dann nicht.";
    Kursnotierung jeStueck = quote("1010");
    jeStueck.notierungsart = Notierungsart::stueckpreis;

    struct Fall {
        const char* name;
        // Changes the game after the price was typed; returns the price of the bond.
        std::function<Kurs(Spiel&)> aendere;
        std::optional<std::string> grund;
    };
    const std::vector<Fall> faelle{
        {"unveraendert", [](Spiel& s) { return s.eingetippt(Assetklasse::anleihe, testspiel::eur("99")); },
         std::nullopt},
        {"geloescht",
         [](Spiel& s) {
             Kurs kurs = s.eingetippt(Assetklasse::anleihe, testspiel::eur("99"));
             s.kontext().loesche(s.position(Assetklasse::anleihe));
             return kurs;
         },
         weg},
        {"stueckzahl 0",
         [](Spiel& s) {
             Kurs kurs = s.eingetippt(Assetklasse::anleihe, testspiel::eur("99"));
             s.position(Assetklasse::anleihe)->setzeStueckzahl(0);
             return kurs;
         },
         weg},
        {"ohne Namen",
         [](Spiel& s) {
             Kurs kurs = s.eingetippt(Assetklasse::anleihe, testspiel::eur("99"));
             s.position(Assetklasse::anleihe)->setzeName("");
             return kurs;
         },
         weg},
        {"Kennung in anderer Schreibung",
         [](Spiel&) { return Kurs{"de0001102580", Wert::eingetippt(testspiel::eur("99"))}; }, neueKennung},
        {"Kennung mit Leerzeichen",
         [](Spiel&) { return Kurs{"DE0001102580 ", Wert::eingetippt(testspiel::eur("99"))}; }, neueKennung},
        {"je Stueck notiert bei Nennwert 1000",
         [&jeStueck](Spiel& s) {
             s.position(Assetklasse::anleihe)->setzeNennwert(Dezimal(1000));
             return s.uebernommen(Assetklasse::anleihe, jeStueck);
         },
         andersNotiert},
        {"je Stueck notiert bei Nennwert 100",
         [&jeStueck](Spiel& s) { return s.uebernommen(Assetklasse::anleihe, jeStueck); }, std::nullopt},
        {"eingetippt bei Nennwert 1000",
         [](Spiel& s) {
             s.position(Assetklasse::anleihe)->setzeNennwert(Dezimal(1000));
             return s.eingetippt(Assetklasse::anleihe, testspiel::eur("99"));
         },
         std::nullopt},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        Spiel spiel;
        const Kurs anleihe = fall.aendere(spiel);
        const std::map<Assetklasse, Kurs> kurse{
            {Assetklasse::aktie, spiel.eingetippt(Assetklasse::aktie, testspiel::eur("151.3"))},
            {Assetklasse::anleihe, anleihe}};
        const auto ausgang = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext());
        ASSERT_TRUE(ausgang.angelegt());
        const auto notizen = spiel.gespeicherteNotizen();
        EXPECT_TRUE(notizen.contains(Assetklasse::aktie));
        if (fall.grund) {
            EXPECT_EQ(ausgang.angelegt()->verworfen, (std::map<Assetklasse, std::string>{{Assetklasse::anleihe, *fall.grund}}));
            EXPECT_EQ(notizen.size(), 1U);
            EXPECT_EQ(ausgang.angelegt()->bewertung->notizen().size(), 1U);
        } else {
            EXPECT_TRUE(ausgang.angelegt()->verworfen.empty());
            EXPECT_EQ(notizen.size(), 2U);
        }

        // Only rejected prices: nothing is created.
        if (fall.grund) {
            const auto nurAnleihe = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag,
                                                                  {{Assetklasse::anleihe, anleihe}}, spiel.kontext());
            ASSERT_TRUE(nurAnleihe.keinKurs());
            EXPECT_EQ(*nurAnleihe.keinKurs(), (std::map<Assetklasse, std::string>{{Assetklasse::anleihe, *fall.grund}}));
            EXPECT_EQ(spiel.portfolio->bewertungen().size(), 1U);
            EXPECT_EQ(spiel.gespeichert().bewertungen.size(), 1U);
        }
    }
}

TEST(Bewertungserfassung, ohneKurseEntstehtNichts) {
    Spiel spiel;
    const auto ausgang = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, {}, spiel.kontext());
    ASSERT_TRUE(ausgang.keinKurs());
    EXPECT_TRUE(ausgang.keinKurs()->empty());
    EXPECT_TRUE(spiel.portfolio->bewertungen().empty());
    EXPECT_FALSE(spiel.kontext().hatAenderungen());

    // A class without any position counts as gone.
    spiel.kontext().loesche(spiel.position(Assetklasse::rohstoff));
    spiel.speichereOderScheitere();
    const auto ohnePosition = Bewertungserfassung::erfassen(
        *spiel.portfolio, stichtag, {{Assetklasse::rohstoff, Kurs{"XC0009655157", Wert::eingetippt(testspiel::eur("1"))}}},
        spiel.kontext());
    ASSERT_TRUE(ohnePosition.keinKurs());
    EXPECT_EQ(*ohnePosition.keinKurs(),
              (std::map<Assetklasse, std::string>{{Assetklasse::rohstoff, "Die Position gibt es nicht mehr."}}));
    EXPECT_TRUE(spiel.gespeichert().bewertungen.empty());
}

TEST(Bewertungserfassung, gescheitertesSpeichernHinterlaesstNichts) {
    Spiel spiel;
    spiel.sperre("INSERT ON Preisnotiz");
    const std::map<Assetklasse, Kurs> kurse{
        {Assetklasse::aktie, spiel.eingetippt(Assetklasse::aktie, testspiel::eur("151.3"))},
        {Assetklasse::anleihe, spiel.uebernommen(Assetklasse::anleihe, quote("99"))}};
    const auto ausgang = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext());
    ASSERT_TRUE(ausgang.fehler());
    EXPECT_EQ(*ausgang.fehler(), qbtest::gesperrtMeldung);
    EXPECT_TRUE(spiel.portfolio->bewertungen().empty());
    EXPECT_TRUE(spiel.position(Assetklasse::aktie)->notizen().empty());
    EXPECT_TRUE(spiel.position(Assetklasse::anleihe)->notizen().empty());
    EXPECT_FALSE(spiel.kontext().hatAenderungen());
    const Bestand bestand = spiel.gespeichert();
    EXPECT_TRUE(bestand.bewertungen.empty());
    EXPECT_TRUE(bestand.preisnotizen.empty());

    // The next attempt starts clean.
    spiel.entsperre();
    ASSERT_TRUE(Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext()).angelegt());
    EXPECT_EQ(spiel.gespeicherteNotizen().size(), 2U);
}

TEST(Bewertungserfassung, zweiterStichtagGleichenDatumsUndKorrektur) {
    Spiel spiel;
    const std::map<Assetklasse, Kurs> kurse{
        {Assetklasse::anleihe, spiel.uebernommen(Assetklasse::anleihe, quote("99"))}};
    const auto erster = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext());
    const auto zweiter = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext());
    ASSERT_TRUE(erster.angelegt() && zweiter.angelegt());
    EXPECT_NE(erster.angelegt()->bewertung, zweiter.angelegt()->bewertung);
    EXPECT_EQ(spiel.gespeichert().bewertungen.size(), 2U);

    // A typed correction replaces the taken-over quote on the same note, dated on the date.
    const auto& bewertung = erster.angelegt()->bewertung;
    Bewertungserfassung::eingetippterKurs(testspiel::fremd("110", "USD", "1.1"), spiel.position(Assetklasse::anleihe),
                                          bewertung, Bewertungserfassung::bloomberg());
    ASSERT_EQ(bewertung->notizen().size(), 1U);
    Preisnotiz::Felder erwartet = handnotiz("100", "DE0001102580");
    erwartet.preisOriginal = d("110");
    erwartet.originalwaehrung = "USD";
    erwartet.umrechnung = d("1.1");
    EXPECT_EQ(bewertung->notizen()[0]->felder(), erwartet);
}

TEST(Bewertungserfassung, entferntStichtagMitNotizen) {
    Spiel spiel;
    const std::map<Assetklasse, Kurs> kurse{
        {Assetklasse::aktie, spiel.eingetippt(Assetklasse::aktie, testspiel::eur("151.3"))},
        {Assetklasse::anleihe, spiel.uebernommen(Assetklasse::anleihe, quote("99"))}};
    const auto ausgang = Bewertungserfassung::erfassen(*spiel.portfolio, stichtag, kurse, spiel.kontext());
    ASSERT_TRUE(ausgang.angelegt());
    const auto bewertung = ausgang.angelegt()->bewertung;

    spiel.sperre("DELETE ON Bewertung");
    EXPECT_EQ(Bewertungserfassung::entfernen(bewertung, spiel.kontext()), qbtest::gesperrtMeldung);
    EXPECT_EQ(spiel.portfolio->bewertungen(), std::vector{bewertung});
    EXPECT_EQ(bewertung->notizen().size(), 2U);
    EXPECT_EQ(spiel.gespeicherteNotizen().size(), 2U);

    spiel.entsperre();
    EXPECT_EQ(Bewertungserfassung::entfernen(bewertung, spiel.kontext()), std::nullopt);
    EXPECT_TRUE(spiel.portfolio->bewertungen().empty());
    EXPECT_TRUE(spiel.position(Assetklasse::aktie)->notizen().empty());
    const Bestand bestand = spiel.gespeichert();
    EXPECT_TRUE(bestand.bewertungen.empty());
    EXPECT_TRUE(bestand.preisnotizen.empty());
}

TEST(Bewertungserfassung, stichtagswahl) {
    using Wahl = Bewertungserfassung::Stichtagswahl;
    const Wahl heute{stichtag, std::nullopt};
    const Wahl nachtrag{stichtag, tag(2024, 3, 11)};
    EXPECT_FALSE(heute.istNachtrag());
    EXPECT_TRUE(nachtrag.istNachtrag());
    EXPECT_NE(heute, nachtrag);
    EXPECT_EQ(heute.id(), nachtrag.id());
    EXPECT_EQ(nachtrag, (Wahl{stichtag, tag(2024, 3, 11)}));
    EXPECT_NE(nachtrag, (Wahl{stichtag, tag(2024, 3, 12)}));
    const std::hash<Wahl> hash;
    EXPECT_EQ(hash(nachtrag), hash(Wahl{stichtag, tag(2024, 3, 11)}));
    EXPECT_NE(hash(heute), hash(nachtrag));
}
