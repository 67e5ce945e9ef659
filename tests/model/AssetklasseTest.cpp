#include <gtest/gtest.h>

#include <map>
#include <string>

#include "model/Assetklasse.h"
#include "model/Eingabeform.h"
#include "model/Waehrungscode.h"

using qb::Assetklasse;
using qb::assetklasseMeldungszeilen;
using qb::Eingabeform;
using qb::Preisherkunft;

namespace {

const char* const hilfeAktie =
    "Kurs je Aktie. Notiert sie nicht in Euro, wähle die Handelswährung und trage den Kurs so "
    "ein, wie deine Quelle ihn zeigt. Britische Aktien stehen auf Bloomberg meist in Pence "
    "(„GBp“, kleines p): dann den Kurs durch 100 teilen und GBP wählen.";
const char* const hilfeAnleihe = "Kurs in Prozent vom Nennwert, so wie deine Quelle ihn zeigt, etwa 97,6.";
const char* const hilfeWaehrungEuro =
    "Ohne Währungscode als Kennung gilt der Kurs in Euro je Einheit der Währung, etwa 0,62 "
    "für einen Australischen Dollar. Mit dem Code als Kennung, etwa AUD, trägst du ihn als 1 "
    "€ = x ein, und die App rechnet um.";
const char* const hilfeWaehrungFremd =
    "So, wie EZB und Bloomberg den Kurs schreiben: 1 € entspricht so vielen Einheiten der "
    "Fremdwährung.";
const char* const hilfeRohstoffWertpapier = "Kurs je Stück des Wertpapiers, so wie die Quelle ihn zeigt.";
const char* const hilfeRohstoffBloomberg =
    "Bloomberg zeigt Rohstoffe meist in US-Dollar, Währung und Einheit stehen direkt neben "
    "dem Kurs, etwa „USD/t oz.“ für je Feinunze. Dann USD als Handelswährung wählen, den "
    "Dollarkurs eintragen und die Einheit angeben. Achtung: Agrarrohstoffe wie Mais, Weizen, "
    "Zucker oder Kaffee stehen oft in US-Cent („USd“, kleines d). Dann den Kurs durch 100 "
    "teilen.";
const char* const hilfeCo2 = "Kurs je Anteil oder je Tonne, so wie deine Quelle ihn zeigt.";

} // namespace

TEST(Assetklasse, rohwerteUndBezeichnungenInFallreihenfolge) {
    struct Fall {
        Assetklasse klasse;
        const char* roh;
        const char* bezeichnung;
    };
    const Fall faelle[] = {
        {Assetklasse::aktie, "aktie", "Aktie"},
        {Assetklasse::anleihe, "anleihe", "Anleihe"},
        {Assetklasse::waehrung, "waehrung", "Währung"},
        {Assetklasse::rohstoff, "rohstoff", "Rohstoff"},
        {Assetklasse::co2Zertifikat, "co2Zertifikat", "CO2-Zertifikat"},
    };
    ASSERT_EQ(qb::alleAssetklassen.size(), std::size(faelle));
    for (std::size_t i = 0; i < std::size(faelle); ++i) {
        EXPECT_EQ(qb::alleAssetklassen[i], faelle[i].klasse);
        EXPECT_EQ(qb::rohwert(faelle[i].klasse), faelle[i].roh);
        EXPECT_EQ(qb::bezeichnung(faelle[i].klasse), faelle[i].bezeichnung);
        EXPECT_EQ(qb::assetklasseAus(faelle[i].roh), faelle[i].klasse);
    }
    for (const char* text : {"Aktie", "co2zertifikat", "Co2Zertifikat", "währung", " aktie", "aktie ", ""}) {
        EXPECT_FALSE(qb::assetklasseAus(text).has_value()) << '"' << text << '"';
    }
}

TEST(Assetklasse, eingabehilfeNachKlasseFormUndQuelle) {
    const Eingabeform formen[] = {
        Eingabeform::euro(),
        Eingabeform::fremdwaehrung(*qb::Waehrungscode::aus("USD")),
        Eingabeform::waehrungskurs(*qb::Waehrungscode::aus("CHF")),
    };
    for (const auto& form : formen) {
        for (bool istWertpapier : {false, true}) {
            SCOPED_TRACE(std::string(form.istEuro()             ? "euro"
                                     : form.fremdwaehrungCode() ? "fremdwaehrung"
                                                                : "waehrungskurs") +
                         (istWertpapier ? ", Wertpapier" : ", ohne Quelle"));
            EXPECT_EQ(qb::eingabehilfe(Assetklasse::aktie, form, istWertpapier), hilfeAktie);
            EXPECT_EQ(qb::eingabehilfe(Assetklasse::anleihe, form, istWertpapier), hilfeAnleihe);
            EXPECT_EQ(qb::eingabehilfe(Assetklasse::waehrung, form, istWertpapier),
                      form.istEuro() ? hilfeWaehrungEuro : hilfeWaehrungFremd);
            EXPECT_EQ(qb::eingabehilfe(Assetklasse::rohstoff, form, istWertpapier),
                      istWertpapier ? hilfeRohstoffWertpapier : hilfeRohstoffBloomberg);
            EXPECT_EQ(qb::eingabehilfe(Assetklasse::co2Zertifikat, form, istWertpapier), hilfeCo2);
        }
    }
}

TEST(Assetklasse, meldungszeilenInFallreihenfolge) {
    struct Fall {
        std::map<Assetklasse, std::string> meldungen;
        const char* trenner;
        const char* text;
    };
    const Fall faelle[] = {
        {{}, "\n", ""},
        {{{Assetklasse::rohstoff, "kein Kurs"}, {Assetklasse::aktie, "HTTP 404"}},
         "\n",
         "Aktie: HTTP 404\nRohstoff: kein Kurs"},
        {{{Assetklasse::co2Zertifikat, "c"}, {Assetklasse::waehrung, "w"}, {Assetklasse::anleihe, "a"}},
         " ",
         "Anleihe: a Währung: w CO2-Zertifikat: c"},
        {{{Assetklasse::waehrung, ""}}, "\n", "Währung: "}, // the message unchanged, even when empty
        {{{Assetklasse::aktie, "1"},
          {Assetklasse::anleihe, "2"},
          {Assetklasse::waehrung, "3"},
          {Assetklasse::rohstoff, "4"},
          {Assetklasse::co2Zertifikat, "5"}},
         "; ",
         "Aktie: 1; Anleihe: 2; Währung: 3; Rohstoff: 4; CO2-Zertifikat: 5"},
        {{{Assetklasse::aktie, "a\nb"}}, "\n", "Aktie: a\nb"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(assetklasseMeldungszeilen(f.meldungen, f.trenner), f.text);
    }
}

TEST(Preisherkunft, rohwerteUndBezeichnungen) {
    ASSERT_EQ(qb::allePreisherkuenfte.size(), 2u);
    EXPECT_EQ(qb::allePreisherkuenfte[0], Preisherkunft::automatisch);
    EXPECT_EQ(qb::allePreisherkuenfte[1], Preisherkunft::manuell);
    EXPECT_EQ(qb::rohwert(Preisherkunft::automatisch), "automatisch");
    EXPECT_EQ(qb::rohwert(Preisherkunft::manuell), "manuell");
    EXPECT_EQ(qb::bezeichnung(Preisherkunft::automatisch), "automatisch abgerufen");
    EXPECT_EQ(qb::bezeichnung(Preisherkunft::manuell), "von Hand eingetragen");
    EXPECT_EQ(qb::preisherkunftAus("automatisch"), Preisherkunft::automatisch);
    EXPECT_EQ(qb::preisherkunftAus("manuell"), Preisherkunft::manuell);
    for (const char* text : {"Manuell", "automatisch abgerufen", "von Hand eingetragen", ""}) {
        EXPECT_FALSE(qb::preisherkunftAus(text).has_value()) << text;
    }
}
