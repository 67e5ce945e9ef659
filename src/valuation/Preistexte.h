#pragma once

#include <optional>
#include <string>

#include "model/Assetklasse.h"
#include "valuation/Dezimal.h"
#include "valuation/Formatierer.h"
#include "valuation/Preisangabe.h"

namespace qb {

class Position;

// The German texts around a typed or stored price, with numbers in the formatter's locale.
// Pure: the functions that take a position read it and change nothing.
class Preistexte {
public:
    // In the user's locale from the environment.
    Preistexte() = default;
    explicit Preistexte(Formatierer formatierer) : format_(std::move(formatierer)) {}

    const Formatierer& formatierer() const { return format_; }

    // A share of a deviation (0.123 → "12,3 %"), at most one fraction digit.
    std::string kurzText(const Dezimal& anteil) const;
    // A price or rate: 2 to 4 fraction digits, up to 6 below 1 ("1.234,5678", "0,000123").
    std::string umrechnungText(const Dezimal& wert) const;
    // The conversion formula "1 € = 1,0834 USD", every space a no-break space.
    std::string formelText(const Umrechnung& umrechnung) const;
    // A price with its unit: "12,50 €", "97,60 %", "150,00 USD", "97,60 % in USD", or the
    // formula for a currency position. `inProzent`: quoted in percent of face value.
    std::string prozentText(const Preisangabe& preis, Assetklasse klasse, bool inProzent) const;
    // "umgerechnet aus … zu …" for a converted price; absent for a EUR price.
    std::optional<std::string> umrechnungsZeile(const Preisangabe& preis, Assetklasse klasse,
                                                bool inProzent) const;
    // The quantity with its unit ("100 Stück", joined by a no-break space).
    std::string betragText(const Position& position) const;
    // A foreign amount with exactly two fraction digits and its currency ("1.620,00 USD").
    std::string fremdbetragText(const Dezimal& betrag, const std::string& waehrung) const;
    // The purchase in one sentence; with the amount the quantity was derived from, a second
    // sentence names the rest that stays in cash.
    std::string kaufZusammenfassung(const Position& position, const std::optional<Dezimal>& betrag) const;
    // "Umgerechnet: 138,8889 € je Aktie": the EUR value of one unit of a foreign price.
    std::string umrechnungsVorschau(const Umrechnung& umrechnung, Assetklasse klasse, bool inProzent,
                                    const std::optional<std::string>& einheit) const;

private:
    std::string prozentPreis(const Dezimal& wert) const;
    std::string euro(const Dezimal& betrag) const;

    Formatierer format_;
};

} // namespace qb
