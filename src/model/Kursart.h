#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

// The kind of a price.
enum class Kursart { letzterHandel, schlusskursVortag, geldBriefMitte, tagesschluss, vonHand };

inline constexpr std::array<Kursart, 5> alleKursarten{Kursart::letzterHandel, Kursart::schlusskursVortag,
                                                      Kursart::geldBriefMitte, Kursart::tagesschluss,
                                                      Kursart::vonHand};

std::string_view rohwert(Kursart art);
std::optional<Kursart> kursartAus(std::string_view rohwert);
std::string_view beschreibung(Kursart art);

// How the price of a paper is quoted.
enum class Notierungsart { stueckpreis, prozentVomNennwert };

inline constexpr std::array<Notierungsart, 2> alleNotierungsarten{Notierungsart::stueckpreis,
                                                                  Notierungsart::prozentVomNennwert};

std::string_view rohwert(Notierungsart art);
std::optional<Notierungsart> notierungsartAus(std::string_view rohwert);
std::string_view beschreibung(Notierungsart art);

} // namespace qb
