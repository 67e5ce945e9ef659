#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "model/Handelsumfang.h"

using qb::Dezimal;
using qb::Handelsumfang;

namespace {

// The text follows the user's locale; these tests pin it to German and put the old one back.
class DeutschesGebietsschema : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* wert = std::getenv("LC_ALL")) {
            alt_ = wert;
        }
        ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    }
    void TearDown() override {
        if (alt_) {
            ::setenv("LC_ALL", alt_->c_str(), 1);
        } else {
            ::unsetenv("LC_ALL");
        }
    }

private:
    std::optional<std::string> alt_;
};

std::optional<Dezimal> d(const char* text) {
    return Dezimal::aus(text);
}

} // namespace

using HandelsumfangText = DeutschesGebietsschema;

TEST_F(HandelsumfangText, eineZeileAusDenVorhandenenTeilen) {
    struct Fall {
        std::optional<std::int64_t> preisfeststellungen;
        std::optional<std::int64_t> stueckumsatz;
        const char* umsatzEuro; // nullptr: absent
        std::optional<std::string> text;
    };
    const Fall faelle[] = {
        {std::nullopt, std::nullopt, nullptr, std::nullopt},
        {0, 0, "0", std::nullopt},
        {-1, -5, "-100", std::nullopt}, // negative values say nothing
        {1, std::nullopt, nullptr, "nur ein einziger Handel"},
        {2, std::nullopt, nullptr, "2 Preisfeststellungen"},
        {12345, 0, nullptr, "12345 Preisfeststellungen"}, // plain digits, no grouping
        {std::nullopt, 1, nullptr, "1 Stück Umsatz"},
        {-1, 2, nullptr, "2 Stück Umsatz"},
        {3, 1200, "45678.9", "3 Preisfeststellungen, 1200 Stück Umsatz, 45.679\u00A0€ Umsatz"},
        {1, 1, "1234567.5", "nur ein einziger Handel, 1 Stück Umsatz, 1.234.568\u00A0€ Umsatz"},
        {std::nullopt, std::nullopt, "999.49", "999\u00A0€ Umsatz"},
        {std::nullopt, 5000, "0.4", "5000 Stück Umsatz, 0\u00A0€ Umsatz"}, // above 0, rounded to 0 €
    };
    for (const auto& f : faelle) {
        Handelsumfang umfang{f.preisfeststellungen, f.stueckumsatz, std::nullopt};
        if (f.umsatzEuro != nullptr) {
            umfang.umsatzEuro = Dezimal::aus(f.umsatzEuro);
        }
        EXPECT_EQ(umfang.text(), f.text) << umfang.alsJson();
    }
}

TEST(Handelsumfang, jsonHinUndZurueck) {
    const Handelsumfang faelle[] = {
        {},
        {3, 1200, d("45678.9")},
        {std::nullopt, std::nullopt, d("0.1")},
        {std::nullopt, std::nullopt, Dezimal::aus("1/3")},
        {std::nullopt, std::nullopt, d("123456789012345678901234567890.123456789")},
        {0, -7, d("-0.5")},
        {INT64_MAX, INT64_MIN, std::nullopt},
    };
    for (const auto& umfang : faelle) {
        std::string json = umfang.alsJson();
        Handelsumfang gelesen = Handelsumfang::ausJson(json);
        EXPECT_EQ(gelesen, umfang) << json;
        // Exact, not merely equal after rounding: the stored text reads back to the same text.
        EXPECT_EQ(gelesen.alsJson(), json);
    }
}

TEST(Handelsumfang, jsonSchreibtNurVorhandeneSchluessel) {
    EXPECT_EQ(Handelsumfang{}.alsJson(), "{}");
    EXPECT_EQ((Handelsumfang{std::nullopt, std::nullopt, d("45678.90")}.alsJson()),
              R"({"umsatzEuro":"45678.9"})");
    EXPECT_EQ((Handelsumfang{3, 1200, std::nullopt}.alsJson()),
              R"({"preisfeststellungen":3,"stueckumsatz":1200})");
}

TEST(Handelsumfang, jsonLesen) {
    struct Fall {
        const char* json;
        Handelsumfang umfang;
    };
    const Fall faelle[] = {
        {"{}", {}},
        {R"({"unbekannt": 1})", {}},
        {R"({"stueckumsatz": 5})", {std::nullopt, 5, std::nullopt}},
        {R"({"umsatzEuro": 45678.9})", {std::nullopt, std::nullopt, d("45678.9")}}, // a number as well
        {R"({"umsatzEuro": 12})", {std::nullopt, std::nullopt, d("12")}},
        {R"({"umsatzEuro": "0.10", "preisfeststellungen": 2})", {2, std::nullopt, d("0.1")}},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Handelsumfang::ausJson(f.json), f.umfang) << f.json;
    }
}

TEST(Handelsumfang, jsonMitFalscherArtWirft) {
    for (const char* json :
         {R"({"preisfeststellungen": "3"})", R"({"stueckumsatz": 1.5})", R"({"stueckumsatz": true})",
          R"({"umsatzEuro": true})", R"({"umsatzEuro": "abc"})", R"({"umsatzEuro": "1,5"})",
          R"({"umsatzEuro": [1]})", "[]", "3", "", "kein JSON", R"({"stueckumsatz": 1)"}) {
        EXPECT_THROW(Handelsumfang::ausJson(json), std::invalid_argument) << json;
    }
}

TEST(Handelsumfang, ganzzahlenNurImBereichVonInt64) {
    // Each count is read alone and in the other key, so that both keys hold the same rule.
    // A number with a fraction or an exponent is no count, even when its value is whole.
    struct Fall {
        const char* zahl;
        std::optional<std::int64_t> wert; // none: unreadable
    };
    const Fall faelle[] = {
        {"0", 0},
        {"-1", -1},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
        {"18446744073709551615", std::nullopt},
        {"18446744073709551616", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"100000000000000000000000", std::nullopt},
        {"3.0", std::nullopt},
        {"1e3", std::nullopt},
        {"-0.5", std::nullopt},
    };
    for (const auto& f : faelle) {
        for (const char* schluessel : {"preisfeststellungen", "stueckumsatz"}) {
            const std::string json = std::string("{\"") + schluessel + "\": " + f.zahl + "}";
            if (!f.wert) {
                EXPECT_THROW(Handelsumfang::ausJson(json), std::invalid_argument) << json;
                continue;
            }
            Handelsumfang umfang = Handelsumfang::ausJson(json);
            auto gelesen =
                std::string(schluessel) == "stueckumsatz" ? umfang.stueckumsatz : umfang.preisfeststellungen;
            EXPECT_EQ(gelesen, f.wert) << json;
            EXPECT_EQ(Handelsumfang::ausJson(umfang.alsJson()), umfang) << json;
        }
    }
}

TEST(Handelsumfang, gleichheitFeldweise) {
    EXPECT_EQ((Handelsumfang{1, 2, d("1.5")}), (Handelsumfang{1, 2, d("1.50")}));
    EXPECT_NE((Handelsumfang{1, 2, d("1.5")}), (Handelsumfang{1, 2, std::nullopt}));
    EXPECT_NE((Handelsumfang{std::nullopt, 2, std::nullopt}), (Handelsumfang{0, 2, std::nullopt}));
    EXPECT_NE((Handelsumfang{1, 2, std::nullopt}), (Handelsumfang{2, 1, std::nullopt}));
}
