#pragma once

#include <optional>
#include <string>

#include "model/Handelsumfang.h"
#include "foundation/Kalender.h"
#include "model/Kursart.h"
#include "foundation/Dezimal.h"
#include "model/Preisangabe.h"

namespace qb {

// One quote as a source delivers it. After conversion by the source bundle `kurs` is the EUR
// price and `umrechnung` keeps the foreign one.
struct Kursnotierung {
    Dezimal kurs;
    std::string waehrung;
    Kursart art = Kursart::letzterHandel;
    std::optional<Notierungsart> notierungsart;
    std::optional<Zeitpunkt> kursdatum;
    Zeitpunkt abgerufenAm;
    std::string quelle;
    std::optional<Handelsumfang> handelsumfang;
    std::optional<Umrechnung> umrechnung;

    friend bool operator==(const Kursnotierung&, const Kursnotierung&) = default;
};

} // namespace qb
