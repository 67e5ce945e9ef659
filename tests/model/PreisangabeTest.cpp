#include <gtest/gtest.h>

#include "model/Preisangabe.h"

using qb::Dezimal;
using qb::ganzeEinheiten;
using qb::Preisangabe;
using qb::Umrechnung;

namespace {

Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

} // namespace

TEST(Umrechnung, inEuroAufZwoelfStellenHalbVonNullWeg) {
    struct Fall {
        const char* original;
        const char* kurs;
        const char* euro;
    };
    const Fall faelle[] = {
        {"100", "3", "33.333333333333"},
        {"200", "3", "66.666666666667"},
        {"108.5", "1.085", "100"},
        {"1", "0.92", "1.086956521739"},            // 1.0869565217391304…
        {"0.0000000000005", "1", "0.000000000001"}, // a half goes away from zero
        {"0.0000000000004", "1", "0"},
        {"-100", "3", "-33.333333333333"},
        {"100", "0", "0"}, // a rate of 0 never divides
        {"100", "-2", "0"},
        {"0", "1.5", "0"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ((Umrechnung{d(f.original), "USD", d(f.kurs)}.inEuro().text()), f.euro)
            << f.original << " / " << f.kurs;
    }
}

TEST(Preisangabe, gleichheitNachFallUndWert) {
    const Umrechnung usd{d("100"), "USD", d("1.5")};
    EXPECT_EQ(Preisangabe::euro(d("1.5")), Preisangabe::euro(d("1.50")));
    EXPECT_NE(Preisangabe::euro(d("1.5")), Preisangabe::euro(d("1.51")));
    EXPECT_EQ(Preisangabe::umgerechnet(usd),
              Preisangabe::umgerechnet(Umrechnung{d("100.0"), "USD", d("1.50")}));
    EXPECT_NE(Preisangabe::umgerechnet(usd), Preisangabe::umgerechnet(Umrechnung{d("100"), "usd", d("1.5")}));
    EXPECT_NE(Preisangabe::umgerechnet(usd), Preisangabe::umgerechnet(Umrechnung{d("100"), "USD", d("1.6")}));
    EXPECT_NE(Preisangabe::umgerechnet(usd), Preisangabe::umgerechnet(Umrechnung{d("101"), "USD", d("1.5")}));
    // The same amount either way, yet a euro price is never a converted one.
    EXPECT_NE(Preisangabe::euro(d("100")), Preisangabe::umgerechnet(Umrechnung{d("100"), "EUR", d("1")}));
}

TEST(Preisangabe, liefertSeinenFallUndDenEuroPreis) {
    auto euro = Preisangabe::euro(d("12.5"));
    ASSERT_TRUE(euro.istEuro());
    ASSERT_NE(euro.euroPreis(), nullptr);
    EXPECT_EQ(*euro.euroPreis(), d("12.5"));
    EXPECT_EQ(euro.umrechnung(), nullptr);
    EXPECT_EQ(euro.inEuro(), d("12.5"));

    auto fremd = Preisangabe::umgerechnet(Umrechnung{d("100"), "USD", d("3")});
    EXPECT_FALSE(fremd.istEuro());
    EXPECT_EQ(fremd.euroPreis(), nullptr);
    ASSERT_NE(fremd.umrechnung(), nullptr);
    EXPECT_EQ(fremd.umrechnung()->waehrung, "USD");
    EXPECT_EQ(fremd.inEuro().text(), "33.333333333333");
}

TEST(GanzeEinheiten, schneidetBetragUndErgebnisAb) {
    struct Fall {
        const char* betrag;
        const char* faktor;
        const char* einheiten;
    };
    const Fall faelle[] = {
        {"1000", "1.085", "1085"},
        {"999.999", "1", "999"}, // cut to 999.99 first
        {"0.004", "1", "0"},     // cut to 0.00: not above 0
        {"0.01", "100", "1"},
        {"-5", "1", "0"},
        {"0", "1", "0"},
        {"10", "0.3333", "3"},       // 3.333 cut
        {"10000", "0.0001", "1"},    // the lower bound is allowed
        {"1", "1000000", "1000000"}, // and so is the upper one
        {"10000", "0.00009", "0"},
        {"1", "1000000.01", "0"},
        {"1", "0", "0"},
        {"1", "-1", "0"},
        {"10.019", "99.9", "999"}, // 10.01 × 99.9 = 999.999, cut
        {"250.5", "0.5", "125"},   // 125.25
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(ganzeEinheiten(d(f.betrag), d(f.faktor)).text(), f.einheiten)
            << f.betrag << " × " << f.faktor;
    }
}
