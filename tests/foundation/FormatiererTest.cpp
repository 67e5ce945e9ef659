#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "Umgebung.h"
#include "foundation/Kalender.h"
#include "foundation/Formatierer.h"

using qb::Dezimal;
using qb::Formatierer;
using qb::Zeitpunkt;
using qb::Zeitzone;
using Kategorie = qb::Formatierer::Kategorie;

namespace {

Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

Zeitpunkt utc(int jahr, unsigned monat, unsigned tag, int stunde, int minute) {
    using namespace std::chrono;
    return Zeitpunkt(sys_days(year(jahr) / month(monat) / day(tag)) + hours(stunde) + minutes(minute));
}

} // namespace

TEST(Formatierer, jedeKategorieNachIhrerUmgebungsvariable) {
    struct Fall {
        // LC_ALL, LC_TIME, LC_NUMERIC, LC_MONETARY, LANG; nullptr: unset
        const char* variablen[5];
        const char* zeit;
        const char* zahlen;
        const char* geld;
    };
    const char* en = "en_US.UTF-8";
    const Fall faelle[] = {
        {{nullptr, nullptr, nullptr, nullptr, nullptr}, "de_DE", "de_DE", "de_DE"},
        {{nullptr, nullptr, nullptr, nullptr, en}, "en_US", "en_US", "en_US"},
        {{nullptr, nullptr, nullptr, nullptr, "de_CH"}, "de_CH", "de_CH", "de_CH"},
        {{nullptr, "en_GB.UTF-8", nullptr, nullptr, "de_DE.UTF-8"}, "en_GB", "de_DE", "de_DE"},
        {{nullptr, nullptr, "fr_FR.UTF-8", nullptr, en}, "en_US", "fr_FR", "en_US"},
        {{nullptr, nullptr, nullptr, "de_AT.UTF-8@euro", en}, "en_US", "en_US", "de_AT"},
        {{nullptr, en, "fr_FR.UTF-8", "de_CH.UTF-8", nullptr}, "en_US", "fr_FR", "de_CH"},
        // LC_ALL overrides every category.
        {{"de_AT.UTF-8@euro", en, en, en, en}, "de_AT", "de_AT", "de_AT"},
        // Set but empty counts as unset.
        {{"", "", "", "", "en_GB.UTF-8"}, "en_GB", "en_GB", "en_GB"},
        {{nullptr, "", "fr_FR.UTF-8", "", en}, "en_US", "fr_FR", "en_US"},
        // C and POSIX name no real locale: German, without falling through to LANG.
        {{"C", en, en, en, en}, "de_DE", "de_DE", "de_DE"},
        {{"POSIX", nullptr, nullptr, nullptr, nullptr}, "de_DE", "de_DE", "de_DE"},
        {{nullptr, "C", nullptr, nullptr, en}, "de_DE", "en_US", "en_US"},
        {{nullptr, nullptr, "fr_FR.UTF-8", "POSIX", en}, "en_US", "fr_FR", "de_DE"},
        {{nullptr, nullptr, nullptr, nullptr, "C.UTF-8"}, "de_DE", "de_DE", "de_DE"},
    };
    for (const auto& f : faelle) {
        const auto& v = f.variablen;
        qbtest::Umgebung umgebung({{"LC_ALL", v[0]},
                                   {"LC_TIME", v[1]},
                                   {"LC_NUMERIC", v[2]},
                                   {"LC_MONETARY", v[3]},
                                   {"LANG", v[4]}});
        std::string fall;
        for (const char* wert : v) {
            fall += std::string(wert ? wert : "-") + ' ';
        }
        EXPECT_EQ(Formatierer::gebietsschemaAusUmgebung(Kategorie::zeit), f.zeit) << fall;
        EXPECT_EQ(Formatierer::gebietsschemaAusUmgebung(Kategorie::zahlen), f.zahlen) << fall;
        EXPECT_EQ(Formatierer::gebietsschemaAusUmgebung(Kategorie::geld), f.geld) << fall;
        const Formatierer format;
        EXPECT_EQ(format.gebietsschema(Kategorie::zeit), f.zeit) << fall;
        EXPECT_EQ(format.gebietsschema(Kategorie::zahlen), f.zahlen) << fall;
        EXPECT_EQ(format.gebietsschema(Kategorie::geld), f.geld) << fall;
    }
}

TEST(Formatierer, datumZahlUndBetragFolgenIhrerKategorie) {
    const Zeitzone berlin("Europe/Berlin");
    qbtest::Umgebung umgebung({{"LC_ALL", nullptr},
                               {"LC_TIME", "en_US.UTF-8"},
                               {"LC_NUMERIC", "de_DE.UTF-8"},
                               {"LC_MONETARY", "de_CH.UTF-8"},
                               {"LANG", "fr_FR.UTF-8"}});
    const Formatierer format;
    EXPECT_EQ(format.datum(utc(2026, 12, 7, 10, 0), berlin), "12/7/2026");
    EXPECT_EQ(format.zahl(d("1234.5"), 2, 2), "1.234,50");
    EXPECT_EQ(format.ganzzahl(1234567), "1.234.567");
    EXPECT_EQ(format.prozent(d("12.5"), 0, 2), "12,5\u00A0%");
    EXPECT_EQ(format.waehrung(d("1234.5"), "CHF"), "CHF\u00A01’234.50");
    EXPECT_EQ(format.waehrung(d("1234.5"), "Unze"), "1’234.50\u00A0Unze"); // no currency code for ICU
}

TEST(Formatierer, einGebietsschemaFuerAlleKategorien) {
    const Formatierer format("en_US");
    for (Kategorie k : {Kategorie::zeit, Kategorie::zahlen, Kategorie::geld}) {
        EXPECT_EQ(format.gebietsschema(k), "en_US");
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
        {de.waehrung(d("1234.5"), "USD"), "1.234,50\u00A0$"},
        {de.waehrung(d("1000000"), "JPY"), "1.000.000\u00A0¥"}, // the currency's own fraction digits
        {de.waehrung(d("1"), "XQZ"), "1,00\u00A0XQZ"},
        {de.waehrung(d("1/3"), "EUR"), "0,33\u00A0€"},
        {de.prozent(d("12.5"), 0, 2), "12,5\u00A0%"},
        {de.prozent(d("-3.456"), 2, 2), "-3,46\u00A0%"},
        {de.prozent(d("1234.5"), 1, 1), "1.234,5\u00A0%"},
        {de.prozent(d("-0.0004"), 0, 2), "0\u00A0%"},
        {de.zahl(d("1234.5"), 2, 2), "1.234,50"},
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

TEST(Formatierer, haelftenZurGeradenZiffer) {
    const Formatierer de("de_DE");
    struct Fall {
        std::string ist;
        const char* soll;
    };
    const Fall faelle[] = {
        {de.waehrung(d("2.5"), "EUR", 0), "2\u00A0€"},
        {de.waehrung(d("3.5"), "EUR", 0), "4\u00A0€"},
        {de.waehrung(d("2.5000001"), "EUR", 0), "3\u00A0€"}, // above the half
        {de.waehrung(d("0.005"), "EUR"), "0,00\u00A0€"},
        {de.waehrung(d("0.015"), "EUR"), "0,02\u00A0€"},
        {de.waehrung(d("0.025"), "EUR"), "0,02\u00A0€"},
        {de.waehrung(d("-0.015"), "EUR"), "-0,02\u00A0€"},
        {de.waehrung(d("-0.005"), "EUR"), "0,00\u00A0€"}, // rounds to zero: no "-0,00"
        {de.waehrung(d("1234.565"), "Unze"), "1.234,56\u00A0Unze"},
        {de.zahl(d("2.5"), 0, 0), "2"},
        {de.zahl(d("-2.5"), 0, 0), "-2"},
        {de.zahl(d("-3.5"), 0, 0), "-4"},
        {de.zahl(d("0.125"), 0, 2), "0,12"},
        {de.zahl(d("0.135"), 0, 2), "0,14"},
        {de.zahl(d("1.00005"), 2, 4), "1,00"},
        {de.zahl(d("1.00015"), 2, 4), "1,0002"},
        {de.zahl(d("-0.5"), 0, 0), "0"},
        {de.prozent(d("12.345"), 0, 2), "12,34\u00A0%"},
        {de.prozent(d("0.5"), 0, 0), "0\u00A0%"},
        {de.prozent(d("1.5"), 0, 0), "2\u00A0%"},
        {de.prozent(d("-0.5"), 0, 0), "0\u00A0%"},
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

TEST(Formatierer, datumMitMonatMitUndOhneUhrzeit) {
    const Zeitzone berlin("Europe/Berlin");
    const Formatierer de("de_DE");
    const Formatierer us("en_US");
    struct Fall {
        std::string ist;
        const char* soll;
    };
    const Fall faelle[] = {
        {de.datumMitMonat(utc(2026, 12, 7, 19, 5), berlin), "7. Dez. 2026"},
        {de.datumMitMonatUndUhrzeit(utc(2026, 12, 7, 19, 5), berlin), "7. Dez. 2026, 20:05"},
        // Summer time, and a time that is already the next day in Berlin.
        {de.datumMitMonatUndUhrzeit(utc(2026, 6, 30, 22, 30), berlin), "1. Juli 2026, 00:30"},
        {de.datumMitMonatUndUhrzeit(utc(2026, 3, 2, 8, 0), Zeitzone::utc()), "2. März 2026, 08:00"},
        {us.datumMitMonat(utc(2026, 12, 7, 19, 5), berlin), "Dec 7, 2026"},
        {us.datumMitMonatUndUhrzeit(utc(2026, 12, 7, 19, 5), berlin), "Dec 7, 2026, 8:05\u202FPM"},
        // Day and month alone, for a button that names the day of the entry date.
        {de.tagUndMonat(utc(2024, 3, 3, 23, 30), berlin), "4.03."},
        {de.tagUndMonat(utc(2024, 3, 3, 23, 30), Zeitzone::utc()), "3.03."},
        {de.tagUndMonatZweistellig(utc(2026, 12, 5, 23, 30), berlin), "06.12."},
        {de.datumLang(utc(2026, 12, 5, 23, 30), berlin), "6. Dezember 2026"},
        {de.datumLang(utc(2026, 3, 2, 8, 0), Zeitzone::utc()), "2. März 2026"},
        {us.datumLang(utc(2026, 12, 7, 19, 5), berlin), "December 7, 2026"},
        {de.datumMitWochentag(utc(2024, 3, 11, 16, 0), berlin), "Montag, 11. März 2024"},
        {de.uhrzeit(utc(2024, 3, 11, 16, 0), berlin), "17:00"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(f.ist, f.soll);
    }
}

TEST(Formatierer, vorzeichenBeideWegeAusserBeiNull) {
    const Formatierer de("de_DE");
    struct Fall {
        std::string ist;
        const char* soll;
    };
    const Fall faelle[] = {
        {de.waehrungMitVorzeichen(d("1234"), "EUR"), "+1.234,00\u00A0€"},
        {de.waehrungMitVorzeichen(d("-1234.5"), "EUR"), "-1.234,50\u00A0€"},
        {de.waehrungMitVorzeichen(d("0"), "EUR"), "0,00\u00A0€"},
        {de.waehrungMitVorzeichen(d("0.004"), "EUR"), "0,00\u00A0€"},
        {de.waehrungMitVorzeichen(d("-0.005"), "EUR"), "0,00\u00A0€"}, // half to even: zero
        {de.waehrungMitVorzeichen(d("0.015"), "EUR"), "+0,02\u00A0€"},
        {de.waehrungMitVorzeichen(d("2"), "XQZ"), "+2,00\u00A0XQZ"},
        {de.waehrungMitVorzeichen(d("-2"), "Unze"), "-2,00\u00A0Unze"}, // no currency code for ICU
        {de.prozentMitVorzeichen(d("12.5"), 2, 2), "+12,50\u00A0%"},
        {de.prozentMitVorzeichen(d("-3"), 2, 2), "-3,00\u00A0%"},
        {de.prozentMitVorzeichen(d("0"), 2, 2), "0,00\u00A0%"},
        {de.prozentMitVorzeichen(d("-0.005"), 2, 2), "0,00\u00A0%"},
        {de.prozentMitVorzeichen(d("0.015"), 2, 2), "+0,02\u00A0%"},
        {Formatierer("en_US").waehrungMitVorzeichen(d("1234.5"), "EUR"), "+€1,234.50"},
        {Formatierer("en_US").prozentMitVorzeichen(d("12.5"), 2, 2), "+12.50%"},
        // The plain forms keep showing no plus.
        {de.waehrung(d("1234"), "EUR"), "1.234,00\u00A0€"},
        {de.prozent(d("12.5"), 2, 2), "12,50\u00A0%"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(f.ist, f.soll);
    }
}

TEST(Formatierer, listeMitUndAufDeutschInJedemGebietsschema) {
    qbtest::Umgebung umgebung({{"LC_ALL", "en_US.UTF-8"}});
    struct Fall {
        std::vector<std::string> namen;
        const char* soll;
    };
    const Fall faelle[] = {
        {{}, ""},
        {{"Aktie"}, "Aktie"},
        {{"Rohstoff", "Aktie"}, "Rohstoff und Aktie"},
        {{"Aktie", "Anleihe", "Währung"}, "Aktie, Anleihe und Währung"},
        {{"Aktie", "Anleihe", "Währung", "Rohstoff", "CO2-Zertifikat"},
         "Aktie, Anleihe, Währung, Rohstoff und CO2-Zertifikat"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(Formatierer::liste(f.namen), f.soll);
    }
}
