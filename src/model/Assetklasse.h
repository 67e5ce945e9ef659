#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "model/Preisherkunft.h"

namespace qb {

class Eingabeform;

// The five kinds of holding; this order is the order of every list, row set and export.
enum class Assetklasse { aktie, anleihe, waehrung, rohstoff, co2Zertifikat };

inline constexpr std::array<Assetklasse, 5> alleAssetklassen{Assetklasse::aktie, Assetklasse::anleihe,
                                                             Assetklasse::waehrung, Assetklasse::rohstoff,
                                                             Assetklasse::co2Zertifikat};

std::string_view rohwert(Assetklasse klasse);
// Exact, case-sensitive match of a raw value.
std::optional<Assetklasse> assetklasseAus(std::string_view rohwert);
// "Aktie", "Anleihe", "Währung", "Rohstoff", "CO2-Zertifikat".
std::string_view bezeichnung(Assetklasse klasse);
// The help text under a price field. `istWertpapier`: the fields fetch the price themselves.
std::string_view eingabehilfe(Assetklasse klasse, const Eingabeform& form, bool istWertpapier);
// One line "Bezeichnung: Meldung" per class with an entry, in class order, joined by `trenner`.
std::string assetklasseMeldungszeilen(const std::map<Assetklasse, std::string>& meldungen, std::string_view trenner);

} // namespace qb
