#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/BoerseFrankfurtKursquelle.h"
#include "sources/Isodatum.h"

// Any bytes as a single-price answer: decoding and checking end in a value or a Kursfehler.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    std::string_view bytes(reinterpret_cast<const char*>(daten), groesse);
    try {
        auto antwort = qb::JsonAbruf::dekodiere<qb::BoerseFrankfurtKursquelle::Antwort>(bytes);
        if (antwort.timestampLastPrice) {
            qb::Isodatum::zeitstempel(*antwort.timestampLastPrice);
        }
        antwort.pruefe("DE0007164600");
    } catch (const qb::Kursfehler&) {
    }
    return 0;
}
