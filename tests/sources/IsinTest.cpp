#include <gtest/gtest.h>

#include "sources/Isin.h"

using qb::Isin;

namespace {

TEST(Isin, normalisiertNurDieIsinForm) {
    struct Fall {
        const char* text;
        std::optional<std::string> normal;
    };
    const Fall faelle[] = {
        {"de 000 716 460-0", "DE0007164600"},
        {"DE0007164600", "DE0007164600"},
        {"DE0007164601", "DE0007164601"},
        {"US0378331005", "US0378331005"},
        {"ÄDE0007164600", "DE0007164600"},
        {"D\u00A0E.000/7164600", "DE0007164600"},
        // Upper-casing comes before filtering: ß becomes two letters.
        {"ß0007164600", "SS0007164600"},
        {"DE000716460", std::nullopt},
        {"DE00071646000", std::nullopt},
        {"1E0007164600", std::nullopt},
        {"D10007164600", std::nullopt},
        {"DE000716460X", std::nullopt},
        {"", std::nullopt},
        {"SAP SE", std::nullopt},
        // Non-ASCII digits are dropped, not read as digits.
        {"DE000716460\u0660", std::nullopt},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(Isin::normalisiert(fall.text), fall.normal) << fall.text;
    }
}

TEST(Isin, prueftDiePruefzifferNachLuhn) {
    struct Fall {
        const char* text;
        bool stimmt;
    };
    const Fall faelle[] = {
        {"DE0007164600", true},  {"DE0007164601", false}, {"US0378331005", true}, {"US0378331006", false},
        {"DE0001102614", true},  {"XC0009655157", true},  {"DE000BASF111", true}, {"DE000BASF112", false},
        {"", true},              {"DE-0007164600", false}, {"ÄDE0007164600", false},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(Isin::pruefzifferStimmt(fall.text), fall.stimmt) << fall.text;
    }
}

} // namespace
