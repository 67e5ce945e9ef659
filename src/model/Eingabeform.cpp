#include "model/Eingabeform.h"

namespace qb {

Eingabeform Eingabeform::fuer(Assetklasse klasse, std::string_view kennung, std::string_view handelswaehrung) {
    if (klasse == Assetklasse::waehrung) {
        auto code = Waehrungscode::aus(kennung);
        if (code && *code != Waehrungscode::euro()) {
            return waehrungskurs(*code);
        }
        return euro();
    }
    auto code = Waehrungscode::aus(handelswaehrung);
    if (code && *code != Waehrungscode::euro()) {
        return fremdwaehrung(*code);
    }
    return euro();
}

const Waehrungscode* Eingabeform::fremdwaehrungCode() const& {
    const auto* f = std::get_if<Fremdwaehrung>(&fall_);
    return f ? &f->code : nullptr;
}

const Waehrungscode* Eingabeform::waehrungskursCode() const& {
    const auto* f = std::get_if<Waehrungskurs>(&fall_);
    return f ? &f->code : nullptr;
}

} // namespace qb
