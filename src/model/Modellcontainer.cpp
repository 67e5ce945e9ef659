#include "model/Modellcontainer.h"

#include "model/Ablage.h"
#include "model/Modellkontext.h"

namespace qb {

Modellcontainer::Modellcontainer(std::unique_ptr<Ablage> ablage)
    : ablage_(std::move(ablage)), kontext_(std::make_unique<Modellkontext>(*ablage_)) {}

Modellcontainer::~Modellcontainer() = default;

} // namespace qb
