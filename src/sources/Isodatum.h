#pragma once

#include <optional>
#include <string_view>

#include "foundation/Kalender.h"

namespace qb {

// The ISO 8601 forms in which the services write their dates.
struct Isodatum {
    // A time stamp, first as date and time with offset ("2024-05-17T17:35:12+02:00", "…Z"),
    // then the same with fractional seconds, then a bare date read as midnight UTC.
    static std::optional<Zeitpunkt> zeitstempel(std::string_view text);
    // Exactly "YYYY-MM-DD", as the first moment of that day in the calendar's zone.
    static std::optional<Zeitpunkt> tag(std::string_view text, const Kalender& kalender);
};

} // namespace qb
