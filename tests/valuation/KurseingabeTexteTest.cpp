#include <gtest/gtest.h>

#include "Testspiel.h"
#include "valuation/Kurseingabe.h"
#include "valuation/Vergleichshilfen.h"

using namespace qb;
using namespace testspiel;

namespace {

const Formatierer deutsch("de_DE");

} // namespace

TEST(KurseingabeTexte, zahlenImPreisformat) {
    struct Fall {
        const char* wert;
        const char* text;
    };
    const Fall faelle[] = {
        {"12.3", "12,30"},      {"1234.56781", "1.234,5678"},        {"0.000123", "0,000123"},
        {"0.5", "0,50"},        {"0.12345678", "0,123457"},          {"1", "1,00"},
        {"0.99999995", "1,00"}, {"1234567.00015", "1.234.567,0002"},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(Kurseingabe::umrechnungText(d(f.wert), deutsch), f.text) << f.wert;
    }
    EXPECT_EQ(Kurseingabe::umrechnungText(d("1234.56781"), Formatierer("en_US")), "1,234.5678");
}

TEST(KurseingabeTexte, anteilAlsProzent) {
    struct Fall {
        const char* anteil;
        const char* text;
    };
    for (const Fall& f : {Fall{"0.123", "12,3·%"}, Fall{"0.1", "10·%"}, Fall{"0", "0·%"},
                          Fall{"0.12345", "12,3·%"}, Fall{"1.5", "150·%"}, Fall{"12.3456", "1.234,6·%"}}) {
        EXPECT_EQ(Kurseingabe::kurzText(d(f.anteil), deutsch), nbsp(f.text)) << f.anteil;
    }
}

TEST(KurseingabeTexte, formelMitFestenLeerzeichen) {
    EXPECT_EQ(Kurseingabe::formelText(Umrechnung{d("1"), "USD", d("1.0834")}, deutsch),
              nbsp("1·€·=·1,0834·USD"));
    EXPECT_EQ(Kurseingabe::formelText(Umrechnung{d("1"), "JPY", d("150")}, deutsch), nbsp("1·€·=·150·JPY"));
    EXPECT_EQ(Kurseingabe::formelText(Umrechnung{d("1"), "HUF", d("1234.1234567")}, deutsch),
              nbsp("1·€·=·1.234,123457·HUF"));
}

TEST(KurseingabeTexte, preisMitEinheit) {
    struct Fall {
        Preisangabe preis;
        Assetklasse klasse;
        bool inProzent;
        const char* text;
        std::optional<const char*> zeile;
    };
    const Fall faelle[] = {
        {eur("12.5"), Assetklasse::aktie, false, "12,50 €", std::nullopt},
        {eur("97.6"), Assetklasse::anleihe, true, "97,60 %", std::nullopt},
        {eur("0.1234567"), Assetklasse::waehrung, false, "0,123457 €", std::nullopt},
        {fremd("150", "USD", "1.08"), Assetklasse::aktie, false, "150,00 USD",
         "umgerechnet aus 150,00 USD zu 1·€·=·1,08·USD"},
        {fremd("97.6", "USD", "1.1"), Assetklasse::anleihe, true, "97,60 % in USD",
         "umgerechnet aus 97,60 % in USD zu 1·€·=·1,1·USD"},
        {fremd("1", "USD", "1.0834"), Assetklasse::waehrung, false, "1·€·=·1,0834·USD", "1·€·=·1,0834·USD"},
        {fremd("1", "CHF", "0.94"), Assetklasse::waehrung, true, "1·€·=·0,94·CHF", "1·€·=·0,94·CHF"},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(Kurseingabe::prozentText(f.preis, f.klasse, f.inProzent, deutsch), nbsp(f.text)) << f.text;
        auto zeile = Kurseingabe::umrechnungsZeile(f.preis, f.klasse, f.inProzent, deutsch);
        EXPECT_EQ(zeile, f.zeile ? std::optional(nbsp(*f.zeile)) : std::nullopt) << f.text;
    }
}

TEST(KurseingabeTexte, mengeUndFremdbetrag) {
    auto p = spiel();
    auto aktie = kaufe(p, Assetklasse::aktie, "SAP", 100, eur("12.5"));
    auto rohstoff = kaufe(p, Assetklasse::rohstoff, "Gold", 1234, eur("1"));
    auto waehrung = kaufe(p, Assetklasse::waehrung, "Dollar", 500, fremd("1", "USD", "1.08"));
    waehrung->setzeKennung("USD");
    EXPECT_EQ(Kurseingabe::betragText(*aktie, deutsch), nbsp("100·Stück"));
    EXPECT_EQ(Kurseingabe::betragText(*rohstoff, deutsch), nbsp("1.234·Einheiten"));
    rohstoff->setzeEinheit(" t oz. ");
    EXPECT_EQ(Kurseingabe::betragText(*rohstoff, deutsch), nbsp("1.234·t oz."));
    EXPECT_EQ(Kurseingabe::betragText(*waehrung, deutsch), nbsp("500·USD"));

    EXPECT_EQ(Kurseingabe::fremdbetragText(d("1620"), "USD", deutsch), nbsp("1.620,00·USD"));
    EXPECT_EQ(Kurseingabe::fremdbetragText(d("0.005"), "GBP", deutsch), nbsp("0,00·GBP"));
    EXPECT_EQ(Kurseingabe::fremdbetragText(d("12.344"), "GBP", deutsch), nbsp("12,34·GBP"));
}

TEST(KurseingabeTexte, kaufZusammenfassung) {
    struct Fall {
        const char* name;
        Assetklasse klasse;
        std::int64_t stueck;
        Notierungsart notierung;
        const char* nennwert;
        Preisangabe kauf;
        std::optional<const char*> betrag;
        const char* text;
    };
    const Fall faelle[] = {
        {"Aktie in Euro", Assetklasse::aktie, 100, Notierungsart::stueckpreis, "100", eur("12.5"),
         std::nullopt, "Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€"},
        {"mit Rest", Assetklasse::aktie, 100, Notierungsart::stueckpreis, "100", eur("12.5"), "1300",
         "Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€. Die restlichen 50,00·€ bleiben in der Kasse."},
        {"Betrag gleich Kaufwert", Assetklasse::aktie, 100, Notierungsart::stueckpreis, "100", eur("12.5"),
         "1250", "Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€"},
        {"Betrag darunter", Assetklasse::aktie, 100, Notierungsart::stueckpreis, "100", eur("12.5"), "1000",
         "Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€"},
        {"Rest rundet auf 0", Assetklasse::aktie, 100, Notierungsart::stueckpreis, "100", eur("12.5"),
         "1250.004", "Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€"},
        {"Rest rundet auf einen Cent", Assetklasse::aktie, 100, Notierungsart::stueckpreis, "100",
         eur("12.5"), "1250.005",
         "Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€. Die restlichen 0,01·€ bleiben in der Kasse."},
        {"Preis mit vier Stellen", Assetklasse::rohstoff, 3, Notierungsart::stueckpreis, "100",
         eur("1234.56789"), std::nullopt, "Gekauft: 3·Einheiten zu je 1.234,5679 € = 3.703,70·€"},
        {"Anleihe in Euro", Assetklasse::anleihe, 2, Notierungsart::prozentVomNennwert, "1000", eur("98.5"),
         std::nullopt, "Gekauft: 2·Stück zu 98,50 % von 1.000,00·€ Nennwert = 1.970,00·€"},
        {"Aktie in Dollar", Assetklasse::aktie, 10, Notierungsart::stueckpreis, "100",
         fremd("150", "USD", "1.08"), std::nullopt,
         "Gekauft: 10·Stück zu je 150,00·USD = 1.500,00·USD, das sind 1.388,89·€ (1·€·=·1,08·USD)"},
        {"Anleihe in Dollar", Assetklasse::anleihe, 5, Notierungsart::prozentVomNennwert, "1000",
         fremd("97.6", "USD", "1.1"), "5000",
         "Gekauft: 5·Stück zu 97,60 % von 1.000,00·USD Nennwert = 4.880,00·USD, das sind 4.436,36·€ "
         "(1·€·=·1,1·USD). Die restlichen 563,64·€ bleiben in der Kasse."},
        {"Anleihe je Stueck in Dollar", Assetklasse::anleihe, 4, Notierungsart::stueckpreis, "1000",
         fremd("99.999", "USD", "1.1"), std::nullopt,
         "Gekauft: 4·Stück zu je 100,00·USD = 400,00·USD, das sind 363,63·€ (1·€·=·1,1·USD)"},
    };
    for (const Fall& f : faelle) {
        auto p = spiel();
        auto pos = kaufe(p, f.klasse, "X", f.stueck, f.kauf);
        pos->setzeNotierung(f.notierung);
        pos->setzeNennwert(d(f.nennwert));
        std::optional<Dezimal> betrag;
        if (f.betrag) {
            betrag = d(*f.betrag);
        }
        EXPECT_EQ(Kurseingabe::kaufZusammenfassung(*pos, betrag, deutsch), nbsp(f.text)) << f.name;
    }
}

TEST(KurseingabeTexte, kaufZusammenfassungEinerWaehrung) {
    auto p = spiel();
    auto dollar = kaufe(p, Assetklasse::waehrung, "US-Dollar", 1000, fremd("1", "USD", "1.08"));
    dollar->setzeKennung("USD");
    EXPECT_EQ(Kurseingabe::kaufZusammenfassung(*dollar, d("1000"), deutsch),
              nbsp("Gekauft: 1.000·USD für 925,93·€ (1·€·=·1,08·USD). Die restlichen 74,07·€ bleiben in der "
                   "Kasse."));
}

TEST(KurseingabeTexte, umrechnungsVorschau) {
    struct Fall {
        Umrechnung umrechnung;
        Assetklasse klasse;
        bool inProzent;
        std::optional<std::string> einheit;
        const char* text;
    };
    const Umrechnung gold{d("2000"), "USD", d("1.08")};
    const Fall faelle[] = {
        {{d("1"), "USD", d("1.08")}, Assetklasse::waehrung, false, "Unze", "Umgerechnet: 0,925926 € je USD"},
        {{d("97.6"), "USD", d("1.1")},
         Assetklasse::anleihe,
         true,
         std::nullopt,
         "Umgerechnet: 88,7273 € je 100 USD Nennwert"},
        {{d("97.6"), "USD", d("1.1")},
         Assetklasse::anleihe,
         false,
         std::nullopt,
         "Umgerechnet: 88,7273 € je Stück"},
        {gold, Assetklasse::rohstoff, false, std::nullopt, "Umgerechnet: 1.851,8519 € je Einheit"},
        {gold, Assetklasse::rohstoff, false, " \tt oz.  ", "Umgerechnet: 1.851,8519 € je t oz."},
        {gold, Assetklasse::rohstoff, false, " \t ", "Umgerechnet: 1.851,8519 € je Einheit"},
        {gold, Assetklasse::rohstoff, false, " kg\n", "Umgerechnet: 1.851,8519 € je kg\n"},
        {{d("150"), "USD", d("1.08")}, Assetklasse::aktie, false, "", "Umgerechnet: 138,8889 € je Aktie"},
        {{d("70"), "USD", d("1.08")},
         Assetklasse::co2Zertifikat,
         false,
         std::nullopt,
         "Umgerechnet: 64,8148 € je Anteil"},
        {{d("150"), "USD", d("0")}, Assetklasse::aktie, false, std::nullopt, "Umgerechnet: 0,00 € je Aktie"},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(Kurseingabe::umrechnungsVorschau(f.umrechnung, f.klasse, f.inProzent, f.einheit, deutsch),
                  f.text)
            << f.text;
    }
}
