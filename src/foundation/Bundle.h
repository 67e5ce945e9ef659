#pragma once

namespace qb {

// What the application says about itself: the identifier under which it logs, and the
// copyright line of the settings.
struct Bundle {
    static constexpr const char* kennung = "de.quinzelbrockat.app";
    static constexpr const char* copyright = "© 2026 Quinzelbrockat";
};

} // namespace qb
