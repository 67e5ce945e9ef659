#pragma once

#include <optional>
#include <string>

#include "foundation/Kalender.h"

class QString;

namespace qb {

class Kursdienst;
class Portfolio;

// The exported sheet of the course's assignment: the whole game as one CSV text, and the file
// it is written to. Building the text reads the records and changes none; it asks the price
// sources nothing over the network.
class Tabellendokument {
public:
    explicit Tabellendokument(std::string inhalt);
    const std::string& inhalt() const { return inhalt_; }

    // The whole sheet text (byte-order mark, CR LF, ...). Dates in the given zone; without one
    // in the zone that is current at the moment of the call.
    static std::string tabelle(const Portfolio& portfolio, const Kursdienst& dienst);
    static std::string tabelle(const Portfolio& portfolio, const Kursdienst& dienst, const Zeitzone& zone);
    // The name the save dialog proposes: the group name and " Quinzelbrockat.csv".
    static std::string dateiname(const Portfolio& portfolio);

    // Writes the UTF-8 bytes of inhalt() unchanged, atomically: on failure an existing file
    // keeps its old contents and no half-written file is left. None on success, else the
    // German message for the export alert, which ends with the system's error text.
    std::optional<std::string> schreibe(const QString& pfad) const;

private:
    std::string inhalt_;
};

} // namespace qb
