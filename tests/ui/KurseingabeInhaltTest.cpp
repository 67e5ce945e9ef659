#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/KurseingabeInhalt.h"

using namespace qb;

namespace {

using Zweck = KurseingabeInhalt::Zweck;
using Zahlfeld = KurseingabeInhalt::Zahlfeld;

Waehrungscode code(const char* text) {
    return *Waehrungscode::aus(text);
}

KurseingabeInhalt inhalt(Zweck zweck, Assetklasse klasse, Eingabeform form,
                         Notierungsart notierung = Notierungsart::stueckpreis, bool mitAbruf = false,
                         std::optional<std::string> einheit = std::nullopt) {
    return KurseingabeInhalt({zweck, klasse, std::move(form), notierung, std::move(einheit), mitAbruf});
}

TEST(KurseingabeInhaltTest, felderEinheitenUndEzbZeileFolgenFormUndZweck) {
    const auto usd = Eingabeform::fremdwaehrung(code("USD"));
    const auto gbp = Eingabeform::fremdwaehrung(code("GBP"));
    const auto kursUsd = Eingabeform::waehrungskurs(code("USD"));
    const auto prozent = Notierungsart::prozentVomNennwert;
    struct Fall {
        KurseingabeInhalt inhalt;
        bool waehrungswahl;
        std::optional<Zahlfeld> kurs;
        std::optional<Zahlfeld> umrechnung;
        std::optional<std::string> ezb;
    };
    const std::vector<Fall> faelle = {
        {inhalt(Zweck::kauf, Assetklasse::aktie, Eingabeform::euro()), true, Zahlfeld{"Kaufkurs", "€"}, {}, {}},
        {inhalt(Zweck::stichtag, Assetklasse::anleihe, Eingabeform::euro(), prozent), true, Zahlfeld{"Kurs", "%"}, {}, {}},
        // A currency position in euro: the price of one unit of the currency.
        {inhalt(Zweck::kauf, Assetklasse::waehrung, Eingabeform::euro()), false, Zahlfeld{"Kaufkurs", "€ je Einheit"}, {}, {}},
        {inhalt(Zweck::stichtag, Assetklasse::waehrung, Eingabeform::euro()), false, Zahlfeld{"Kurs", "€ je Einheit"}, {}, {}},
        // The rate itself: the purchase shows the ECB rate beside it, a reference date does not.
        {inhalt(Zweck::kauf, Assetklasse::waehrung, kursUsd), false, {}, Zahlfeld{"Kaufkurs: 1 € entspricht", "USD"}, "USD"},
        {inhalt(Zweck::stichtag, Assetklasse::waehrung, kursUsd), false, {}, Zahlfeld{"Kurs: 1 € entspricht", "USD"}, {}},
        {inhalt(Zweck::kauf, Assetklasse::aktie, usd), true, Zahlfeld{"Kaufkurs in USD", "USD"},
         Zahlfeld{"Umrechnung: 1 € entspricht", "USD"}, "USD"},
        // A bond in percent: "%" on the price, the code on the rate.
        {inhalt(Zweck::stichtag, Assetklasse::anleihe, gbp, prozent), true, Zahlfeld{"Kurs in GBP", "%"},
         Zahlfeld{"Umrechnung: 1 € entspricht", "GBP"}, "GBP"},
        {inhalt(Zweck::kauf, Assetklasse::anleihe, gbp, prozent), true, Zahlfeld{"Kaufkurs in GBP", "%"},
         Zahlfeld{"Umrechnung: 1 € entspricht", "GBP"}, "GBP"},
    };
    for (std::size_t i = 0; i < faelle.size(); ++i) {
        const Fall& fall = faelle[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(fall.inhalt.mitWaehrungswahl(), fall.waehrungswahl);
        EXPECT_EQ(fall.inhalt.kursfeld(), fall.kurs);
        EXPECT_EQ(fall.inhalt.umrechnungsfeld(), fall.umrechnung);
        const auto ezb = fall.inhalt.ezbWaehrung();
        EXPECT_EQ(ezb ? std::optional<std::string>(ezb->wert()) : std::nullopt, fall.ezb);
    }
}

TEST(KurseingabeInhaltTest, dieWaehrungswahlBietetDieAuswahlUndEineGueltigeFremdeWaehrung) {
    struct Fall {
        std::string handelswaehrung;
        std::size_t anzahl;
        std::optional<std::size_t> gewaehlt;
        QString letzte;
    };
    const std::vector<Fall> faelle = {
        {"EUR", 30, 0, "Südafrikanischer Rand (ZAR)"},
        // Read as a code: lower case and blanks still choose USD, and add nothing.
        {" usd ", 30, 28, "Südafrikanischer Rand (ZAR)"},
        // A valid code outside the choice comes last; ICU knows no name for it.
        {"qqq", 31, 30, "QQQ (QQQ)"},
        {"US$", 30, std::nullopt, "Südafrikanischer Rand (ZAR)"},
        {"", 30, std::nullopt, "Südafrikanischer Rand (ZAR)"},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.handelswaehrung);
        const auto optionen = KurseingabeInhalt::waehrungsoptionen(fall.handelswaehrung);
        ASSERT_EQ(optionen.size(), fall.anzahl);
        EXPECT_EQ(optionen.front(), (KurseingabeInhalt::Option{"Euro (EUR)", "EUR"}));
        EXPECT_EQ(optionen[28], (KurseingabeInhalt::Option{"US-Dollar (USD)", "USD"}));
        EXPECT_EQ(optionen.back().text, fall.letzte);
        EXPECT_EQ(KurseingabeInhalt::gewaehlteOption(optionen, fall.handelswaehrung), fall.gewaehlt);
    }
}

TEST(KurseingabeInhaltTest, vorschauNurFuerEinenGueltigenUmgerechnetenKurs) {
    const auto usd = Eingabeform::fremdwaehrung(code("USD"));
    const auto prozent = Notierungsart::prozentVomNennwert;
    struct Fall {
        KurseingabeInhalt inhalt;
        Kurseingabe eingabe;
        std::optional<QString> vorschau;
    };
    const std::vector<Fall> faelle = {
        {inhalt(Zweck::kauf, Assetklasse::aktie, usd), {"USD", Dezimal(150), Dezimal::aus("1.08")},
         "Umgerechnet: 138,8889 € je Aktie"},
        {inhalt(Zweck::stichtag, Assetklasse::anleihe, usd, prozent), {"USD", Dezimal::aus("97.6"), Dezimal::aus("1.0834")},
         "Umgerechnet: 90,0868 € je 100 USD Nennwert"},
        {inhalt(Zweck::kauf, Assetklasse::rohstoff, usd, Notierungsart::stueckpreis, false, "Feinunze"),
         {"USD", Dezimal(2300), Dezimal::aus("1.08")}, "Umgerechnet: 2.129,6296 € je Feinunze"},
        {inhalt(Zweck::stichtag, Assetklasse::waehrung, Eingabeform::waehrungskurs(code("USD"))),
         {"EUR", Dezimal(0), Dezimal::aus("1.08")}, "Umgerechnet: 0,925926 € je USD"},
        // Nothing while a value is missing or out of range, and never for a price in euro.
        {inhalt(Zweck::kauf, Assetklasse::aktie, usd), {"USD", Dezimal(150), Dezimal(0)}, std::nullopt},
        {inhalt(Zweck::kauf, Assetklasse::aktie, usd), {"USD", Dezimal(150), Dezimal(2000000)}, std::nullopt},
        {inhalt(Zweck::kauf, Assetklasse::aktie, Eingabeform::euro()), {"EUR", Dezimal(12), Dezimal(0)}, std::nullopt},
    };
    const Formatierer deutsch("de_DE");
    for (std::size_t i = 0; i < faelle.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(faelle[i].inhalt.vorschau(faelle[i].eingabe, deutsch), faelle[i].vorschau);
    }
}

TEST(KurseingabeInhaltTest, grenzhinweisNenntDenBereichDesGetipptenWerts) {
    const auto usd = inhalt(Zweck::kauf, Assetklasse::aktie, Eingabeform::fremdwaehrung(code("USD")));
    EXPECT_EQ(usd.grenzhinweis({"USD", Dezimal(150), Dezimal::aus("1.08")}), std::nullopt);
    EXPECT_EQ(usd.grenzhinweis({"USD", Dezimal(150), Dezimal(2000000)}),
              QString("Ein Umrechnungskurs liegt zwischen 0,0001 und 1.000.000."));
    EXPECT_EQ(usd.grenzhinweis({"USD", Dezimal(-1), Dezimal::aus("1.08")}),
              QString("Ein Kurs muss über 0 und höchstens 1.000.000.000 sein."));
    EXPECT_EQ(usd.grenzhinweis({"USD", Dezimal::aus("999999999"), Dezimal::aus("0.0001")}),
              QString("Umgerechnet ergibt das keinen möglichen Kurs. Prüfe Kurs und Umrechnungskurs."));
}

TEST(KurseingabeInhaltTest, hilfetextNachZweckKlasseFormUndAbruf) {
    const auto usd = Eingabeform::fremdwaehrung(code("USD"));
    const auto kursUsd = Eingabeform::waehrungskurs(code("USD"));
    const QString cent = "Kurs in der gewählten Währung und in derselben Einheit wie beim Kauf. Steht er in Cent oder "
                         "Pence (auf Bloomberg „USd“ oder „GBp“, mit kleinem Buchstaben), vorher durch 100 teilen.";
    struct Fall {
        KurseingabeInhalt inhalt;
        std::optional<QString> hilfe;
    };
    const std::vector<Fall> faelle = {
        {inhalt(Zweck::kauf, Assetklasse::anleihe, Eingabeform::euro()),
         "Kurs in Prozent vom Nennwert, so wie deine Quelle ihn zeigt, etwa 97,6."},
        {inhalt(Zweck::kauf, Assetklasse::waehrung, kursUsd),
         "So, wie EZB und Bloomberg den Kurs schreiben: 1 € entspricht so vielen Einheiten der Fremdwährung."},
        {inhalt(Zweck::kauf, Assetklasse::waehrung, Eingabeform::euro()),
         "Ohne Währungscode als Kennung gilt der Kurs in Euro je Einheit der Währung, etwa 0,62 für einen "
         "Australischen Dollar. Mit dem Code als Kennung, etwa AUD, trägst du ihn als 1 € = x ein, und die App "
         "rechnet um."},
        // The purchase help of a commodity depends on whether its identifier is fetched.
        {inhalt(Zweck::kauf, Assetklasse::rohstoff, usd, Notierungsart::stueckpreis, true),
         "Kurs je Stück des Wertpapiers, so wie die Quelle ihn zeigt."},
        {inhalt(Zweck::kauf, Assetklasse::co2Zertifikat, Eingabeform::euro(), Notierungsart::stueckpreis, true),
         "Kurs je Anteil oder je Tonne, so wie deine Quelle ihn zeigt."},
        {inhalt(Zweck::stichtag, Assetklasse::aktie, usd), cent},
        {inhalt(Zweck::stichtag, Assetklasse::aktie, Eingabeform::euro()), std::nullopt},
        {inhalt(Zweck::stichtag, Assetklasse::waehrung, kursUsd), std::nullopt},
    };
    for (std::size_t i = 0; i < faelle.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(faelle[i].inhalt.hilfetext(), faelle[i].hilfe);
    }
    const auto ohneAbruf = inhalt(Zweck::kauf, Assetklasse::rohstoff, usd).hilfetext();
    ASSERT_TRUE(ohneAbruf.has_value());
    EXPECT_TRUE(ohneAbruf->startsWith("Bloomberg zeigt Rohstoffe meist in US-Dollar"));
}

} // namespace
