#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "valuation/Dekodierfehler.h"
#include "valuation/Zahlenfeld.h"

using qb::Dekodierfehler;
using qb::Dezimal;
using qb::Zahlenfeld;

namespace {

struct Fall {
    const char* eingabe;
    std::optional<std::string> erwartet;
};

std::optional<std::string> gelesen(const char* text) {
    auto wert = Zahlenfeld::parse(text);
    if (!wert) {
        return std::nullopt;
    }
    return wert->text();
}

// The description of the decoding error, or "kein Fehler".
std::string dekodierfehler(const nlohmann::json& wert) {
    try {
        Zahlenfeld::dekodiere(wert);
    } catch (const Dekodierfehler& fehler) {
        return fehler.what();
    }
    return "kein Fehler";
}

} // namespace

TEST(Zahlenfeld, liestDeutscheUndInternationaleSchreibweise) {
    const Fall faelle[] = {
        {"1.234,56", "1234.56"},
        {"1,234.56", "1234.56"},
        {"1.000,00", "1000"},
        {"1,5", "1.5"},
        {"1.5", "1.5"},
        {"1.234", "1.234"}, // a single separator is always decimal
        {"1,234", "1.234"},
        {"1.000.000", "1000000"},
        {"1,000,000", "1000000"},
        {"1.000.000,5", "1000000.5"},
        {"12.345.678,90", "12345678.9"},
        {"1,234,5", std::nullopt}, // a later group of other than 3 digits
        {"1.2.3,4", std::nullopt},
        {"1234.567,8", std::nullopt}, // a first group of 4 digits
        {"1..5", std::nullopt},
        {",123,456", std::nullopt}, // an empty first group
        {"1234,5", "1234.5"},       // a single integer group is not limited
        {"12,", "12"},
        {",5", "0.5"},
        {"-1.234,5", "-1234.5"},
        {"-123.456,7", "-123456.7"},
        {"-1234.567,8", std::nullopt},
        {"-.234,5", std::nullopt},
        {"-0", "0"},
        {"0,000001", "0.000001"},
        {"123456789012345678901234567890,123456789", "123456789012345678901234567890.123456789"},
        {"1-2", std::nullopt},
        {"+5", std::nullopt},
        {"--5", std::nullopt},
        {"1e5", std::nullopt},
        {"1 234,5", std::nullopt},
        {" 12,5\t", "12.5"},
        {"\u00A012,5\u2009", "12.5"}, // no-break and thin space are blanks too
        {"12,5\n", std::nullopt},     // line breaks are not trimmed
        {"", std::nullopt},
        {"  \t", std::nullopt},
        {",", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"\u0661\u0662", std::nullopt}, // digits of another script
        {"\uFF15", std::nullopt},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(gelesen(f.eingabe), f.erwartet) << '"' << f.eingabe << '"';
    }
}

TEST(Zahlenfeld, normalisiertTrennzeichen) {
    const Fall faelle[] = {
        {"1.234,56", "1234.56"},
        {"1,234.56", "1234.56"},
        {"1.000,00", "1000.00"},
        {"1.000.000", "1000000"},
        {"1,5", "1.5"},
        {"12,", "12"},
        {",5", ".5"},
        {"1234,5", "1234.5"},
        {"1 234,5", "1 234.5"},
        {"1-2", "1-2"},
        {"+5", "+5"},
        {"1e5", "1e5"},
        {"abc", "abc"},
        {"", ""},
        {",", ""},
        {"1,234,5", std::nullopt},
        {"1.2.3,4", std::nullopt},
        {"1234.567,8", std::nullopt},
        {"1.234,5.6", std::nullopt},
        {"1,,000", std::nullopt},
        {"1.234.5", std::nullopt},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Zahlenfeld::normalisiere(f.eingabe), f.erwartet) << '"' << f.eingabe << '"';
    }
}

TEST(Zahlenfeld, zaehltZeichenNichtBytes) {
    const Fall faelle[] = {
        // A separator with a combining mark is one character and no separator.
        {"1,\u0301234", "1,\u0301234"},
        {"1.\u0301234", "1.\u0301234"},
        {"1.234,\u03015", "1.234,\u03015"}, // the single "." is the decimal separator
        {"1,\u0301234.5", "1,\u0301234.5"},
        {"1,234.\u0301", "1.234.\u0301"}, // the single "," is the decimal separator
        // A group counts characters: a no-break space or an accented letter is one.
        {"\u00A012.345.678", "\u00A012345678"},
        {"\u00A0123.456.789", std::nullopt},
        {"1.2\u00E94.567", "12\u00E94567"},
        {"1.2e\u03014.567", "12e\u03014567"},
        {"-\u030112.345.678", "-\u030112345678"}, // a minus with an accent is no sign
        {"-123.456.789", "-123456789"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Zahlenfeld::normalisiere(f.eingabe), f.erwartet) << '"' << f.eingabe << '"';
    }
    for (const char* text : {"1,\u0301234", "1.234,\u03015", "1,234.\u0301", "-\u030112.345", "5\u0301"}) {
        EXPECT_EQ(gelesen(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(Zahlenfeld, prueftZiffern) {
    struct Pruefung {
        const char* text;
        bool gueltig;
    };
    const Pruefung faelle[] = {
        {"1234.56", true}, {"-1", true},   {"0", true},       {".5", true},      {"5.", true},
        {"-.5", true},     {"", false},    {"-", false},      {".", false},      {"-.", false},
        {"1.2.3", false},  {"1-2", false}, {"--1", false},    {"+5", false},     {"1e5", false},
        {"1 2", false},    {"1,5", false}, {"\u0661", false}, {"\uFF15", false},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Zahlenfeld::pruefeZiffern(f.text), f.gueltig) << '"' << f.text << '"';
    }
}

TEST(Zahlenfeld, dekodiertTextUndZahlen) {
    struct Dekodierfall {
        const char* json;
        const char* wert;
    };
    const Dekodierfall faelle[] = {
        {R"("12,5")", "12.5"},
        {R"("1.234,56")", "1234.56"},
        {R"(" 1,23456789 ")", "1.23456789"}, // text is read unrounded
        {"0.1", "0.1"},                      // exactly, by way of "%.6f"
        {"1.23456789", "1.234568"},
        {"0.0000015", "0.000002"},
        {"0.0000004", "0"},
        {"-2.5", "-2.5"},
        {"-0.0", "0"},
        {"42", "42"},
        {"-7", "-7"},
        {"1e3", "1000"},
        // Huge numbers arrive as doubles and keep every digit of the double.
        {"1267650600228229401496703205376", "1267650600228229401496703205376"},
        {"12345678901234567890123", "12345678901234567741440"},
        {"18446744073709551615", "18446744073709551616"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Zahlenfeld::dekodiere(nlohmann::json::parse(f.json)).wert.text(), f.wert) << f.json;
    }

    std::string groesste = Zahlenfeld::dekodiere(nlohmann::json::parse("1e308")).wert.text();
    EXPECT_EQ(groesste.size(), 309u);
    EXPECT_EQ(groesste.substr(0, 30), "100000000000000001097906362944");
    std::string kleinste =
        Zahlenfeld::dekodiere(nlohmann::json::parse("-1.7976931348623157e308")).wert.text();
    EXPECT_EQ(kleinste.size(), 310u);
    EXPECT_EQ(kleinste.substr(0, 8), "-1797693");
}

TEST(Zahlenfeld, dekodierfehlerMitBeschreibung) {
    EXPECT_EQ(dekodierfehler("abc"), "Zahl nicht lesbar: abc");
    EXPECT_EQ(dekodierfehler(""), "Zahl nicht lesbar: ");
    EXPECT_EQ(dekodierfehler("1 234,5"), "Zahl nicht lesbar: 1 234,5");
    EXPECT_EQ(dekodierfehler(std::numeric_limits<double>::infinity()), "Zahl ist unendlich oder keine Zahl");
    EXPECT_EQ(dekodierfehler(std::numeric_limits<double>::quiet_NaN()), "Zahl ist unendlich oder keine Zahl");
    // Neither text nor number: a type error, never a value.
    for (const char* json : {"null", "true", "false", "[1]", R"({"wert": 1})"}) {
        EXPECT_THROW(Zahlenfeld::dekodiere(nlohmann::json::parse(json)), Dekodierfehler) << json;
    }
}

TEST(Zahlenfeld, gleichNachWert) {
    EXPECT_EQ(Zahlenfeld{Dezimal::aus("1.5")}, Zahlenfeld{Dezimal::aus("1.50")});
    EXPECT_NE(Zahlenfeld{Dezimal::aus("1.5")}, Zahlenfeld{Dezimal::aus("1.51")});
}
