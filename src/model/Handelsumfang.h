#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Dezimal.h"

namespace qb {

// How much trading stood behind a quote.
struct Handelsumfang {
    std::optional<std::int64_t> preisfeststellungen;
    std::optional<std::int64_t> stueckumsatz;
    std::optional<Dezimal> umsatzEuro;

    // One line for the user ("3 Preisfeststellungen, 1200 Stück Umsatz, 45.679 € Umsatz"),
    // or no value when there is nothing to say.
    std::optional<std::string> text() const;

    // The stored form: a JSON object with one key per present field. The turnover is written
    // as decimal text so that it reads back exactly.
    std::string alsJson() const;
    // Reads the stored form; a missing key is an absent field. Throws std::invalid_argument
    // when the text is no object or a present key holds a value of the wrong kind.
    static Handelsumfang ausJson(std::string_view json);

    friend bool operator==(const Handelsumfang&, const Handelsumfang&) = default;
};

} // namespace qb
