#include "reference-dates/Speicherablauf.h"

#include <utility>

namespace qb {

std::optional<Speicherablauf::Kurse> Speicherablauf::speichern(const Stichtagsentwurf& entwurf) {
    neueAbweichung_ = false;
    Kurse kurse = entwurf.stichtagskurse();
    if (std::optional<Rueckfrage> frage = Rueckfrage::fuer(entwurf)) {
        rueckfrage_ = std::move(frage);
        gezeigteKurse_ = std::move(kurse);
        return std::nullopt;
    }
    schliesseRueckfrage();
    return kurse;
}

std::optional<Speicherablauf::Kurse> Speicherablauf::trotzdemSpeichern(const Stichtagsentwurf& entwurf) {
    if (!rueckfrage_) {
        return std::nullopt;
    }
    const bool gestoppt = Rueckfrage::neueAbweichung(entwurf, rueckfrage_->abweichend).has_value();
    Kurse kurse = std::move(gezeigteKurse_);
    schliesseRueckfrage();
    if (gestoppt) {
        neueAbweichung_ = true;
        return std::nullopt;
    }
    return kurse;
}

void Speicherablauf::schliesseRueckfrage() {
    rueckfrage_.reset();
    gezeigteKurse_.clear();
}

} // namespace qb
