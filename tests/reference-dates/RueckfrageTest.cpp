#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reference-dates/Rueckfrage.h"
#include "reference-dates/Speicherablauf.h"
#include "valuation/Testspiel.h"
#include "valuation/Vergleichshilfen.h"

using namespace qb;
using namespace testspiel;

namespace {

using Referenz = Kurspruefung::Referenz;
using KursTeil = Kurspruefung::Teil<Kursnotierung>;
using RateTeil = Kurspruefung::Teil<Umrechnung>;
using Gegenstand = Kurspruefung::Abweichung::Gegenstand;

const Formatierer deutsch("de_DE");

// A quote in dollars, converted at `rate`.
Kursnotierung dollarQuote(const char* original, const char* rate) {
    Kursnotierung q = quote("0");
    q.umrechnung = Umrechnung{d(original), "USD", d(rate)};
    q.kurs = Preisangabe::umgerechnet(*q.umrechnung).inEuro();
    return q;
}

Referenz nurKurs(const char* kurs) {
    return antwort(KursTeil::vorhanden(quote(kurs)));
}

// A share, a bond of face value 1 000 priced per unit, a currency and a commodity, all complete.
struct Spiel {
    std::shared_ptr<Portfolio> portfolio = spiel();
    std::shared_ptr<Position> aktie = kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, eur("150"));
    std::shared_ptr<Position> anleihe = kaufe(portfolio, Assetklasse::anleihe, "Bund", 5, eur("980"));
    std::shared_ptr<Position> waehrung = kaufe(portfolio, Assetklasse::waehrung, "Dollar", 1000, eur("0.9"));
    std::shared_ptr<Position> rohstoff = kaufe(portfolio, Assetklasse::rohstoff, "Gold", 2, eur("2000"));

    Spiel() {
        aktie->setzeKennung("DE0007236101");
        anleihe->setzeKennung("DE0001102580");
        anleihe->setzeNennwert(d("1000"));
        anleihe->setzeNotierung(Notierungsart::stueckpreis);
        waehrung->setzeKennung("USD");
        rohstoff->setzeKennung("XC0009655157");
    }
};

void tippe(Stichtagsentwurf& e, Assetklasse klasse, const char* waehrung, const char* kurs,
           const char* umrechnung = "0") {
    e.setzeEingabe(klasse, Kurseingabe(waehrung, d(kurs), d(umrechnung)));
}

void beantworte(Stichtagsentwurf& e, Assetklasse klasse, Referenz referenz) {
    e.speichereVergleich(e.zeile(klasse)->vergleichsauftrag(), std::move(referenz));
}

std::vector<Assetklasse> klassen(const std::vector<Rueckfrage::Auffaelligkeit>& liste) {
    std::vector<Assetklasse> k;
    for (const auto& a : liste) {
        k.push_back(a.klasse);
    }
    return k;
}

using A = Assetklasse;

TEST(RueckfrageTest, frageTitelUndMeldung) {
    struct Fall {
        const char* name;
        std::optional<Zeitpunkt> abruftag;
        std::function<void(Stichtagsentwurf&)> eingabe;
        std::vector<A> abweichend;
        std::vector<A> offen;
        const char* titel; // null: no question
        const char* meldung;
    };
    const std::vector<Fall> faelle{
        {"alles leer", std::nullopt, [](Stichtagsentwurf&) {}, {}, {}, nullptr, ""},
        {"nur Vergleiche, keine Eingabe", std::nullopt,
         [](Stichtagsentwurf& e) { beantworte(e, A::aktie, nurKurs("200")); }, {}, {}, nullptr, ""},
        {"übernommener Kurs wird nicht mit sich verglichen", tag(2024, 3, 11),
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "EUR", "100");
             beantworte(e, A::aktie, nurKurs("200"));
             e.vergleichskursUebernehmen(A::aktie);
         },
         {}, {}, nullptr, ""},
        {"offener Vergleich", std::nullopt, [](Stichtagsentwurf& e) { tippe(e, A::aktie, "EUR", "100"); }, {},
         {A::aktie}, "Noch nicht alle Kurse verglichen",
         "Noch nicht verglichen: Aktie. Der Vergleichskurs wird noch geholt."},
        {"über einer Milliarde ist nicht offen", std::nullopt,
         [](Stichtagsentwurf& e) { tippe(e, A::aktie, "EUR", "1000000001"); }, {}, {}, nullptr, ""},
        {"fehlgeschlagener Vergleich ist nicht offen", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "EUR", "100");
             beantworte(e, A::aktie, antwort(KursTeil::fehlt("Die Quelle war nicht erreichbar: weg")));
         },
         {}, {}, nullptr, ""},
        {"genau 10 % ist nicht stark", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "EUR", "110");
             beantworte(e, A::aktie, nurKurs("100"));
         },
         {}, {}, nullptr, ""},
        {"10,01 % ist stark", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "EUR", "110.01");
             beantworte(e, A::aktie, nurKurs("100"));
         },
         {A::aktie}, {}, "Ein Kurs weicht stark vom Vergleich ab",
         "Aktie: Kurs aktuell laut Quelle: 100,00 €. Eingetragen: 110,01 €. Abweichung 10·%."},
        {"am Abruftag", tag(2024, 3, 11),
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "EUR", "100");
             beantworte(e, A::aktie, nurKurs("120"));
         },
         {A::aktie}, {}, "Ein Kurs weicht stark vom Vergleich ab",
         "Aktie: Kurs am 11.3.2024 laut Quelle: 120,00 €. Eingetragen: 100,00 €. Abweichung 20·%."},
        {"Wechselkurs allein", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::rohstoff, "USD", "2400", "1.5");
             beantworte(e, A::rohstoff, antwort(KursTeil::entfaellt(), ezb("1.2")));
         },
         {A::rohstoff}, {}, "Ein Kurs weicht stark vom Vergleich ab",
         "Rohstoff: EZB-Kurs aktuell: 1·€·=·1,2·USD. Eingetragen: 1·€·=·1,5·USD. Abweichung 25·%."},
        {"Kurs und Wechselkurs einer Klasse mit einem Leerzeichen", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "USD", "150", "1.5");
             beantworte(e, A::aktie, antwort(KursTeil::vorhanden(dollarQuote("100", "1")), ezb("1")));
         },
         {A::aktie}, {}, "Ein Kurs weicht stark vom Vergleich ab",
         "Aktie: Kurs aktuell laut Quelle: 100,00 USD. Eingetragen: 150,00 USD. Abweichung 50·%. "
         "EZB-Kurs aktuell: 1·€·=·1·USD. Eingetragen: 1·€·=·1,5·USD. Abweichung 50·%."},
        {"schwacher Kurs, starker Wechselkurs: nur der starke", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "USD", "105", "1.5");
             beantworte(e, A::aktie, antwort(KursTeil::vorhanden(dollarQuote("100", "1")), ezb("1")));
         },
         {A::aktie}, {}, "Ein Kurs weicht stark vom Vergleich ab",
         "Aktie: EZB-Kurs aktuell: 1·€·=·1·USD. Eingetragen: 1·€·=·1,5·USD. Abweichung 50·%."},
        {"Anleihe anders notiert ist immer stark", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::anleihe, "EUR", "976");
             beantworte(e, A::anleihe, antwort(KursTeil::vorhanden(quote("97.6", Notierungsart::prozentVomNennwert))));
         },
         {A::anleihe}, {}, "Ein Kurs weicht stark vom Vergleich ab",
         "Anleihe: Die Quelle notiert dieses Papier als Prozent vom Nennwert, eingetragen ist Preis je Stück. "
         "Bei einem Nennwert von 1.000 stimmen Einsatz und Stichtagswerte dann nicht."},
        {"Abweichung und offene Währung", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::aktie, "EUR", "100");
             beantworte(e, A::aktie, nurKurs("150"));
             tippe(e, A::waehrung, "USD", "0", "1.08");
         },
         {A::aktie}, {A::waehrung}, "Ein Kurs weicht stark vom Vergleich ab",
         "Aktie: Kurs aktuell laut Quelle: 150,00 €. Eingetragen: 100,00 €. Abweichung 50·%.\n\n"
         "Noch nicht verglichen: Währung. Der Vergleichskurs wird noch geholt."},
        {"zwei offene Klassen", std::nullopt,
         [](Stichtagsentwurf& e) {
             tippe(e, A::rohstoff, "EUR", "2100");
             tippe(e, A::aktie, "EUR", "100");
         },
         {}, {A::aktie, A::rohstoff}, "Noch nicht alle Kurse verglichen",
         "Noch nicht verglichen: Aktie, Rohstoff. Der Vergleichskurs wird noch geholt."},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        Stichtagsentwurf e(*s.portfolio, f.abruftag);
        f.eingabe(e);
        const std::optional<Rueckfrage> frage = Rueckfrage::fuer(e);
        if (!f.titel) {
            EXPECT_FALSE(frage.has_value());
            continue;
        }
        ASSERT_TRUE(frage.has_value());
        EXPECT_EQ(klassen(frage->abweichend), f.abweichend);
        EXPECT_EQ(frage->offen, f.offen);
        for (const auto& a : frage->abweichend) {
            for (const auto& abweichung : a.abweichungen) {
                EXPECT_TRUE(abweichung.istStark());
            }
        }
        EXPECT_EQ(frage->titel(), f.titel);
        EXPECT_EQ(frage->meldung(e, deutsch), nbsp(f.meldung));
    }
}

TEST(RueckfrageTest, meldungUebergehtKlassenOhneZeile) {
    Spiel s;
    Stichtagsentwurf e(*s.portfolio, std::nullopt);
    Rueckfrage frage{{{A::co2Zertifikat, {}}}, {A::aktie}};
    EXPECT_EQ(frage.meldung(e, deutsch), "Noch nicht verglichen: Aktie. Der Vergleichskurs wird noch geholt.");
}

TEST(RueckfrageTest, abweichungenEinerZeileAuchSchwache) {
    Spiel s;
    Stichtagsentwurf e(*s.portfolio, tag(2024, 3, 11));
    tippe(e, A::aktie, "EUR", "105");
    const auto& aktie = *e.zeile(A::aktie);
    EXPECT_TRUE(Rueckfrage::abweichungen(e, aktie).empty()); // still fetching

    beantworte(e, A::aktie, nurKurs("100"));
    const auto liste = Rueckfrage::abweichungen(e, *e.zeile(A::aktie));
    ASSERT_EQ(liste.size(), 1U);
    EXPECT_EQ(liste[0].gegenstand, Gegenstand::kurs);
    EXPECT_EQ(liste[0].anteil, d("0.05"));
    EXPECT_FALSE(Rueckfrage::fuer(e).has_value());

    e.vergleichskursUebernehmen(A::aktie);
    EXPECT_TRUE(Rueckfrage::abweichungen(e, *e.zeile(A::aktie)).empty());

    tippe(e, A::rohstoff, "EUR", "1000000001");
    beantworte(e, A::rohstoff, nurKurs("2000"));
    EXPECT_TRUE(Rueckfrage::abweichungen(e, *e.zeile(A::rohstoff)).empty());
}

// The bond deviates when the question is shown; then something arrives before "Trotzdem speichern".
TEST(RueckfrageTest, trotzdemSpeichernPrueftNeueAbweichungen) {
    struct Fall {
        const char* name;
        std::function<void(Stichtagsentwurf&)> danach;
        bool gespeichert;
    };
    const std::vector<Fall> faelle{
        {"unverändert", [](Stichtagsentwurf&) {}, true},
        {"Aktie trifft stark abweichend ein",
         [](Stichtagsentwurf& e) { beantworte(e, A::aktie, nurKurs("130")); }, false},
        {"Aktie trifft ohne starke Abweichung ein",
         [](Stichtagsentwurf& e) { beantworte(e, A::aktie, nurKurs("105")); }, true},
        {"neue Antwort nimmt die Abweichung der Anleihe weg",
         [](Stichtagsentwurf& e) { beantworte(e, A::anleihe, nurKurs("975")); }, true},
        {"Anleihe weicht anders ab", [](Stichtagsentwurf& e) { beantworte(e, A::anleihe, nurKurs("2000")); },
         true},
        {"fehlgeschlagene Antwort der Aktie",
         [](Stichtagsentwurf& e) { beantworte(e, A::aktie, antwort(KursTeil::fehlt("weg"))); }, true},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        Stichtagsentwurf e(*s.portfolio, std::nullopt);
        tippe(e, A::aktie, "EUR", "100");
        tippe(e, A::anleihe, "EUR", "976");
        beantworte(e, A::anleihe, antwort(KursTeil::vorhanden(quote("97.6", Notierungsart::prozentVomNennwert))));
        const auto gezeigt = e.stichtagskurse();

        Speicherablauf ablauf;
        EXPECT_FALSE(ablauf.speichern(e).has_value());
        ASSERT_TRUE(ablauf.rueckfrage().has_value());
        EXPECT_EQ(klassen(ablauf.rueckfrage()->abweichend), std::vector<A>{A::anleihe});
        EXPECT_EQ(ablauf.rueckfrage()->offen, std::vector<A>{A::aktie});

        f.danach(e);
        const auto kurse = ablauf.trotzdemSpeichern(e);
        EXPECT_FALSE(ablauf.rueckfrage().has_value());
        EXPECT_EQ(ablauf.neueAbweichung(), !f.gespeichert);
        if (f.gespeichert) {
            ASSERT_TRUE(kurse.has_value());
            EXPECT_EQ(*kurse, gezeigt);
            EXPECT_EQ(kurse->size(), 2U);
        } else {
            EXPECT_FALSE(kurse.has_value());
            // The next press drops the warning and asks again, now about both.
            EXPECT_FALSE(ablauf.speichern(e).has_value());
            EXPECT_FALSE(ablauf.neueAbweichung());
            EXPECT_EQ(klassen(ablauf.rueckfrage()->abweichend), (std::vector<A>{A::aktie, A::anleihe}));
        }
    }
}

TEST(RueckfrageTest, speicherablaufOhneFrageZurueckUndGezeigteKurse) {
    Spiel s;
    Stichtagsentwurf e(*s.portfolio, std::nullopt);
    Speicherablauf ablauf;
    // Nothing shown: a stray "Trotzdem speichern" writes nothing.
    EXPECT_FALSE(ablauf.trotzdemSpeichern(e).has_value());
    EXPECT_FALSE(ablauf.neueAbweichung());

    tippe(e, A::aktie, "EUR", "100");
    beantworte(e, A::aktie, nurKurs("101"));
    const auto sofort = ablauf.speichern(e);
    ASSERT_TRUE(sofort.has_value());
    EXPECT_EQ(*sofort, e.stichtagskurse());
    EXPECT_FALSE(ablauf.rueckfrage().has_value());

    // Stopped once, then "Zurück zur Eingabe" keeps the warning and drops only the question.
    tippe(e, A::rohstoff, "EUR", "3000");
    beantworte(e, A::rohstoff, nurKurs("2000"));
    EXPECT_FALSE(ablauf.speichern(e).has_value());
    tippe(e, A::anleihe, "EUR", "976");
    beantworte(e, A::anleihe, antwort(KursTeil::vorhanden(quote("97.6", Notierungsart::prozentVomNennwert))));
    EXPECT_FALSE(ablauf.trotzdemSpeichern(e).has_value());
    EXPECT_TRUE(ablauf.neueAbweichung());
    EXPECT_FALSE(ablauf.speichern(e).has_value());
    EXPECT_FALSE(ablauf.neueAbweichung());
    ablauf.schliesseRueckfrage();
    EXPECT_FALSE(ablauf.rueckfrage().has_value());

    // What was asked about is what is written, even when a shown row changed meanwhile.
    tippe(e, A::anleihe, "", "0");
    EXPECT_FALSE(ablauf.speichern(e).has_value());
    const auto gezeigt = e.stichtagskurse();
    tippe(e, A::rohstoff, "EUR", "3100");
    const auto kurse = ablauf.trotzdemSpeichern(e);
    ASSERT_TRUE(kurse.has_value());
    EXPECT_EQ(*kurse, gezeigt);
    EXPECT_NE(*kurse, e.stichtagskurse());

    EXPECT_EQ(Speicherablauf::nichtGespeichertText,
              "Nicht gespeichert: Inzwischen ist ein Vergleichskurs eingetroffen, der stark abweicht. Prüf die "
              "markierte Zeile und speichere dann noch einmal.");
}

} // namespace
