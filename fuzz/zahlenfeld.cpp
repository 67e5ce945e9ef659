#include <cstddef>
#include <cstdint>
#include <string_view>

#include "valuation/Zahlenfeld.h"

// Whatever text arrives, reading it returns a value or none; a value reads back to itself.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    std::string_view text(reinterpret_cast<const char*>(daten), groesse);
    auto zahl = qb::Zahlenfeld::parse(text);
    if (zahl && zahl->istEndlicherDezimalbruch()) {
        auto wieder = qb::Zahlenfeld::parse(zahl->text());
        if (!wieder || *wieder != *zahl) {
            __builtin_trap();
        }
    }
    return 0;
}
