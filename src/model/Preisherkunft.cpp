#include "model/Preisherkunft.h"

namespace qb {

std::string_view rohwert(Preisherkunft herkunft) {
    return herkunft == Preisherkunft::automatisch ? "automatisch" : "manuell";
}

std::optional<Preisherkunft> preisherkunftAus(std::string_view text) {
    for (Preisherkunft herkunft : allePreisherkuenfte) {
        if (rohwert(herkunft) == text) {
            return herkunft;
        }
    }
    return std::nullopt;
}

std::string_view bezeichnung(Preisherkunft herkunft) {
    return herkunft == Preisherkunft::automatisch ? "automatisch abgerufen" : "von Hand eingetragen";
}

} // namespace qb
