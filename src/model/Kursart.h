#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "model/Notierungsart.h"

namespace qb {

// The kind of a price.
enum class Kursart { letzterHandel, schlusskursVortag, geldBriefMitte, tagesschluss, vonHand };

inline constexpr std::array<Kursart, 5> alleKursarten{Kursart::letzterHandel, Kursart::schlusskursVortag,
                                                      Kursart::geldBriefMitte, Kursart::tagesschluss,
                                                      Kursart::vonHand};

std::string_view rohwert(Kursart art);
std::optional<Kursart> kursartAus(std::string_view rohwert);
std::string_view beschreibung(Kursart art);

} // namespace qb
