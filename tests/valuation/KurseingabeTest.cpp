#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "model/Eingabeform.h"
#include "valuation/Kurseingabe.h"
#include "model/Preisangabe.h"
#include "model/Waehrungscode.h"

using qb::Assetklasse;
using qb::Dezimal;
using qb::Eingabeform;
using qb::Kurseingabe;
using qb::Kursnotierung;
using qb::Preisangabe;
using qb::Umrechnung;
using qb::Waehrungscode;
using Feld = qb::Kurseingabe::Feld;

namespace {

const char* const m1 = "Ein Kurs muss über 0 und höchstens 1.000.000.000 sein.";
const char* const m2 = "Ein Umrechnungskurs liegt zwischen 0,0001 und 1.000.000.";
const char* const m3 = "Umgerechnet ergibt das keinen möglichen Kurs. Prüfe Kurs und Umrechnungskurs.";

Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

Waehrungscode code(const char* text) {
    return *Waehrungscode::aus(text);
}

Eingabeform fremd(const char* text) {
    return Eingabeform::fremdwaehrung(code(text));
}

Eingabeform kursform(const char* text) {
    return Eingabeform::waehrungskurs(code(text));
}

Preisangabe umgerechnet(const char* original, const char* waehrung, const char* kurs) {
    return Preisangabe::umgerechnet(Umrechnung{d(original), waehrung, d(kurs)});
}

// The form as text, so that a failing table row shows what it got.
std::string beschreibe(const Eingabeform& form) {
    if (const auto* c = form.fremdwaehrungCode()) {
        return "fremdwaehrung(" + c->wert() + ")";
    }
    if (const auto* c = form.waehrungskursCode()) {
        return "waehrungskurs(" + c->wert() + ")";
    }
    return form.istEuro() ? "euro" : "?";
}

} // namespace

TEST(Eingabeform, nachKlasseKennungUndHandelswaehrung) {
    struct Fall {
        Assetklasse klasse;
        const char* kennung;
        const char* handelswaehrung;
        const char* form;
    };
    const Fall faelle[] = {
        {Assetklasse::aktie, "", "usd ", "fremdwaehrung(USD)"},
        {Assetklasse::aktie, "US0378331005", "EUR", "euro"},
        {Assetklasse::aktie, "", "", "euro"},
        {Assetklasse::aktie, "", "US$", "euro"},
        {Assetklasse::aktie, "", "Euro", "euro"},
        {Assetklasse::aktie, "", "\teur\n", "euro"},
        {Assetklasse::aktie, "CHF", "EUR", "euro"}, // the identifier plays no part
        {Assetklasse::anleihe, "", "GBP", "fremdwaehrung(GBP)"},
        {Assetklasse::rohstoff, "XAU", "USD", "fremdwaehrung(USD)"},
        {Assetklasse::co2Zertifikat, "", "EUR", "euro"},
        {Assetklasse::waehrung, "CHF", "EUR", "waehrungskurs(CHF)"},
        {Assetklasse::waehrung, "CHF", "USD", "waehrungskurs(CHF)"}, // the trading currency plays no part
        {Assetklasse::waehrung, " chf\n", "", "waehrungskurs(CHF)"},
        {Assetklasse::waehrung, "EUR", "USD", "euro"},
        {Assetklasse::waehrung, "Schweizer Franken", "CHF", "euro"},
        {Assetklasse::waehrung, "", "USD", "euro"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(beschreibe(Eingabeform::fuer(f.klasse, f.kennung, f.handelswaehrung)), f.form)
            << qb::rohwert(f.klasse) << " \"" << f.kennung << "\" \"" << f.handelswaehrung << '"';
    }
}

TEST(Eingabeform, gleichheit) {
    EXPECT_EQ(fremd("USD"), fremd("usd"));
    EXPECT_NE(fremd("USD"), fremd("GBP"));
    EXPECT_NE(fremd("USD"), kursform("USD"));
    EXPECT_EQ(kursform("CHF"), kursform("CHF"));
    EXPECT_EQ(Eingabeform::euro(), Eingabeform::euro());
    EXPECT_NE(Eingabeform::euro(), fremd("EUR"));
}

TEST(Kurseingabe, beginntLeer) {
    Kurseingabe eingabe;
    EXPECT_EQ(eingabe.handelswaehrung, "EUR");
    EXPECT_EQ(eingabe.kurs, Dezimal(0));
    EXPECT_EQ(eingabe.umrechnung, Dezimal(0));
    EXPECT_TRUE(eingabe.unlesbar.empty());
    EXPECT_TRUE(eingabe.mitText.empty());
    EXPECT_FALSE(eingabe.ezbVorbelegung.has_value());
    EXPECT_FALSE(eingabe.preisangabe(Eingabeform::euro()).has_value());
    EXPECT_FALSE(eingabe.fehlertext(Eingabeform::euro()).has_value());
}

TEST(Kurseingabe, preisangabeUndFehlertextAnDenGrenzen) {
    struct Fall {
        Eingabeform form;
        const char* kurs;
        const char* umrechnung;
        std::optional<Preisangabe> preis;
        std::optional<std::string> meldung;
    };
    const Eingabeform euro = Eingabeform::euro();
    const Eingabeform usd = fremd("USD");
    const Eingabeform chf = kursform("CHF");
    const Fall faelle[] = {
        {euro, "1000000000", "0", Preisangabe::euro(d("1000000000")), std::nullopt},
        {euro, "1000000000.01", "0", std::nullopt, m1},
        {euro, "0.000000000001", "0", Preisangabe::euro(d("0.000000000001")), std::nullopt},
        {euro, "0", "0", std::nullopt, std::nullopt},
        {euro, "-1", "0", std::nullopt, m1},
        {euro, "5", "0.00001", Preisangabe::euro(d("5")), std::nullopt}, // the rate is not read

        {usd, "100", "0.0001", umgerechnet("100", "USD", "0.0001"), std::nullopt},
        {usd, "100", "1000000", umgerechnet("100", "USD", "1000000"), std::nullopt},
        {usd, "100", "0.00009", std::nullopt, m2},
        {usd, "100", "1000000.5", std::nullopt, m2},
        {usd, "100", "0", std::nullopt, std::nullopt},
        {usd, "0", "1.1", std::nullopt, std::nullopt},
        {usd, "0", "0.00009", std::nullopt, m2},
        {usd, "0", "0", std::nullopt, std::nullopt},
        {usd, "-5", "1.1", std::nullopt, m1},
        {usd, "-5", "0.00009", std::nullopt, m1}, // the price is judged first
        {usd, "1000000000.01", "2", std::nullopt, m1},
        {usd, "1000000000", "1", umgerechnet("1000000000", "USD", "1"), std::nullopt},
        {usd, "1000000000", "0.5", std::nullopt, m3}, // 2 000 000 000 €
        {usd, "0.000001", "1000000", umgerechnet("0.000001", "USD", "1000000"), std::nullopt},
        {usd, "0.0000004", "1000000", std::nullopt, m3}, // 0 € after 12 places

        {chf, "-5", "1.1", umgerechnet("1", "CHF", "1.1"), std::nullopt}, // the price is ignored
        {chf, "1000000000000", "1", umgerechnet("1", "CHF", "1"), std::nullopt},
        {chf, "0", "0.0001", umgerechnet("1", "CHF", "0.0001"), std::nullopt},
        {chf, "0", "1000000", umgerechnet("1", "CHF", "1000000"), std::nullopt},
        {chf, "0", "0", std::nullopt, std::nullopt},
        {chf, "0", "0.00009", std::nullopt, m2},
        {chf, "7", "1000001", std::nullopt, m2},
        {chf, "0", "-1", std::nullopt, m2},
    };
    for (const auto& f : faelle) {
        // The trading currency is never read: the form carries the currency.
        Kurseingabe eingabe("GBP", d(f.kurs), d(f.umrechnung));
        EXPECT_EQ(eingabe.preisangabe(f.form), f.preis)
            << beschreibe(f.form) << ' ' << f.kurs << ' ' << f.umrechnung;
        EXPECT_EQ(eingabe.fehlertext(f.form), f.meldung)
            << beschreibe(f.form) << ' ' << f.kurs << ' ' << f.umrechnung;
    }
}

TEST(Kurseingabe, gueltigkeitsbereiche) {
    EXPECT_FALSE(Kurseingabe::istGueltigerPreis(d("0")));
    EXPECT_TRUE(Kurseingabe::istGueltigerPreis(d("0.000000000001")));
    EXPECT_TRUE(Kurseingabe::istGueltigerPreis(d("1000000000")));
    EXPECT_FALSE(Kurseingabe::istGueltigerPreis(d("1000000000.000001")));
    EXPECT_FALSE(Kurseingabe::istGueltigerUmrechnungskurs(d("0.000099999")));
    EXPECT_TRUE(Kurseingabe::istGueltigerUmrechnungskurs(d("0.0001")));
    EXPECT_TRUE(Kurseingabe::istGueltigerUmrechnungskurs(d("1000000")));
    EXPECT_FALSE(Kurseingabe::istGueltigerUmrechnungskurs(d("1000000.000001")));
}

TEST(Kurseingabe, uebernimmtNotierung) {
    struct Fall {
        const char* name;
        Assetklasse klasse;
        std::optional<Umrechnung> umrechnung;
        const char* notierterKurs;
        Kurseingabe vorher;
        const char* handelswaehrung;
        const char* kurs;
        const char* umrechnungNachher;
        std::set<Feld> unlesbar;
    };
    Kurseingabe leerMitMarken("EUR", d("0"), d("0"));
    leerMitMarken.unlesbar = {Feld::kurs, Feld::umrechnung};
    Kurseingabe usdMitMarken("USD", d("1"), d("1.1"));
    usdMitMarken.unlesbar = {Feld::kurs, Feld::umrechnung};
    Kurseingabe chfMitMarken("CHF", d("3"), d("0"));
    chfMitMarken.unlesbar = {Feld::kurs, Feld::umrechnung};

    const Fall faelle[] = {
        {"Anleihe in USD",
         Assetklasse::anleihe,
         Umrechnung{d("100"), "USD", d("1.085")},
         "92.165898617512",
         leerMitMarken,
         "USD",
         "100",
         "1.085",
         {}},
        {"Waehrung umgerechnet",
         Assetklasse::waehrung,
         Umrechnung{d("1"), "CHF", d("0.95")},
         "1.052631578947",
         chfMitMarken,
         "CHF",
         "3",
         "0.95",
         {Feld::kurs}},
        {"Aktie in EUR",
         Assetklasse::aktie,
         std::nullopt,
         "55.5",
         usdMitMarken,
         "EUR",
         "55.5",
         "1.1",
         {Feld::umrechnung}},
        {"Waehrung in EUR",
         Assetklasse::waehrung,
         std::nullopt,
         "0.62",
         usdMitMarken,
         "USD",
         "0.62",
         "1.1",
         {Feld::umrechnung}},
    };
    for (const auto& f : faelle) {
        Kursnotierung notierung;
        notierung.kurs = d(f.notierterKurs);
        notierung.waehrung = "EUR";
        notierung.quelle = "Test";
        notierung.umrechnung = f.umrechnung;

        Kurseingabe eingabe = f.vorher;
        eingabe.mitText = {Feld::kurs};
        eingabe.ezbVorbelegung = d("1.08");
        eingabe.uebernehmen(notierung, f.klasse);

        SCOPED_TRACE(f.name);
        EXPECT_EQ(eingabe.handelswaehrung, f.handelswaehrung);
        EXPECT_EQ(eingabe.kurs, d(f.kurs));
        EXPECT_EQ(eingabe.umrechnung, d(f.umrechnungNachher));
        EXPECT_EQ(eingabe.unlesbar, f.unlesbar);
        EXPECT_EQ(eingabe.mitText, std::set<Feld>{Feld::kurs});
        EXPECT_EQ(eingabe.ezbVorbelegung, d("1.08"));
    }
}

TEST(Kurseingabe, bereinigtUmrechnungBeiNeuerWaehrung) {
    struct Fall {
        const char* neu;
        const char* startUmrechnung;
        const char* handelswaehrung;
        const char* umrechnung;
        bool vorbelegungBleibt;
        std::set<Feld> unlesbar;
        std::set<Feld> mitText;
    };
    const std::set<Feld> beide{Feld::kurs, Feld::umrechnung};
    const std::set<Feld> nurKurs{Feld::kurs};
    const Fall faelle[] = {
        {"USD", "1.1", "USD", "1.1", true, beide, beide}, // the same currency: nothing happens
        {"EUR", "1.1", "EUR", "0", false, nurKurs, nurKurs},
        {" eur ", "1.1", " eur ", "0", false, nurKurs, nurKurs},
        {"GBP", "1.1", "GBP", "0", false, beide, nurKurs},
        {" usd", "1.1", " usd", "0", false, beide, nurKurs}, // not the same text, a valid foreign code
        {"xx", "1.1", "xx", "0", false, nurKurs, nurKurs},
        {"", "1.1", "", "0", false, nurKurs, nurKurs},
        // Nothing readable typed in the rate field: its marks stand for a foreign currency.
        {"GBP", "0", "GBP", "0", false, beide, beide},
        {"EUR", "0", "EUR", "0", false, nurKurs, nurKurs},
    };
    for (const auto& f : faelle) {
        Kurseingabe eingabe("USD", d("42"), d(f.startUmrechnung));
        eingabe.ezbVorbelegung = d("1.1");
        eingabe.unlesbar = beide;
        eingabe.mitText = beide;
        eingabe.bereinigeUmrechnung(f.neu);

        SCOPED_TRACE(std::string("neu: \"") + f.neu + "\", Umrechnung " + f.startUmrechnung);
        EXPECT_EQ(eingabe.handelswaehrung, f.handelswaehrung);
        EXPECT_EQ(eingabe.kurs, d("42"));
        EXPECT_EQ(eingabe.umrechnung, d(f.umrechnung));
        EXPECT_EQ(eingabe.ezbVorbelegung.has_value(), f.vorbelegungBleibt);
        EXPECT_EQ(eingabe.unlesbar, f.unlesbar);
        EXPECT_EQ(eingabe.mitText, f.mitText);
    }
}

TEST(Kurseingabe, zeigtGespeichertenPreisWieder) {
    struct Fall {
        Eingabeform form;
        std::optional<Preisangabe> preis;
        const char* kurs;
        const char* umrechnung;
    };
    const Eingabeform euro = Eingabeform::euro();
    const Fall faelle[] = {
        {euro, std::nullopt, "0", "0"},
        {fremd("USD"), std::nullopt, "0", "0"},
        {kursform("CHF"), std::nullopt, "0", "0"},
        {euro, Preisangabe::euro(d("12.5")), "12.5", "0"},
        {euro, umgerechnet("100", "USD", "3"), "33.333333333333", "0"},
        {euro, umgerechnet("100", "USD", "0"), "0", "0"},
        {fremd("USD"), umgerechnet("100", "USD", "1.085"), "100", "1.085"},
        {fremd("GBP"), umgerechnet("100", "USD", "1.085"), "0", "0"},
        {fremd("USD"), umgerechnet("100", "usd", "1.085"), "0", "0"}, // texts compared as stored
        {fremd("USD"), Preisangabe::euro(d("12.5")), "0", "0"},
        {kursform("CHF"), umgerechnet("1", "CHF", "0.95"), "0", "0.95"},
        {kursform("CHF"), umgerechnet("1.00", "CHF", "0.95"), "0", "0.95"},
        {kursform("CHF"), umgerechnet("2", "CHF", "0.95"), "0", "0"},
        {kursform("CHF"), umgerechnet("1", "USD", "0.95"), "0", "0"},
        {kursform("CHF"), Preisangabe::euro(d("0.92")), "0", "1.086956521739"},
        {kursform("CHF"), Preisangabe::euro(d("0")), "0", "0"},
        {kursform("CHF"), Preisangabe::euro(d("-1")), "0", "0"},
    };
    for (const auto& f : faelle) {
        Kurseingabe eingabe = Kurseingabe::ausPreis(f.preis, "USD", f.form);
        SCOPED_TRACE(beschreibe(f.form) + " ← " + (f.preis ? f.preis->inEuro().text() : "kein Preis"));
        EXPECT_EQ(eingabe.handelswaehrung, "USD");
        EXPECT_EQ(eingabe.kurs, d(f.kurs));
        EXPECT_EQ(eingabe.umrechnung, d(f.umrechnung));
        EXPECT_TRUE(eingabe.unlesbar.empty());
        EXPECT_TRUE(eingabe.mitText.empty());
        EXPECT_FALSE(eingabe.ezbVorbelegung.has_value());
    }
}

TEST(Kurseingabe, gleichheitOhneTextmarkenUndVorbelegung) {
    Kurseingabe a("USD", d("1.5"), d("1.1"));
    Kurseingabe b("USD", d("1.50"), d("1.10"));
    b.mitText = {Feld::kurs, Feld::umrechnung};
    b.ezbVorbelegung = d("1.1");
    EXPECT_EQ(a, b);

    Kurseingabe c = a;
    c.unlesbar = {Feld::umrechnung};
    EXPECT_NE(a, c);
    EXPECT_NE(a, Kurseingabe("usd", d("1.5"), d("1.1")));
    EXPECT_NE(a, Kurseingabe("USD", d("1.6"), d("1.1")));
    EXPECT_NE(a, Kurseingabe("USD", d("1.5"), d("1.2")));
}
