#include <gtest/gtest.h>

#include <stdexcept>

#include "Testspiel.h"
#include "model/Kursfehler.h"
#include "valuation/Kurspruefung.h"
#include "valuation/Vergleichshilfen.h"

using namespace qb;
using namespace testspiel;

namespace {

using Abweichung = Kurspruefung::Abweichung;
using Gegenstand = Abweichung::Gegenstand;
using Referenz = Kurspruefung::Referenz;
using KursTeil = Kurspruefung::Teil<Kursnotierung>;
using RateTeil = Kurspruefung::Teil<Umrechnung>;
using Befund = Kurspruefung::Befund;

const Formatierer deutsch("de_DE");

Kursnotierung boersenkurs(const char* kurs, std::optional<Notierungsart> notierung = std::nullopt) {
    Kursnotierung q;
    q.kurs = d(kurs);
    q.waehrung = "EUR";
    q.art = Kursart::letzterHandel;
    q.notierungsart = notierung;
    q.abgerufenAm = tag(2026, 3, 10, 12);
    q.quelle = "Börse Frankfurt (XETR)";
    return q;
}

// A foreign quote after conversion into EUR by the source bundle.
Kursnotierung umgerechneteQuote(const char* original, const char* waehrung, const char* kurs) {
    Umrechnung u{d(original), waehrung, d(kurs)};
    Kursnotierung q = boersenkurs("0");
    q.kurs = u.inEuro();
    q.umrechnung = u;
    return q;
}

Referenz nurKurs(const Kursnotierung& q) {
    return Referenz{KursTeil::vorhanden(q), RateTeil::entfaellt()};
}

std::string beschreibe(const std::vector<Abweichung>& liste) {
    std::string text;
    for (const Abweichung& a : liste) {
        const char* was = a.gegenstand == Gegenstand::kurs          ? "kurs"
                          : a.gegenstand == Gegenstand::wechselkurs ? "wechselkurs"
                                                                    : "notierungsart";
        text += std::string(text.empty() ? "" : " ") + was + "=" + testspiel::text(a.anteil) +
                (a.istStark() ? "!" : "");
    }
    return text;
}

} // namespace

TEST(Kurspruefung, schwelleIstZehnProzent) {
    EXPECT_EQ(Kurspruefung::schwelle(), d("0.1"));
}

TEST(Kurspruefung, anteilSymmetrischUndInPassenderWaehrung) {
    struct Fall {
        const char* name;
        Preisangabe a;
        Preisangabe b;
        Assetklasse klasse;
        const char* anteil;
    };
    const Fall faelle[] = {
        {"100 gegen 110", eur("100"), eur("110"), Assetklasse::aktie, "0.1"},
        {"110 gegen 100", eur("110"), eur("100"), Assetklasse::aktie, "0.1"},
        {"100 gegen 111", eur("100"), eur("111"), Assetklasse::aktie, "0.11"},
        {"gleich", eur("100"), eur("100.00"), Assetklasse::aktie, "0"},
        {"eingetragen 0", eur("0"), eur("100"), Assetklasse::aktie, "—"},
        {"Vergleich 0", eur("100"), eur("0"), Assetklasse::aktie, "—"},
        {"negativ", eur("-100"), eur("100"), Assetklasse::aktie, "—"},
        {"beide USD: im Original", fremd("110", "USD", "1.1"), fremd("100", "USD", "1"), Assetklasse::aktie,
         "0.1"},
        {"beide USD, Kurs 0: im Original", fremd("110", "USD", "0"), fremd("100", "USD", "1"),
         Assetklasse::aktie, "0.1"},
        {"Waehrung immer in Euro", fremd("110", "USD", "1.1"), fremd("100", "USD", "1"),
         Assetklasse::waehrung, "0"},
        {"USD gegen EUR: in Euro", fremd("110", "USD", "1.1"), eur("100"), Assetklasse::aktie, "0"},
        {"USD gegen GBP: in Euro", fremd("100", "USD", "1.25"), fremd("100", "GBP", "1"), Assetklasse::aktie,
         "0.25"},
        {"Kurs 0 ergibt 0 Euro", fremd("110", "USD", "0"), eur("100"), Assetklasse::aktie, "—"},
        {"Waehrungscode genau verglichen", fremd("110", "USD", "1.1"), fremd("100", "usd", "1"),
         Assetklasse::aktie, "0"},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(text(Kurspruefung::anteil(f.a, f.b, f.klasse)), f.anteil) << f.name;
    }
}

TEST(Kurspruefung, starkErstUeberZehnProzent) {
    auto mit = [](Gegenstand g, std::optional<Dezimal> anteil) {
        return Abweichung{g, eur("1"), eur("1"), std::nullopt, std::move(anteil), Dezimal(100)};
    };
    EXPECT_FALSE(mit(Gegenstand::kurs, d("0.1")).istStark());
    EXPECT_FALSE(mit(Gegenstand::kurs, d("0.100")).istStark());
    EXPECT_TRUE(mit(Gegenstand::kurs, d("0.1000000001")).istStark());
    EXPECT_FALSE(mit(Gegenstand::kurs, std::nullopt).istStark());
    EXPECT_FALSE(mit(Gegenstand::wechselkurs, d("0.1")).istStark());
    EXPECT_TRUE(mit(Gegenstand::wechselkurs, d("0.11")).istStark());
    EXPECT_TRUE(mit(Gegenstand::notierungsart, std::nullopt).istStark());
}

TEST(Kurspruefung, pruefeFindetJedeAbweichung) {
    struct Fall {
        const char* name;
        Preisangabe eingetragen;
        Referenz referenz;
        Assetklasse klasse;
        Notierungsart notierung;
        const char* nennwert;
        const char* ergebnis;
    };
    const auto stueck = Notierungsart::stueckpreis;
    const auto prozent = Notierungsart::prozentVomNennwert;
    const Fall faelle[] = {
        {"genau 10 %", eur("100"), nurKurs(boersenkurs("110")), Assetklasse::aktie, stueck, "100", "kurs=0.1"},
        {"11 %", eur("100"), nurKurs(boersenkurs("111")), Assetklasse::aktie, stueck, "100", "kurs=0.11!"},
        {"gleicher Kurs", eur("100"), nurKurs(boersenkurs("100")), Assetklasse::aktie, stueck, "100", "kurs=0"},
        {"Vergleich 0", eur("100"), nurKurs(boersenkurs("0")), Assetklasse::aktie, stueck, "100", ""},
        {"eingetragen 0", eur("0"), nurKurs(boersenkurs("100")), Assetklasse::aktie, stueck, "100", ""},
        {"Prozent gegen Stueck bei Nennwert 100", eur("97.6"), nurKurs(boersenkurs("97.6", prozent)),
         Assetklasse::anleihe, stueck, "100", "kurs=0"},
        {"Prozent gegen Stueck bei Nennwert 1000", eur("976"), nurKurs(boersenkurs("97.6", prozent)),
         Assetklasse::anleihe, stueck, "1000", "notierungsart=—!"},
        {"Stueck gegen Prozent bei Nennwert 1000", eur("97.6"), nurKurs(boersenkurs("976", stueck)),
         Assetklasse::anleihe, prozent, "1000", "notierungsart=—!"},
        {"Quelle ohne Notierung gilt wie die Position", eur("100"), nurKurs(boersenkurs("105")),
         Assetklasse::anleihe, prozent, "1000", "kurs=0.05"},
        {"gleiche Notierung bei Nennwert 1000", eur("97.6"), nurKurs(boersenkurs("97.6", prozent)),
         Assetklasse::anleihe, prozent, "1000", "kurs=0"},
        {"USD gegen USD mit EZB-Kurs", fremd("110", "USD", "1.10"),
         Referenz{KursTeil::vorhanden(umgerechneteQuote("100", "USD", "1.00")), ezb("1.00", "USD")},
         Assetklasse::aktie, stueck, "100", "kurs=0.1 wechselkurs=0.1"},
        {"starker Kurs und starker Wechselkurs", fremd("150", "USD", "1.50"),
         Referenz{KursTeil::vorhanden(umgerechneteQuote("100", "USD", "1.00")), ezb("1.00", "USD")},
         Assetklasse::aktie, stueck, "100", "kurs=0.5! wechselkurs=0.5!"},
        {"USD gegen EUR-Quote: in Euro", fremd("110", "USD", "1.10"), nurKurs(boersenkurs("100")),
         Assetklasse::aktie, stueck, "100", "kurs=0"},
        {"EZB-Kurs einer anderen Waehrung", fremd("110", "USD", "1.10"),
         Referenz{KursTeil::entfaellt(), ezb("0.5", "GBP")}, Assetklasse::aktie, stueck, "100", ""},
        {"eingetragener Kurs 0", fremd("110", "USD", "0"), Referenz{KursTeil::entfaellt(), ezb("1", "USD")},
         Assetklasse::aktie, stueck, "100", ""},
        {"EZB-Kurs 0", fremd("110", "USD", "1.1"), Referenz{KursTeil::entfaellt(), ezb("0", "USD")},
         Assetklasse::aktie, stueck, "100", ""},
        {"Euro-Preis mit EZB-Kurs", eur("100"), Referenz{KursTeil::entfaellt(), ezb("1.1", "USD")},
         Assetklasse::aktie, stueck, "100", ""},
        {"Waehrung: nie ein Wechselkursvergleich", fremd("1", "USD", "1"),
         Referenz{KursTeil::vorhanden(umgerechneteQuote("1", "USD", "1.25")), ezb("1.5", "USD")},
         Assetklasse::waehrung, stueck, "100", "kurs=0.25!"},
        {"fehlend und entfallend", eur("100"), Referenz{KursTeil::fehlt("weg"), RateTeil::fehlt("auch weg")},
         Assetklasse::aktie, stueck, "100", ""},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(
            beschreibe(Kurspruefung::pruefe(f.eingetragen, f.referenz, f.klasse, f.notierung, d(f.nennwert))),
            f.ergebnis)
            << f.name;
    }
}

TEST(Kurspruefung, abweichungenTragenVergleichUndNennwert) {
    auto gefunden = Kurspruefung::pruefe(
        fremd("110", "USD", "1.10"),
        Referenz{KursTeil::vorhanden(umgerechneteQuote("100", "USD", "1.00")), ezb("1.00", "USD")},
        Assetklasse::anleihe, Notierungsart::prozentVomNennwert, d("1000"));
    ASSERT_EQ(gefunden.size(), 2u);
    EXPECT_EQ(gefunden[0],
              (Abweichung{Gegenstand::kurs, fremd("110", "USD", "1.10"), fremd("100", "USD", "1.00"),
                          Notierungsart::prozentVomNennwert, d("0.1"), d("1000")}));
    // The rate part puts the typed price at the ECB rate.
    EXPECT_EQ(gefunden[1], (Abweichung{Gegenstand::wechselkurs, fremd("110", "USD", "1.10"),
                                       fremd("110", "USD", "1"), std::nullopt, d("0.1"), Dezimal(100)}));

    auto notierung =
        Kurspruefung::pruefe(eur("976"), nurKurs(boersenkurs("97.6", Notierungsart::prozentVomNennwert)),
                             Assetklasse::anleihe, Notierungsart::stueckpreis, d("1000"));
    ASSERT_EQ(notierung.size(), 1u);
    EXPECT_EQ(notierung[0], (Abweichung{Gegenstand::notierungsart, eur("976"), eur("97.6"),
                                        Notierungsart::prozentVomNennwert, std::nullopt, d("1000")}));
    EXPECT_NE(notierung[0], (Abweichung{Gegenstand::notierungsart, eur("976"), eur("97.6"),
                                        Notierungsart::prozentVomNennwert, d("0"), d("1000")}));
}

TEST(Kurspruefung, befundInDerReihenfolgeDerRegeln) {
    struct Fall {
        const char* name;
        Preisangabe eingetragen;
        Referenz referenz;
        Befund befund;
    };
    const Preisangabe usd = fremd("110", "USD", "1.10");
    const Abweichung starkerWechselkurs{
        Gegenstand::wechselkurs, usd, fremd("110", "USD", "2"), std::nullopt, d("9") / d("11"), Dezimal(100)};
    const Abweichung starkerKurs{Gegenstand::kurs,           eur("100"), eur("120"),
                                 Notierungsart::stueckpreis, d("0.2"),   Dezimal(100)};
    const Fall faelle[] = {
        {"beides entfaellt", eur("100"), Referenz{KursTeil::entfaellt(), RateTeil::entfaellt()},
         Befund::ohneVergleich()},
        {"nur schwache Abweichung", eur("100"), nurKurs(boersenkurs("110")), Befund::unauffaellig()},
        {"Vergleich ohne Abweichungswert", eur("100"), nurKurs(boersenkurs("0")), Befund::unauffaellig()},
        {"nur EZB-Kurs da", usd, Referenz{KursTeil::entfaellt(), ezb("1.15", "USD")}, Befund::unauffaellig()},
        {"starke Abweichung", eur("100"), nurKurs(boersenkurs("120")), Befund::abweichend({starkerKurs})},
        {"starke vor fehlender Quote", usd, Referenz{KursTeil::fehlt("Quelle schweigt"), ezb("2", "USD")},
         Befund::abweichend({starkerWechselkurs})},
        {"fehlende Quote vor fehlendem Kurs", usd,
         Referenz{KursTeil::fehlt("Quelle schweigt"), RateTeil::fehlt("EZB schweigt")},
         Befund::ungeprueft("Quelle schweigt")},
        {"fehlender EZB-Kurs bei Dollarpreis", usd,
         Referenz{KursTeil::vorhanden(umgerechneteQuote("105", "USD", "1.1")),
                  RateTeil::fehlt("EZB schweigt")},
         Befund::ungeprueft(
             "Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: EZB schweigt")},
        {"fehlender EZB-Kurs bei Europreis", eur("100"),
         Referenz{KursTeil::vorhanden(boersenkurs("100")), RateTeil::fehlt("EZB schweigt")},
         Befund::ungeprueft("EZB schweigt")},
    };
    for (const Fall& f : faelle) {
        Befund b = Kurspruefung::befund(f.eingetragen, f.referenz, Assetklasse::aktie,
                                        Notierungsart::stueckpreis, Dezimal(100));
        EXPECT_TRUE(b == f.befund) << f.name << " " << (b.grund() ? *b.grund() : "")
                                   << (b.abweichungen() ? beschreibe(*b.abweichungen()) : "");
    }
    // Only the strong ones, in the order of the check.
    Befund beide = Kurspruefung::befund(
        fremd("150", "USD", "1.5"),
        Referenz{KursTeil::vorhanden(umgerechneteQuote("100", "USD", "1")), ezb("1.45", "USD")},
        Assetklasse::aktie, Notierungsart::stueckpreis, Dezimal(100));
    ASSERT_TRUE(beide.abweichungen());
    EXPECT_EQ(beschreibe(*beide.abweichungen()), "kurs=0.5!");
}

TEST(Kurspruefung, meldungZurKursabweichung) {
    struct Fall {
        const char* name;
        Preisangabe eingetragen;
        Preisangabe referenz;
        std::optional<Notierungsart> referenzNotierung;
        const char* anteil;
        Assetklasse klasse;
        Notierungsart notierung;
        std::optional<Zeitpunkt> stichtag;
        const char* text;
    };
    const auto stueck = Notierungsart::stueckpreis;
    const auto prozent = Notierungsart::prozentVomNennwert;
    const Fall faelle[] = {
        {"aktuell", eur("100"), eur("111"), stueck, "0.11", Assetklasse::aktie, stueck, std::nullopt,
         "Kurs aktuell laut Quelle: 111,00 €. Eingetragen: 100,00 €. Abweichung 11·%."},
        {"am Stichtag", eur("100"), eur("111"), stueck, "0.11", Assetklasse::aktie, stueck,
         tag(2026, 3, 3, 0),
         "Kurs am 3.3.2026 laut Quelle: 111,00 €. Eingetragen: 100,00 €. Abweichung 11·%."},
        {"Tag in der Zeitzone", eur("100"), eur("111"), stueck, "0.11", Assetklasse::aktie, stueck,
         tag(2026, 3, 3, 23),
         "Kurs am 3.3.2026 laut Quelle: 111,00 €. Eingetragen: 100,00 €. Abweichung 11·%."},
        {"Prozent ohne Nachkommastellen", eur("100"), eur("112.34"), std::nullopt, "0.1234",
         Assetklasse::aktie, stueck, std::nullopt,
         "Kurs aktuell laut Quelle: 112,34 €. Eingetragen: 100,00 €. Abweichung 12·%."},
        {"gleiche Fremdwaehrung ohne Euro", fremd("110", "USD", "1.1"), fremd("100", "USD", "1"), stueck,
         "0.1", Assetklasse::aktie, stueck, std::nullopt,
         "Kurs aktuell laut Quelle: 100,00 USD. Eingetragen: 110,00 USD. Abweichung 10·%."},
        {"Dollar gegen Euro", fremd("110", "USD", "1.1"), eur("100"), stueck, "0", Assetklasse::aktie, stueck,
         std::nullopt,
         "Kurs aktuell laut Quelle: 100,00 €. Eingetragen: 110,00 USD (100,00 €). Abweichung 0·%."},
        {"Dollar gegen Pfund", fremd("100", "USD", "1.25"), fremd("100", "GBP", "0.8"), stueck, "0.5625",
         Assetklasse::aktie, stueck, std::nullopt,
         "Kurs aktuell laut Quelle: 100,00 GBP (125,00 €). Eingetragen: 100,00 USD (80,00 €). Abweichung "
         "56·%."},
        {"Anleihe in Prozent", eur("97.6"), eur("110"), prozent, "0.12704918", Assetklasse::anleihe, prozent,
         std::nullopt, "Kurs aktuell laut Quelle: 110,00 %. Eingetragen: 97,60 %. Abweichung 13·%."},
        {"Anleihe in Prozent in Dollar", fremd("97.6", "USD", "1.1"), eur("110"), prozent, "0.23",
         Assetklasse::anleihe, prozent, std::nullopt,
         "Kurs aktuell laut Quelle: 110,00 %. Eingetragen: 97,60 % in USD (88,7273 €). Abweichung 23·%."},
        {"Quelle in Prozent, Position je Stueck", eur("97.6"), eur("110"), prozent, "0.12704918",
         Assetklasse::anleihe, stueck, std::nullopt,
         "Kurs aktuell laut Quelle: 110,00 %. Eingetragen: 97,60 €. Abweichung 13·%."},
        {"Waehrung als Formel", fremd("1", "USD", "1.08"), eur("0.9"), std::nullopt, "0.028",
         Assetklasse::waehrung, stueck, std::nullopt,
         "Kurs aktuell laut Quelle: 0,90 €. Eingetragen: 1·€·=·1,08·USD. Abweichung 3·%."},
    };
    for (const Fall& f : faelle) {
        Abweichung a{Gegenstand::kurs,    f.eingetragen, f.referenz,
                     f.referenzNotierung, d(f.anteil),   Dezimal(100)};
        EXPECT_EQ(a.meldung(f.klasse, f.notierung, f.stichtag, deutsch), nbsp(f.text)) << f.name;
    }
}

TEST(Kurspruefung, meldungZuWechselkursUndNotierung) {
    Abweichung rate{Gegenstand::wechselkurs,
                    fremd("110", "USD", "1.1"),
                    fremd("110", "USD", "1"),
                    std::nullopt,
                    d("0.1"),
                    Dezimal(100)};
    EXPECT_EQ(rate.meldung(Assetklasse::aktie, Notierungsart::stueckpreis, std::nullopt, deutsch),
              nbsp("EZB-Kurs aktuell: 1·€·=·1·USD. Eingetragen: 1·€·=·1,1·USD. Abweichung 10·%."));
    EXPECT_EQ(rate.meldung(Assetklasse::aktie, Notierungsart::stueckpreis, tag(2026, 12, 7), deutsch),
              nbsp("EZB-Kurs am 7.12.2026: 1·€·=·1·USD. Eingetragen: 1·€·=·1,1·USD. Abweichung 10·%."));
    Abweichung ohneFremd{
        Gegenstand::wechselkurs, eur("100"), fremd("110", "USD", "1"), std::nullopt, d("0.1"), Dezimal(100)};
    EXPECT_EQ(ohneFremd.meldung(Assetklasse::aktie, Notierungsart::stueckpreis, std::nullopt, deutsch), "");

    struct Fall {
        std::optional<Notierungsart> referenzNotierung;
        Notierungsart notierung;
        const char* nennwert;
        const char* text;
    };
    const Fall faelle[] = {
        {Notierungsart::prozentVomNennwert, Notierungsart::stueckpreis, "1000",
         "Die Quelle notiert dieses Papier als Prozent vom Nennwert, eingetragen ist Preis je Stück. Bei "
         "einem "
         "Nennwert von 1.000 stimmen Einsatz und Stichtagswerte dann nicht."},
        {Notierungsart::stueckpreis, Notierungsart::prozentVomNennwert, "50.5",
         "Die Quelle notiert dieses Papier als Preis je Stück, eingetragen ist Prozent vom Nennwert. Bei "
         "einem "
         "Nennwert von 50,5 stimmen Einsatz und Stichtagswerte dann nicht."},
        {std::nullopt, Notierungsart::stueckpreis, "1000.125",
         "Die Quelle notiert dieses Papier als Preis je Stück, eingetragen ist Preis je Stück. Bei einem "
         "Nennwert von 1.000,12 stimmen Einsatz und Stichtagswerte dann nicht."},
    };
    for (const Fall& f : faelle) {
        Abweichung a{Gegenstand::notierungsart, eur("976"),   eur("97.6"),
                     f.referenzNotierung,       std::nullopt, d(f.nennwert)};
        EXPECT_EQ(a.meldung(Assetklasse::anleihe, f.notierung, tag(2026, 3, 3), deutsch), f.text)
            << f.nennwert;
    }
}

TEST(Kurspruefung, referenzteileGleichNachFallUndWert) {
    const Kursnotierung q = umgerechneteQuote("100", "USD", "1.08");
    auto geaendert = [&q](auto aendere) {
        Kursnotierung r = q;
        aendere(r);
        return r;
    };
    // Each of the nine fields of a quote counts.
    const Kursnotierung anders[] = {
        geaendert([](Kursnotierung& r) { r.kurs = d("1"); }),
        geaendert([](Kursnotierung& r) { r.waehrung = "USD"; }),
        geaendert([](Kursnotierung& r) { r.art = Kursart::tagesschluss; }),
        geaendert([](Kursnotierung& r) { r.notierungsart = Notierungsart::stueckpreis; }),
        geaendert([](Kursnotierung& r) { r.kursdatum = tag(2026, 3, 9); }),
        geaendert([](Kursnotierung& r) { r.abgerufenAm = tag(2026, 3, 11); }),
        geaendert([](Kursnotierung& r) { r.quelle = "Börse Frankfurt (XFRA)"; }),
        geaendert([](Kursnotierung& r) {
            r.handelsumfang = Handelsumfang{1, std::nullopt, std::nullopt};
        }),
        geaendert([](Kursnotierung& r) { r.umrechnung->kurs = d("1.09"); }),
    };
    EXPECT_EQ(KursTeil::vorhanden(q), KursTeil::vorhanden(q));
    for (const Kursnotierung& r : anders) {
        EXPECT_NE(KursTeil::vorhanden(q), KursTeil::vorhanden(r));
    }
    // Decimals by value: 1.08 and 1.080 are the same quote.
    EXPECT_EQ(KursTeil::vorhanden(q), KursTeil::vorhanden(umgerechneteQuote("100.0", "USD", "1.080")));
    EXPECT_EQ(KursTeil::fehlt("weg"), KursTeil::fehlt("weg"));
    EXPECT_NE(KursTeil::fehlt("weg"), KursTeil::fehlt("Weg"));
    EXPECT_EQ(KursTeil::entfaellt(), KursTeil::entfaellt());
    EXPECT_NE(KursTeil::entfaellt(), KursTeil::fehlt(""));
    EXPECT_NE(KursTeil::vorhanden(q), KursTeil::entfaellt());

    EXPECT_EQ(ezb("1.5", "USD"), ezb("1.50", "USD"));
    EXPECT_NE(ezb("1.5", "USD"), ezb("1.5", "usd"));
    EXPECT_NE(ezb("1.5", "USD"), ezb("1.51", "USD"));
    EXPECT_NE(ezb("1.5", "USD"), RateTeil::vorhanden(Umrechnung{d("2"), "USD", d("1.5")}));
    EXPECT_NE(ezb("1.5", "USD"), RateTeil::fehlt("x"));
    EXPECT_EQ(RateTeil::fehlt("x"), RateTeil::fehlt("x"));

    EXPECT_EQ((Referenz{KursTeil::vorhanden(q), ezb("1.08", "USD")}),
              (Referenz{KursTeil::vorhanden(q), ezb("1.080", "USD")}));
    EXPECT_NE((Referenz{KursTeil::vorhanden(q), ezb("1.08", "USD")}),
              (Referenz{KursTeil::vorhanden(q), RateTeil::entfaellt()}));
    EXPECT_NE((Referenz{KursTeil::fehlt("a"), RateTeil::entfaellt()}),
              (Referenz{KursTeil::fehlt("b"), RateTeil::entfaellt()}));

    EXPECT_EQ(*KursTeil::fehlt("weg").grund(), "weg");
    EXPECT_EQ(KursTeil::vorhanden(q).wert()->quelle, "Börse Frankfurt (XETR)");
    EXPECT_TRUE(KursTeil::entfaellt().istEntfallen());
    EXPECT_FALSE(KursTeil::fehlt("weg").wert());
}

TEST(Kurspruefung, meldungFuerFehler) {
    auto als = [](auto fehler) {
        try {
            throw fehler;
        } catch (...) {
            return std::current_exception();
        }
    };
    EXPECT_THROW(Kurspruefung::meldung(als(Abgebrochen{})), Abgebrochen);
    EXPECT_EQ(Kurspruefung::meldung(als(Kursfehler::netzwerk("Zeitüberschreitung"))),
              "Die Quelle war nicht erreichbar: Zeitüberschreitung");
    EXPECT_EQ(Kurspruefung::meldung(als(Kursfehler::keineUmrechnung("USD", "kein Kurs"))),
              "Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: kein Kurs");
    EXPECT_EQ(Kurspruefung::meldung(als(std::runtime_error("Datei fehlt"))), "Der Vorgang konnte nicht abgeschlossen werden.");
    EXPECT_EQ(Kurspruefung::meldung(als(42)), "Der Vorgang konnte nicht abgeschlossen werden.");
    EXPECT_EQ(Kurspruefung::meldung(nullptr), "Der Vorgang konnte nicht abgeschlossen werden.");
}
