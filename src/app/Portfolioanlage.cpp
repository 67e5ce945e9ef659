#include "app/Portfolioanlage.h"

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Speichern.h"

namespace qb {

Portfolioanlage::Zustand Portfolioanlage::zustand() const {
    if (anlagefehler_) {
        return Zustand::fehlgeschlagen;
    }
    return portfolio() ? Zustand::bereit : Zustand::vorbereitung;
}

std::shared_ptr<Portfolio> Portfolioanlage::portfolio() const {
    // The context lists them ascending by id.
    auto portfolios = kontext_.portfolios();
    if (portfolios.empty()) {
        return nullptr;
    }
    return portfolios.front();
}

void Portfolioanlage::legePortfolioAn() {
    if (legtAn_ || portfolio()) {
        return;
    }
    legtAn_ = true;
    // The entry date is the moment of creation, not the start of the day.
    auto neu = std::make_shared<Portfolio>("", Dezimal(10000), jetzt());
    try {
        kontext_.fuegeEin(neu);
    } catch (const std::exception& fehler) {
        anlagefehler_ = std::string("Die Änderung konnte nicht gespeichert werden: ") + fehler.what();
        return;
    }
    anlagefehler_ = speichere(kontext_);
}

void Portfolioanlage::erneutVersuchen() {
    anlagefehler_.reset();
    legtAn_ = false;
}

} // namespace qb
