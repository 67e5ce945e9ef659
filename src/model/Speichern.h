#pragma once

#include <optional>
#include <string>

namespace qb {

class Modellkontext;

// Commits every pending change of the context. Nothing on success or when nothing changed;
// on failure the context is rolled back and the German message comes back; for a full disk it
// adds that the entries stay. Never throws.
std::optional<std::string> speichere(Modellkontext& kontext);

} // namespace qb
