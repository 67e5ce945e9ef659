#include <gtest/gtest.h>

#include <string>

#include <gmpxx.h>

#include "foundation/Dezimal.h"

using qb::Dezimal;
using qb::Rundung;

TEST(Dezimal, liestUndSchreibtTextExakt) {
    struct Fall {
        const char* eingabe;
        const char* text;
    };
    const Fall faelle[] = {
        {"0", "0"},
        {"-0", "0"},
        {"-0.000", "0"},
        {"12.50", "12.5"},
        {"+7", "7"},
        {".5", "0.5"},
        {"5.", "5"},
        {"-1234.5", "-1234.5"},
        {"0.000001", "0.000001"},
        {"1e5", "100000"},
        {"1.5E-3", "0.0015"},
        {"1/4", "0.25"},
        {"-3/8", "-0.375"},
        {"1000000000", "1000000000"},
        {"123456789012345678901234567890.123456789", "123456789012345678901234567890.123456789"},
    };
    for (const auto& f : faelle) {
        auto wert = Dezimal::lies(f.eingabe);
        ASSERT_TRUE(wert.has_value()) << f.eingabe;
        EXPECT_EQ(wert->text(), f.text) << f.eingabe;
    }
}

TEST(Dezimal, verweigertKeineZahl) {
    for (const char* eingabe : {"", "-", ".", "1,5", "1.2.3", " 1", "1 ", "abc", "1e", "1e99999", "1/0", "/3",
                                "1/-3", "0x10", "--1", "1e+"}) {
        EXPECT_FALSE(Dezimal::lies(eingabe).has_value()) << eingabe;
    }
    EXPECT_THROW(Dezimal::aus("x"), std::invalid_argument);
}

TEST(Dezimal, rechnetExakt) {
    EXPECT_EQ((Dezimal::aus("0.1") + Dezimal::aus("0.2")).text(), "0.3");
    EXPECT_EQ((Dezimal(100) / Dezimal(3) * Dezimal(3)).text(), "100");
    EXPECT_EQ((Dezimal::aus("1.5") * Dezimal::aus("-2.25")).text(), "-3.375");
    EXPECT_EQ((Dezimal(5) - Dezimal(7)).text(), "-2");
    EXPECT_EQ(Dezimal::aus("1.5"), Dezimal::aus("1.50"));
    EXPECT_LT(Dezimal::aus("0.99999"), Dezimal(1));
    EXPECT_THROW(Dezimal(1) / Dezimal(0), std::domain_error);
    EXPECT_EQ(Dezimal::zehnHoch(-4).text(), "0.0001");
    EXPECT_EQ(Dezimal(-5LL).betrag().text(), "5");
}

TEST(Dezimal, rundetNormalUndAbwaerts) {
    struct Fall {
        const char* wert;
        int stellen;
        Rundung modus;
        const char* ergebnis;
    };
    const Fall faelle[] = {
        {"2.345", 2, Rundung::normal, "2.35"},
        {"-2.345", 2, Rundung::normal, "-2.35"},
        {"2.344", 2, Rundung::normal, "2.34"},
        {"0.5", 0, Rundung::normal, "1"},
        {"-0.5", 0, Rundung::normal, "-1"},
        {"-0.4", 0, Rundung::normal, "0"},
        {"999.999", 2, Rundung::abwaerts, "999.99"},
        {"-1.001", 2, Rundung::abwaerts, "-1.01"},
        {"3.333", 0, Rundung::abwaerts, "3"},
        {"1250", -2, Rundung::normal, "1300"},
        {"1/3", 12, Rundung::normal, "0.333333333333"},
        {"2/3", 12, Rundung::normal, "0.666666666667"},
        {"100/3", 12, Rundung::normal, "33.333333333333"},
        {"0.0000000000004", 12, Rundung::normal, "0"},
        {"0.0000000000005", 12, Rundung::normal, "0.000000000001"},
        // Whatever rounds to zero is written "0", never "-0".
        {"-0.004", 2, Rundung::normal, "0"},
        {"-0.0049999", 2, Rundung::normal, "0"},
        {"-0.005", 2, Rundung::normal, "-0.01"},
        {"-0.001", 2, Rundung::abwaerts, "-0.01"},
        {"0.009", 2, Rundung::abwaerts, "0"},
        {"-1/3", 0, Rundung::normal, "0"},
        {"-2/3", 0, Rundung::normal, "-1"},
        {"-1/3", 0, Rundung::abwaerts, "-1"},
        {"7", 2, Rundung::abwaerts, "7"},
        {"-49", -2, Rundung::normal, "0"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Dezimal::aus(f.wert).gerundet(f.stellen, f.modus).text(), f.ergebnis)
            << f.wert << " auf " << f.stellen;
    }
}

TEST(Dezimal, speichertextKommtBitgenauZurueck) {
    for (const char* eingabe : {"1/3", "-22/7", "12.345", "0", "-0.000000000001"}) {
        Dezimal wert = Dezimal::aus(eingabe);
        EXPECT_EQ(Dezimal::aus(wert.speichertext()), wert) << eingabe;
    }
    EXPECT_EQ(Dezimal::aus("1/3").speichertext(), "1/3");
    EXPECT_EQ(Dezimal::aus("1/3").text(), "0.3333333333333333333333333333333333333333");
}

TEST(Dezimal, textHatSovieleStellenWieDerNennerVerlangt) {
    // A denominator 2^a · 5^b takes max(a, b) places; anything else in it, 40 rounded ones.
    struct Fall {
        const char* wert;
        const char* text;
        bool endlich;
    };
    const Fall faelle[] = {
        {"1/8", "0.125", true},
        {"1/1280", "0.00078125", true},
        {"3/625", "0.0048", true},
        {"-7/20", "-0.35", true},
        {"1/1024000", "0.0000009765625", true},
        {"12345/1", "12345", true},
        {"1/6", "0.1666666666666666666666666666666666666667", false},
        {"-1/15", "-0.0666666666666666666666666666666666666667", false},
        {"1/3000000000000000000000000000000000000000000", "0", false},
    };
    for (const auto& f : faelle) {
        Dezimal wert = Dezimal::aus(f.wert);
        EXPECT_EQ(wert.text(), f.text) << f.wert;
        EXPECT_EQ(wert.istEndlicherDezimalbruch(), f.endlich) << f.wert;
    }
}

TEST(Dezimal, zweihunderttausendStellenKommenExaktZurueck) {
    // Saving such a value once took seconds per place count squared; here it must simply finish.
    constexpr std::size_t stellen = 200000;
    std::string bruch;
    for (std::size_t i = 0; i < stellen - 1; ++i) {
        bruch += static_cast<char>('0' + (i * 7 + i / 10) % 10);
    }
    bruch += '3';
    const std::string text = "-9876543210." + bruch;
    Dezimal wert = Dezimal::aus(text);
    EXPECT_TRUE(wert.istEndlicherDezimalbruch());
    EXPECT_EQ(wert.text(), text);
    EXPECT_EQ(wert.speichertext(), text);
    EXPECT_EQ(Dezimal::aus(wert.text()), wert);

    // 1 / 2^200000: 200000 places as well, most of them leading zeros after the point.
    mpz_class zweierpotenz;
    mpz_ui_pow_ui(zweierpotenz.get_mpz_t(), 2, stellen);
    mpz_class fuenferpotenz;
    mpz_ui_pow_ui(fuenferpotenz.get_mpz_t(), 5, stellen);
    std::string ziffern = fuenferpotenz.get_str(10);
    Dezimal halbe = Dezimal::aus("1/" + zweierpotenz.get_str(10));
    const std::string erwartet = "0." + std::string(stellen - ziffern.size(), '0') + ziffern;
    EXPECT_EQ(halbe.text(), erwartet);
    EXPECT_EQ(Dezimal::aus(erwartet), halbe);
}

TEST(Dezimal, ganzzahlNurWennGanzUndPassend) {
    EXPECT_EQ(Dezimal(42).alsGanzzahl(), 42);
    EXPECT_EQ(Dezimal::aus("-9223372036854775808").alsGanzzahl(), INT64_MIN);
    EXPECT_FALSE(Dezimal::aus("9223372036854775808").alsGanzzahl().has_value());
    EXPECT_FALSE(Dezimal::aus("1.5").alsGanzzahl().has_value());
}

TEST(Dezimal, ordnetUndSummiert) {
    EXPECT_LT(Dezimal::aus("-0.0001"), Dezimal(0));
    EXPECT_GT(Dezimal::aus("1/3"), Dezimal::aus("0.3333333333333333333333333333333333333333"));
    EXPECT_EQ(Dezimal::aus("2/4") <=> Dezimal::aus("0.5"), std::strong_ordering::equal);
    Dezimal summe;
    for (int i = 0; i < 10; ++i) {
        summe += Dezimal::aus("0.1");
    }
    EXPECT_EQ(summe, Dezimal(1));
    summe -= Dezimal::aus("1/3");
    EXPECT_EQ(summe.speichertext(), "2/3");
    EXPECT_EQ(Dezimal(INT64_MIN).text(), "-9223372036854775808");
    EXPECT_EQ(Dezimal(INT64_MAX).alsGanzzahl(), INT64_MAX);
    EXPECT_EQ((-Dezimal(0)).text(), "0");
    EXPECT_EQ(Dezimal::zehnHoch(3).text(), "1000");
}
