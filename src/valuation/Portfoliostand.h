#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "model/Assetklasse.h"
#include "foundation/Dezimal.h"
#include "valuation/Positionsbewertung.h"
#include "model/Preisangabe.h"

namespace qb {

class Bewertung;
class Portfolio;
class Position;

// The value of the portfolio on a reference date, at purchase, or at prices the caller supplies.
// Built from the records on demand and never kept: it reads the records but changes nothing, so
// it belongs to the thread that owns them. Amounts are EUR; the only rounding is the cent of a
// position's value, everything summed or divided stays exact.
class Portfoliostand {
public:
    // A position's price, asked for once per valued position while the state is built.
    using Preisabfrage = std::function<std::optional<Preisangabe>(const Position&)>;

    // With a reference date the state of that date, valued only by its own price notes;
    // without one (nullptr) the state at purchase, every position at its buy price.
    Portfoliostand(const Portfolio& portfolio, const Bewertung* bewertung);
    // Every complete position at the price the lookup gives; no answer is a missing price.
    static Portfoliostand mitPreisen(const Portfolio& portfolio, const Preisabfrage& preis);

    // The sum of the buy values of the complete positions, those of one class left out if given.
    static Dezimal investiert(const Portfolio& portfolio, std::optional<Assetklasse> ohne = std::nullopt);

    const Dezimal& investiert() const { return investiert_; }
    // startkapital − investiert; negative when the portfolio is overdrawn.
    const Dezimal& barbestand() const { return barbestand_; }
    // Absent, like the three below, when a complete position has no price.
    const std::optional<Dezimal>& marktwert() const { return marktwert_; }
    const std::optional<Dezimal>& gesamtwert() const { return gesamtwert_; }
    // gesamtwert − startkapital.
    const std::optional<Dezimal>& gewinn() const { return gewinn_; }
    // In percent of the starting capital; absent too when that is 0.
    const std::optional<Dezimal>& renditeProzent() const { return renditeProzent_; }
    // Always five rows, in class order.
    const std::vector<Positionsbewertung>& positionen() const { return positionen_; }
    // Classes without a position, in class order.
    const std::vector<Assetklasse>& offeneAssetklassen() const { return offeneAssetklassen_; }
    // Classes whose complete position has no price, in class order.
    const std::vector<Assetklasse>& fehlendePreise() const { return fehlendePreise_; }
    bool istUeberzogen() const { return istUeberzogen_; }

private:
    friend class Stichtagsverlauf;

    // What a state takes from the positions alone; the same for every date of one game, so the
    // value curve works it out once per build.
    struct Einsatz {
        struct Klasse {
            // The first position of the class, if any.
            const Position* position = nullptr;
            // Its buy value, present exactly when it is complete.
            std::optional<Dezimal> kaufwert;
        };
        Dezimal investiert;
        std::array<Klasse, alleAssetklassen.size()> klassen;
        std::vector<Assetklasse> offen;
    };
    static Einsatz einsatz(const Portfolio& portfolio);
    // The price of a position on a reference date, or at purchase without one.
    static Preisabfrage preisAm(const Bewertung* bewertung);

    Portfoliostand(const Portfolio& portfolio, const Einsatz& einsatz, const Preisabfrage& preis);

    Dezimal investiert_;
    Dezimal barbestand_;
    std::optional<Dezimal> marktwert_;
    std::optional<Dezimal> gesamtwert_;
    std::optional<Dezimal> gewinn_;
    std::optional<Dezimal> renditeProzent_;
    std::vector<Positionsbewertung> positionen_;
    std::vector<Assetklasse> offeneAssetklassen_;
    std::vector<Assetklasse> fehlendePreise_;
    bool istUeberzogen_ = false;
};

} // namespace qb
