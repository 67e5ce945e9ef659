#pragma once

#include <string>
#include <variant>

#include "performance/Sicht.h"
#include "performance/Wertentwicklung.h"

namespace qb {

class Portfolio;
class Tagesverlaufladung;

// What the content of the performance tab shows for the records and the state of the daily
// history: the value chart, the large loading indicator, or an empty state with its reason.
struct Entwicklungsinhalt {
    struct Laden {
        friend bool operator==(const Laden&, const Laden&) = default;
    };
    struct Leer {
        std::string symbol;
        std::string titel;
        // Plain text; a source's message is shown verbatim.
        std::string text;
        // With the button "Erneut laden".
        bool erneutLaden = false;
        friend bool operator==(const Leer&, const Leer&) = default;
    };

    std::variant<Leer, Laden, Wertentwicklung> inhalt;

    static Entwicklungsinhalt fuer(const Portfolio& portfolio, Sicht sicht, const Tagesverlaufladung& ladung);
};

} // namespace qb
