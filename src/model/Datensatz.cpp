#include "model/Datensatz.h"

#include "model/Modellkontext.h"

namespace qb {

void Datensatz::geaendert() {
    if (kontext_ != nullptr) {
        kontext_->markiereGeaendert(*this);
    }
}

void Datensatz::nimmAuf(const std::shared_ptr<Datensatz>& anderer) {
    if (!anderer) {
        return;
    }
    // A link between a record in a context and one without makes both part of that context,
    // so that a new note linked to a stored reference date is saved with it.
    if (kontext_ != nullptr && anderer->kontext_ == nullptr) {
        kontext_->fuegeEin(anderer);
    } else if (kontext_ == nullptr && anderer->kontext_ != nullptr) {
        anderer->kontext_->fuegeEin(shared_from_this());
    }
}

} // namespace qb
