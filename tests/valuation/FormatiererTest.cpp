#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "model/Kalender.h"
#include "valuation/Formatierer.h"

using qb::Dezimal;
using qb::Formatierer;
using qb::Zeitpunkt;
using qb::Zeitzone;

namespace {

// Sets the three locale variables for one test and puts the old values back afterwards.
class Sprachumgebung {
public:
    Sprachumgebung(const char* lcAll, const char* lcNumeric, const char* lang) {
        for (std::size_t i = 0; i < namen.size(); ++i) {
            if (const char* wert = std::getenv(namen[i])) {
                alt_[i] = wert;
            }
        }
        setze(namen[0], lcAll);
        setze(namen[1], lcNumeric);
        setze(namen[2], lang);
    }
    ~Sprachumgebung() {
        for (std::size_t i = 0; i < namen.size(); ++i) {
            setze(namen[i], alt_[i] ? alt_[i]->c_str() : nullptr);
        }
    }
    Sprachumgebung(const Sprachumgebung&) = delete;
    Sprachumgebung& operator=(const Sprachumgebung&) = delete;

private:
    static constexpr std::array<const char*, 3> namen{"LC_ALL", "LC_NUMERIC", "LANG"};

    static void setze(const char* name, const char* wert) {
        if (wert == nullptr) {
            ::unsetenv(name);
        } else {
            ::setenv(name, wert, 1);
        }
    }

    std::array<std::optional<std::string>, 3> alt_;
};

Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

Zeitpunkt utc(int jahr, unsigned monat, unsigned tag, int stunde, int minute) {
    using namespace std::chrono;
    return Zeitpunkt(sys_days(year(jahr) / month(monat) / day(tag)) + hours(stunde) + minutes(minute));
}

} // namespace

TEST(Formatierer, gebietsschemaAusDerUmgebung) {
    struct Fall {
        const char* lcAll;
        const char* lcNumeric;
        const char* lang;
        const char* gebietsschema;
    };
    const Fall faelle[] = {
        {nullptr, nullptr, nullptr, "de_DE"},
        {nullptr, nullptr, "en_US.UTF-8", "en_US"},
        {nullptr, nullptr, "de_CH", "de_CH"},
        {nullptr, "fr_FR.UTF-8", "en_US.UTF-8", "fr_FR"},
        {"de_AT.UTF-8@euro", "fr_FR.UTF-8", "en_US.UTF-8", "de_AT"},
        {"", "", "en_GB.UTF-8", "en_GB"},       // set but empty counts as unset
        {"C", nullptr, "en_US.UTF-8", "de_DE"}, // C names no real locale and overrides the rest
        {"POSIX", nullptr, nullptr, "de_DE"},
        {nullptr, "C", "en_US.UTF-8", "de_DE"},
        {nullptr, nullptr, "C.UTF-8", "de_DE"},
        {nullptr, nullptr, "POSIX", "de_DE"},
    };
    for (const auto& f : faelle) {
        Sprachumgebung umgebung(f.lcAll, f.lcNumeric, f.lang);
        EXPECT_EQ(Formatierer::gebietsschemaAusUmgebung(), f.gebietsschema)
            << (f.lcAll ? f.lcAll : "-") << ' ' << (f.lcNumeric ? f.lcNumeric : "-") << ' '
            << (f.lang ? f.lang : "-");
        EXPECT_EQ(Formatierer().gebietsschema(), f.gebietsschema);
    }
}

TEST(Formatierer, deutscheBetraege) {
    const Formatierer de("de_DE");
    struct Fall {
        std::string ist;
        const char* soll;
    };
    const Fall faelle[] = {
        {de.waehrung(d("1234.56"), "EUR"), "1.234,56\u00A0€"},
        {de.waehrung(d("-1234.5"), "EUR"), "-1.234,50\u00A0€"},
        {de.waehrung(d("45678.9"), "EUR", 0), "45.679\u00A0€"},
        {de.waehrung(d("0.005"), "EUR"), "0,01\u00A0€"}, // a half away from zero
        {de.waehrung(d("-0.005"), "EUR"), "-0,01\u00A0€"},
        {de.waehrung(d("-0.004"), "EUR"), "0,00\u00A0€"}, // no "-0,00"
        {de.waehrung(d("1234.5"), "USD"), "1.234,50\u00A0$"},
        {de.waehrung(d("1000000"), "JPY"), "1.000.000\u00A0¥"}, // the currency's own fraction digits
        {de.waehrung(d("1"), "XQZ"), "1,00\u00A0XQZ"},
        {de.waehrung(d("1/3"), "EUR"), "0,33\u00A0€"},
        {de.prozent(d("12.5"), 0, 2), "12,5\u00A0%"},
        {de.prozent(d("-3.456"), 2, 2), "-3,46\u00A0%"},
        {de.prozent(d("1234.5"), 1, 1), "1.234,5\u00A0%"},
        {de.prozent(d("-0.0004"), 0, 2), "0\u00A0%"},
        {de.zahl(d("1234.5"), 2, 2), "1.234,50"},
        {de.zahl(d("0.125"), 0, 2), "0,13"},
        {de.zahl(d("2.5"), 0, 0), "3"},
        {de.zahl(d("-2.5"), 0, 0), "-3"},
        {de.zahl(d("-0.004"), 2, 2), "0,00"},
        {de.zahl(d("1/3"), 0, 4), "0,3333"},
        {de.zahl(d("123456789012345678901234567890.5"), 0, 1), "123.456.789.012.345.678.901.234.567.890,5"},
        {de.ganzzahl(1234567), "1.234.567"},
        {de.ganzzahl(-5), "-5"},
        {de.ganzzahl(INT64_MIN), "-9.223.372.036.854.775.808"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(f.ist, f.soll);
    }
}

TEST(Formatierer, andereGebietsschemata) {
    EXPECT_EQ(Formatierer("en_US").waehrung(d("-1234.56"), "EUR"), "-€1,234.56");
    EXPECT_EQ(Formatierer("en_US").prozent(d("12.5"), 0, 2), "12.5%");
    EXPECT_EQ(Formatierer("de_CH").zahl(d("1234.5"), 2, 2), "1’234.50");
    EXPECT_EQ(Formatierer("de_AT").waehrung(d("1234.56"), "EUR"), "€\u00A01.234,56");
}

TEST(Formatierer, numerischesDatumInDerZone) {
    const Zeitzone berlin("Europe/Berlin");
    const Formatierer de("de_DE");
    EXPECT_EQ(de.datum(utc(2026, 12, 7, 10, 0), berlin), "7.12.2026");
    EXPECT_EQ(de.datum(utc(2026, 3, 15, 12, 0), berlin), "15.3.2026");
    // 23:30 UTC is already the next day in Berlin.
    EXPECT_EQ(de.datum(utc(2026, 12, 6, 23, 30), berlin), "7.12.2026");
    EXPECT_EQ(de.datum(utc(2026, 12, 6, 23, 30), Zeitzone::utc()), "6.12.2026");
    EXPECT_EQ(Formatierer("en_US").datum(utc(2026, 12, 7, 10, 0), berlin), "12/7/2026");
}
