#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/EzbWaehrungsquelle.h"

// Any bytes as a series answer: decoding and the check of each element end in values or a
// Kursfehler.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    std::string_view bytes(reinterpret_cast<const char*>(daten), groesse);
    static const auto usd = *qb::Waehrungscode::aus("USD");
    try {
        auto reihe = qb::JsonAbruf::dekodiere<qb::EzbWaehrungsquelle::Reihe>(bytes);
        for (const auto& punkt : reihe.punkte) {
            try {
                qb::EzbWaehrungsquelle::pruefeAntwort(punkt.base, punkt.quote, punkt.rate, usd);
            } catch (const qb::Kursfehler&) {
            }
        }
    } catch (const qb::Kursfehler&) {
    }
    return 0;
}
