#include "model/Modellcontainer.h"

#include "model/Ablage.h"
#include "model/Modellkontext.h"

namespace qb {

Modellcontainer::Modellcontainer(std::unique_ptr<Ablage> ablage)
    : ablage_(std::move(ablage)), kontext_(std::make_unique<Modellkontext>(*ablage_)) {
    // Every record loaded and passed the context's checks; only now may the store change.
    ablage_->bestaetige();
}

Modellcontainer::~Modellcontainer() = default;

void Modellcontainer::setzeHinweis(std::optional<std::string> hinweis,
                                   std::vector<std::filesystem::path> notizen) {
    hinweis_ = std::move(hinweis);
    notizen_ = std::move(notizen);
}

void Modellcontainer::hinweisGesehen() {
    Ablage::entferneNotizen(notizen_);
    notizen_.clear();
}

} // namespace qb
