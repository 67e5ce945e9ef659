#pragma once

#include <optional>
#include <string>

#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"

namespace qb {

class Portfolio;

// What the main window's header shows of the game, as texts.
struct Fensterkopf {
    // The stored group name, verbatim; none while it holds nothing but blanks and tabs, so
    // that the header says that the group has no name yet.
    std::optional<std::string> gruppenname;
    // The entry date: day, abbreviated month and year.
    std::string eingestiegenAm;
    // The starting capital as an amount in EUR.
    std::string startkapital;

    static Fensterkopf aus(const Portfolio& portfolio, const Formatierer& formatierer, const Zeitzone& zone);

    friend bool operator==(const Fensterkopf&, const Fensterkopf&) = default;
};

} // namespace qb
