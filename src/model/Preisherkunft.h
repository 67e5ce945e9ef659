#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

// Whether a stored price was fetched or typed.
enum class Preisherkunft { automatisch, manuell };

inline constexpr std::array<Preisherkunft, 2> allePreisherkuenfte{Preisherkunft::automatisch,
                                                                  Preisherkunft::manuell};

std::string_view rohwert(Preisherkunft herkunft);
std::optional<Preisherkunft> preisherkunftAus(std::string_view rohwert);
// "automatisch abgerufen" or "von Hand eingetragen".
std::string_view bezeichnung(Preisherkunft herkunft);

} // namespace qb
