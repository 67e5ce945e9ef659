#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/BoerseFrankfurtKursquelle.h"

// Any bytes as a history answer: its points are sorted and within the price range.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    std::string_view bytes(reinterpret_cast<const char*>(daten), groesse);
    try {
        auto verlauf = qb::JsonAbruf::dekodiere<qb::BoerseFrankfurtKursquelle::Verlauf>(bytes);
        auto punkte = verlauf.kurspunkte();
        for (std::size_t i = 0; i < punkte.size(); ++i) {
            bool imBereich = punkte[i].kurs > qb::Dezimal(0) &&
                             punkte[i].kurs <= qb::BoerseFrankfurtKursquelle::hoechstkurs();
            if (!imBereich || (i > 0 && punkte[i].tag < punkte[i - 1].tag)) {
                __builtin_trap();
            }
        }
    } catch (const qb::Kursfehler&) {
    }
    return 0;
}
