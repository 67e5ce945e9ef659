#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/EzbWaehrungsquelle.h"
#include "sources/Isodatum.h"

// Any bytes as a single-rate answer: decoding and the answer check end in a rate within its
// bounds or in a Kursfehler.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    std::string_view bytes(reinterpret_cast<const char*>(daten), groesse);
    static const auto usd = *qb::Waehrungscode::aus("USD");
    try {
        auto antwort = qb::JsonAbruf::dekodiere<qb::EzbWaehrungsquelle::Antwort>(bytes);
        if (antwort.date) {
            qb::Isodatum::tag(*antwort.date, qb::Kalender(qb::Zeitzone("Europe/Berlin")));
        }
        qb::Dezimal rate = qb::EzbWaehrungsquelle::pruefeAntwort(antwort.base, antwort.quote, antwort.rate, usd);
        if (rate < qb::Dezimal::aus("0.0001") || rate > qb::Dezimal(1000000)) {
            __builtin_trap();
        }
    } catch (const qb::Kursfehler&) {
    }
    return 0;
}
