#include "performance/Flaechenstueck.h"

#include <chrono>
#include <cmath>

namespace qb {

namespace {

class Zerlegung {
public:
    explicit Zerlegung(double linie) : linie_(linie) {}

    void haengeAn(Zeitpunkt datum, double wert) { stueck_.push_back({++zaehler_, datum, wert}); }

    bool stueckHatStellen() const { return !stueck_.empty(); }

    // Ends the current piece (a single vertex makes none) and starts an empty one.
    void schliesse() {
        if (stueck_.size() >= 2) {
            // The side is that of the first vertex off the line.
            double bestimmend = linie_;
            for (const auto& stelle : stueck_) {
                if (stelle.wert != linie_) {
                    bestimmend = stelle.wert;
                    break;
                }
            }
            ergebnis_.push_back({static_cast<std::int64_t>(ergebnis_.size()), bestimmend >= linie_, std::move(stueck_)});
        }
        stueck_.clear();
    }

    std::vector<Flaechenstueck> ergebnis() && { return std::move(ergebnis_); }

private:
    double linie_;
    std::int64_t zaehler_ = 0;
    std::vector<Flaechenstueck::Stelle> stueck_;
    std::vector<Flaechenstueck> ergebnis_;
};

} // namespace

std::vector<Flaechenstueck> Flaechenstueck::zerlege(const std::vector<Punkt>& punkte, double startkapital) {
    if (punkte.size() < 2) {
        return {};
    }
    Zerlegung zerlegung(startkapital);
    for (std::size_t i = 0; i < punkte.size(); ++i) {
        const Punkt& punkt = punkte[i];
        const bool hatteStellen = zerlegung.stueckHatStellen();
        zerlegung.haengeAn(punkt.datum, punkt.wert);
        if (i + 1 == punkte.size()) {
            zerlegung.schliesse();
            break;
        }
        if (punkt.wert == startkapital && hatteStellen) {
            zerlegung.schliesse();
            zerlegung.haengeAn(punkt.datum, punkt.wert);
            continue;
        }
        const Punkt& naechster = punkte[i + 1];
        const double a = punkt.wert - startkapital;
        const double b = naechster.wert - startkapital;
        if ((a > 0 && b < 0) || (a < 0 && b > 0)) {
            const double anteil = a / (a - b);
            const double sekunden = std::chrono::duration<double>(naechster.datum - punkt.datum).count();
            const auto versatz =
                std::chrono::round<Zeitpunkt::duration>(std::chrono::duration<double>(anteil * sekunden));
            const Zeitpunkt kreuzung = punkt.datum + versatz;
            zerlegung.haengeAn(kreuzung, startkapital);
            zerlegung.schliesse();
            zerlegung.haengeAn(kreuzung, startkapital);
        }
    }
    return std::move(zerlegung).ergebnis();
}

} // namespace qb
