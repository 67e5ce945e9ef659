#pragma once

#include <optional>
#include <string>
#include <variant>

#include "foundation/Dezimal.h"

namespace qb {

// A price in a foreign currency with the ECB rate: 1 € buys `kurs` units of `waehrung`.
struct Umrechnung {
    Dezimal original;
    std::string waehrung;
    Dezimal kurs;

    // The EUR price: original ÷ kurs rounded to 12 places (half away from zero); 0 when the
    // rate is not above 0, which never divides.
    Dezimal inEuro() const;

    friend bool operator==(const Umrechnung&, const Umrechnung&) = default;
};

// A price either in EUR or in a foreign currency with its rate. A euro price never equals a
// converted one, even when the conversion gives the same amount.
class Preisangabe {
public:
    static Preisangabe euro(Dezimal preis) { return Preisangabe(std::move(preis)); }
    static Preisangabe umgerechnet(Umrechnung umrechnung) { return Preisangabe(std::move(umrechnung)); }

    bool istEuro() const { return std::holds_alternative<Dezimal>(wert_); }
    // The EUR price of a euro statement.
    const Dezimal* euroPreis() const { return std::get_if<Dezimal>(&wert_); }
    // The conversion of a converted statement.
    const Umrechnung* umrechnung() const { return std::get_if<Umrechnung>(&wert_); }
    // The price in EUR: the euro price, or the converted one by Umrechnung::inEuro().
    Dezimal inEuro() const;

    friend bool operator==(const Preisangabe&, const Preisangabe&) = default;

private:
    explicit Preisangabe(Dezimal preis) : wert_(std::move(preis)) {}
    explicit Preisangabe(Umrechnung u) : wert_(std::move(u)) {}
    std::variant<Dezimal, Umrechnung> wert_;
};

// Whole units that an amount buys at a factor: the amount cut to cents, times the factor, cut
// to a whole number. 0 for an amount not above 0 and for a factor outside 0.0001 … 1 000 000.
Dezimal ganzeEinheiten(const Dezimal& betrag, const Dezimal& faktor);

} // namespace qb
