#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qb {

// Request addresses of the sources, built with libcurl's URL parser so that no identifier or
// code ever reaches an address unescaped. Only the sources' fetches use it, so its first use
// loads libcurl (see Curlbibliothek); bilde, kodiert and host throw Kursfehler::netzwerk when
// that fails.
struct Adresse {
    using Abfrage = std::vector<std::pair<std::string, std::string>>;

    // The base address (scheme, host, optional port and path prefix) with `pfad` appended and
    // the query items in the given order, every name and value percent-encoded. `pfad` must
    // already be escaped where it carries data (see kodiert()). No value when the base is no
    // address.
    static std::optional<std::string> bilde(std::string_view basis, std::string_view pfad, const Abfrage& abfrage);
    // Percent-encoding of everything but the unreserved characters A–Z a–z 0–9 - . _ ~.
    static std::string kodiert(std::string_view text);
    // The scheme in lower case, read from the text before the first ":"; no value when the
    // text has none.
    static std::optional<std::string> schema(std::string_view adresse);
    // The host in lower case; no value when the address has none or cannot be read.
    static std::optional<std::string> host(std::string_view adresse);
};

} // namespace qb
