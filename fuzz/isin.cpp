#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sources/Isin.h"

// Normalising is idempotent and always yields twelve ASCII characters of the ISIN shape.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    std::string_view text(reinterpret_cast<const char*>(daten), groesse);
    qb::Isin::pruefzifferStimmt(text);
    auto isin = qb::Isin::normalisiert(text);
    if (!isin) {
        return 0;
    }
    if (isin->size() != 12 || qb::Isin::normalisiert(*isin) != isin) {
        __builtin_trap();
    }
    qb::Isin::pruefzifferStimmt(*isin);
    return 0;
}
