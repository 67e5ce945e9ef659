#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/Waehrungscode.h"

using qb::Waehrungscode;

namespace {

std::optional<std::string> wert(const std::optional<Waehrungscode>& code) {
    if (!code) {
        return std::nullopt;
    }
    return code->wert();
}

struct Lesefall {
    const char* eingabe;
    std::optional<std::string> erwartet;
};

} // namespace

TEST(Waehrungscode, liestNachsichtig) {
    const Lesefall faelle[] = {
        {"USD", "USD"},
        {"usd", "USD"},
        {" usd\n", "USD"},
        {"\t\r\nchf \r\n", "CHF"},
        {"\u00A0gbp\u2028", "GBP"}, // no-break space and line separator are white space too
        {"\u0085Jpy\u2029", "JPY"},
        {"ßa", "SSA"},      // upper-casing comes before the count
        {"\uFB00a", "FFA"}, // the ligature ff becomes two letters
        {"US", std::nullopt},
        {"USDX", std::nullopt},
        {"U$D", std::nullopt},
        {"U D", std::nullopt},
        {"ÄUD", std::nullopt}, // a letter, but not ASCII
        {"äud", std::nullopt},
        {"A\u0301BC", std::nullopt}, // three characters, the first one not ASCII
        {"AB\u0301", std::nullopt},  // two characters only
        {"E1R", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"ß", std::nullopt}, // "SS": two characters
        {"ABCD\u0301", std::nullopt},
        {"\xC3", std::nullopt}, // broken UTF-8
        {"U\xFF"
         "D",
         std::nullopt},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(wert(Waehrungscode::aus(f.eingabe)), f.erwartet) << '"' << f.eingabe << '"';
    }
}

TEST(Waehrungscode, liestStreng) {
    const Lesefall faelle[] = {
        {"USD", "USD"},         {"ZAR", "ZAR"},          {"usd", std::nullopt}, {"GBp", std::nullopt},
        {" USD", std::nullopt}, {"USD\n", std::nullopt}, {"US", std::nullopt},  {"USDX", std::nullopt},
        {"ßA", std::nullopt},   {"ÄUD", std::nullopt},   {"U1D", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(wert(Waehrungscode::streng(f.eingabe)), f.erwartet) << '"' << f.eingabe << '"';
    }
}

TEST(Waehrungscode, vergleichtNachWert) {
    EXPECT_EQ(Waehrungscode::aus(" eur"), Waehrungscode::euro());
    EXPECT_NE(Waehrungscode::aus("USD"), Waehrungscode::euro());
    EXPECT_EQ(Waehrungscode::euro().wert(), "EUR");
}

TEST(Waehrungscode, auswahlMitEuroZuerstDannAlphabetisch) {
    std::vector<std::string> codes;
    for (const auto& code : Waehrungscode::auswahl()) {
        codes.push_back(code.wert());
    }
    const std::vector<std::string> erwartet{"EUR", "AUD", "BRL", "CAD", "CHF", "CNY", "CZK", "DKK",
                                            "GBP", "HKD", "HUF", "IDR", "ILS", "INR", "ISK", "JPY",
                                            "KRW", "MXN", "MYR", "NOK", "NZD", "PHP", "PLN", "RON",
                                            "SEK", "SGD", "THB", "TRY", "USD", "ZAR"};
    EXPECT_EQ(codes, erwartet);
    EXPECT_EQ(&Waehrungscode::auswahl(), &Waehrungscode::auswahl());
}

TEST(Waehrungscode, anzeigenameAufDeutsch) {
    struct Fall {
        const char* code;
        const char* name;
    };
    const Fall faelle[] = {
        {"USD", "US-Dollar"},
        {"EUR", "Euro"},
        {"CHF", "Schweizer Franken"},
        {"GBP", "Britisches Pfund"},
        {"JPY", "Japanischer Yen"},
        {"XQZ", "XQZ"}, // unknown: the code itself
        {"AAA", "AAA"},
    };
    for (const auto& f : faelle) {
        auto code = Waehrungscode::aus(f.code);
        ASSERT_TRUE(code.has_value()) << f.code;
        EXPECT_EQ(code->anzeigename(), f.name) << f.code;
    }
    // Every selectable currency has a real name, not just its code.
    for (const auto& code : Waehrungscode::auswahl()) {
        EXPECT_NE(code.anzeigename(), code.wert()) << code.wert();
    }
}
