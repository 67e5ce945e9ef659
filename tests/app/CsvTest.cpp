#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Csv.h"

using namespace qb;

TEST(Csv, zahlRundetUndSchreibtEinKomma) {
    struct Fall {
        const char* wert;
        Zahlart art;
        const char* text;
    };
    const Fall faelle[] = {
        {"10000", Zahlart::betrag, "10000,00"},
        {"12.5", Zahlart::kurs, "12,50"},
        {"0.12345678901249", Zahlart::kurs, "0,123456789012"},
        {"0.12345678901250", Zahlart::kurs, "0,123456789013"},
        {"-0.12345678901250", Zahlart::kurs, "-0,123456789013"},
        {"0.005", Zahlart::betrag, "0,01"},
        {"-0.005", Zahlart::betrag, "-0,01"},
        {"-3.456", Zahlart::betrag, "-3,46"},
        {"-0.004", Zahlart::betrag, "0,00"},
        {"0", Zahlart::betrag, "0,00"},
        {"0", Zahlart::kurs, "0,00"},
        {"150", Zahlart::ganzzahl, "150"},
        {"2.5", Zahlart::ganzzahl, "3"},
        {"-2.5", Zahlart::ganzzahl, "-3"},
        {"0.4", Zahlart::ganzzahl, "0"},
        {"12345678.9", Zahlart::betrag, "12345678,90"},
        {"98765432109.87", Zahlart::betrag, "98765432109,87"},
        {"1.085", Zahlart::kurs, "1,085"},
        {"1.5", Zahlart::betrag, "1,50"},
        {"100", Zahlart::kurs, "100,00"},
        {"0.0000000000004", Zahlart::kurs, "0,00"},
        {"0.000000000001", Zahlart::kurs, "0,000000000001"},
        {"-7", Zahlart::betrag, "-7,00"},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(csvZahl(Dezimal::aus(f.wert), f.art), f.text) << f.wert;
    }
    // A value without a finite decimal expansion is cut at its own places.
    EXPECT_EQ(csvZahl(Dezimal(2) / Dezimal(3), Zahlart::kurs), "0,666666666667");
    EXPECT_EQ(csvZahl(Dezimal(-1) / Dezimal(3), Zahlart::betrag), "-0,33");
}

TEST(Csv, zellen) {
    struct Fall {
        const char* text;
        const char* zelle;
    };
    const Fall faelle[] = {
        {"", R"("")"},
        {"Aktie", R"("Aktie")"},
        {"=SUMME(A1)", R"c("'=SUMME(A1)")c"},
        {"+49", R"("'+49")"},
        {"-3", R"("'-3")"},
        {"@Gruppe", R"("'@Gruppe")"},
        {"\tTab", "\"'\tTab\""},
        {"\rCR", "\"'\rCR\""},
        {"\nLF", "\"'\nLF\""},
        {" =1+1", R"(" =1+1")"},
        {"a=b", R"("a=b")"},
        {"'=x", R"("'=x")"},
        {"\xC2\xA0=x", "\"\xC2\xA0=x\""},
        {"\"", R"("""")"},
        {R"(Team "Nord")", R"("Team ""Nord""")"},
        {R"(="x")", R"("'=""x""")"},
        {"a;b\r\nc d", "\"a;b\r\nc d\""},
        {"Währung", R"("Währung")"},
    };
    for (const Fall& f : faelle) {
        EXPECT_EQ(csvTextzelle(f.text), f.zelle) << f.text;
    }
    EXPECT_EQ(csvLeerzelle(), R"("")");
    // A number cell has no formula guard: the minus stays the first character.
    EXPECT_EQ(csvZahlzelle(Dezimal::aus("-3.456"), Zahlart::betrag), R"("-3,46")");
    EXPECT_EQ(csvZahlzelle(Dezimal(150), Zahlart::ganzzahl), R"("150")");
}

TEST(Csv, textFuegtZeilenMitCrLfZusammen) {
    const std::vector<Csvzeile> zeilen{{R"("a")", R"("b")"}, {}, {R"("c")"}, {}};
    EXPECT_EQ(csvText(zeilen), "\xEF\xBB\xBF\"a\";\"b\"\r\n\r\n\"c\"\r\n\r\n");
    EXPECT_EQ(csvText({{R"("")"}}), "\xEF\xBB\xBF\"\"\r\n");
}
