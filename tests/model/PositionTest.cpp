#include <gtest/gtest.h>

#include "model/Position.h"
#include "model/Preisangabe.h"

using namespace qb;

namespace {

Preisangabe usd(const char* original, const char* kurs) {
    return Preisangabe::umgerechnet(Umrechnung{Dezimal::aus(original), "USD", Dezimal::aus(kurs)});
}

} // namespace

TEST(Position, neuePositionHatDieVorgaben) {
    Position aktie(Assetklasse::aktie);
    EXPECT_EQ(aktie.waehrung(), "EUR");
    EXPECT_EQ(aktie.notierung(), Notierungsart::stueckpreis);
    EXPECT_EQ(aktie.nennwert(), Dezimal(100));
    EXPECT_EQ(aktie.stueckzahl(), 0);
    EXPECT_FALSE(aktie.kaufkursOriginal().has_value());
    EXPECT_EQ(Position(Assetklasse::anleihe).notierung(), Notierungsart::prozentVomNennwert);
}

TEST(Position, wertNachNotierungUndUmrechnung) {
    struct Fall {
        Assetklasse klasse;
        std::int64_t stueck;
        const char* nennwert;
        Preisangabe preis;
        const char* wert;
    };
    const Fall faelle[] = {
        {Assetklasse::anleihe, 3, "1000", Preisangabe::euro(Dezimal::aus("97.6")), "2928"},
        {Assetklasse::aktie, 10, "100", usd("150", "1.08"), "1388.89"},
        {Assetklasse::aktie, 10, "100", usd("150", "0"), "0"},
        {Assetklasse::aktie, 10, "100", usd("150", "-1"), "0"},
        {Assetklasse::aktie, 3, "100", Preisangabe::euro(Dezimal::aus("0.005")), "0.02"},
        {Assetklasse::aktie, 1, "100", Preisangabe::euro(Dezimal::aus("0.004")), "0"},
        // The bond rule applies to the foreign price before the division by the rate.
        {Assetklasse::anleihe, 2, "1000", usd("99", "1.1"), "1800"},
    };
    for (const auto& f : faelle) {
        Position p(f.klasse);
        p.setzeStueckzahl(f.stueck);
        p.setzeNennwert(Dezimal::aus(f.nennwert));
        EXPECT_EQ(p.wert(f.preis).text(), f.wert);
    }
}

TEST(Position, kaufkursGehtHinUndZurueck) {
    Position p(Assetklasse::aktie);
    p.setzeKaufkurs(usd("100", "3"));
    EXPECT_EQ(p.kaufpreis().text(), "33.333333333333");
    EXPECT_EQ(p.waehrung(), "USD");
    EXPECT_EQ(p.kaufkursOriginal(), Dezimal(100));
    EXPECT_EQ(p.kaufumrechnung(), Dezimal(3));
    EXPECT_EQ(p.kaufPreisangabe(), usd("100", "3"));

    p.setzeKaufkurs(usd("100", "0"));
    EXPECT_EQ(p.kaufpreis(), Dezimal(0));
    EXPECT_EQ(p.kaufPreisangabe(), usd("100", "0"));
    p.setzeStueckzahl(5);
    EXPECT_EQ(p.wert(p.kaufPreisangabe()), Dezimal(0));

    p.setzeKaufkurs(Preisangabe::euro(Dezimal::aus("42.5")));
    EXPECT_EQ(p.waehrung(), "EUR");
    EXPECT_FALSE(p.kaufkursOriginal().has_value());
    EXPECT_FALSE(p.kaufumrechnung().has_value());
    EXPECT_EQ(p.kaufPreisangabe(), Preisangabe::euro(Dezimal::aus("42.5")));

    // One of the two foreign values alone is no conversion.
    p.setzeKaufkursOriginal(Dezimal(7));
    EXPECT_EQ(p.kaufPreisangabe(), Preisangabe::euro(Dezimal::aus("42.5")));
}

TEST(Position, vollstaendigkeit) {
    struct Fall {
        std::int64_t stueck;
        const char* kaufpreis;
        const char* name;
        bool vollstaendig;
    };
    const Fall faelle[] = {
        {1, "1", "SAP", true}, {0, "1", "SAP", false}, {1, "0", "SAP", false},
        {1, "1", "", false},   {1, "1", " ", true},    {-3, "1", "SAP", false},
    };
    for (const auto& f : faelle) {
        Position p(Assetklasse::aktie);
        p.setzeStueckzahl(f.stueck);
        p.setzeKaufpreis(Dezimal::aus(f.kaufpreis));
        p.setzeName(f.name);
        EXPECT_EQ(p.istVollstaendig(), f.vollstaendig) << f.stueck << " " << f.kaufpreis << " '" << f.name << "'";
    }
}

TEST(Position, einheitUndHandelswaehrung) {
    struct Fall {
        Assetklasse klasse;
        const char* kennung;
        const char* waehrung;
        std::optional<std::string> einheit;
        const char* einheitText;
        const char* handelswaehrung;
    };
    const Fall faelle[] = {
        {Assetklasse::rohstoff, "", "USD", "  \t ", "Einheiten", "USD"},
        {Assetklasse::rohstoff, "", "USD", " t oz. ", "t oz.", "USD"},
        {Assetklasse::rohstoff, "", "EUR", "\nkg", "\nkg", "EUR"},
        {Assetklasse::co2Zertifikat, "", "EUR", std::nullopt, "Anteile", "EUR"},
        {Assetklasse::aktie, "US0378331005", "USD", std::nullopt, "Stück", "USD"},
        {Assetklasse::anleihe, "", "EUR", std::nullopt, "Stück", "EUR"},
        {Assetklasse::waehrung, "USD", "EUR", "Dollar", "USD", "USD"},
        {Assetklasse::waehrung, " chf ", "EUR", std::nullopt, "CHF", "CHF"},
        {Assetklasse::waehrung, "EUR", "EUR", std::nullopt, "Einheiten", "EUR"},
        {Assetklasse::waehrung, "Australischer Dollar", "EUR", std::nullopt, "Einheiten", "EUR"},
    };
    for (const auto& f : faelle) {
        Position p(f.klasse);
        p.setzeKennung(f.kennung);
        p.setzeWaehrung(f.waehrung);
        p.setzeEinheit(f.einheit);
        EXPECT_EQ(p.einheitText(), f.einheitText) << f.kennung;
        EXPECT_EQ(p.handelswaehrung(), f.handelswaehrung) << f.kennung;
    }
}
