#include "valuation/Stichtagsverlauf.h"

#include "model/Bewertung.h"
#include "model/Portfolio.h"

namespace qb {

Stichtagsverlauf::Stichtagsverlauf(const Portfolio& portfolio) {
    std::optional<Zeitpunkt> unvollstaendig;
    // The positions are the same on every date; their buy values are worked out once per build.
    const Portfoliostand::Einsatz einsatz = Portfoliostand::einsatz(portfolio);
    for (const auto& bewertung : portfolio.sortierteBewertungen()) {
        Portfoliostand stand(portfolio, einsatz, Portfoliostand::preisAm(bewertung.get()));
        if (!stand.gesamtwert()) {
            ++ausgelassen_;
            unvollstaendig = bewertung->datum();
            continue;
        }
        punkte_.push_back(
            Kurvenpunkt{static_cast<std::int64_t>(punkte_.size()), bewertung->datum(), *stand.gesamtwert()});
        letzterStand_ = std::move(stand);
    }
    // An incomplete date is worth flagging only while no complete one has caught up with it.
    if (unvollstaendig && !punkte_.empty() && *unvollstaendig <= punkte_.back().datum) {
        unvollstaendig.reset();
    }
    juengsterUnvollstaendiger_ = unvollstaendig;
}

std::optional<Zeitpunkt> Stichtagsverlauf::letztesDatum() const {
    if (punkte_.empty()) {
        return std::nullopt;
    }
    return punkte_.back().datum;
}

std::optional<Wertveraenderung> Stichtagsverlauf::veraenderung(Zeitpunkt datum,
                                                               const std::optional<Dezimal>& aktuell) const {
    if (!aktuell) {
        return std::nullopt;
    }
    for (auto punkt = punkte_.rbegin(); punkt != punkte_.rend(); ++punkt) {
        if (punkt->datum >= datum) {
            continue;
        }
        Dezimal betrag = *aktuell - punkt->wert;
        std::optional<Dezimal> prozent;
        if (punkt->wert > Dezimal(0)) {
            prozent = betrag / punkt->wert * Dezimal(100);
        }
        return Wertveraenderung{punkt->datum, datum, std::move(betrag), std::move(prozent)};
    }
    return std::nullopt;
}

std::optional<Wertveraenderung> Stichtagsverlauf::veraenderung() const {
    if (punkte_.empty()) {
        return std::nullopt;
    }
    return veraenderung(punkte_.back().datum, punkte_.back().wert);
}

} // namespace qb
