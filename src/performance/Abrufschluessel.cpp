#include "performance/Abrufschluessel.h"

#include <algorithm>

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"

namespace qb {

namespace {

// The lists hold each element once, so that comparing them as sets is comparing them in any
// order. A few positions and some dozen reference dates: quadratic is fine.
template <typename T>
void fuegeEinmalHinzu(std::vector<T>& liste, T element) {
    if (std::find(liste.begin(), liste.end(), element) == liste.end()) {
        liste.push_back(std::move(element));
    }
}

template <typename T>
bool gleicheMenge(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() && std::is_permutation(a.begin(), a.end(), b.begin(), b.end());
}

} // namespace

Abrufschluessel::Posten::Posten(const Position& position)
    : klasse(position.assetklasse()), kennung(position.kennung()), stueckzahl(position.stueckzahl()),
      kaufangabe(position.kaufPreisangabe()), notierung(position.notierung()), nennwert(position.nennwert()) {}

Abrufschluessel::Stichtag::Stichtag(const Bewertung& bewertung) : datum(bewertung.datum()) {
    for (const auto& notiz : bewertung.notizen()) {
        if (auto position = notiz->position()) {
            preise.insert_or_assign(position->assetklasse(), notiz->preisangabe());
        }
    }
}

Abrufschluessel::Abrufschluessel(const Portfolio& portfolio, Sicht sicht, Zeitraum zeitraum, Zeitpunkt heute,
                                 std::int64_t versuch)
    : sicht_(sicht), zeitraum_(zeitraum), heute_(heute),
      einstieg_(Kalender::aktuell().tagesbeginn(portfolio.kaufdatum())), startkapital_(portfolio.startkapital()),
      versuch_(versuch) {
    for (const auto& position : portfolio.positionen()) {
        if (position->istVollstaendig()) {
            fuegeEinmalHinzu(posten_, Posten(*position));
        }
    }
    for (const auto& bewertung : portfolio.bewertungen()) {
        fuegeEinmalHinzu(stichtage_, Stichtag(*bewertung));
    }
}

bool operator==(const Abrufschluessel& a, const Abrufschluessel& b) {
    return a.sicht_ == b.sicht_ && a.zeitraum_ == b.zeitraum_ && a.heute_ == b.heute_ && a.einstieg_ == b.einstieg_ &&
           a.startkapital_ == b.startkapital_ && a.versuch_ == b.versuch_ && gleicheMenge(a.posten_, b.posten_) &&
           gleicheMenge(a.stichtage_, b.stichtage_);
}

} // namespace qb
