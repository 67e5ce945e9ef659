#include "model/Notierungsart.h"

namespace qb {

std::string_view rohwert(Notierungsart art) {
    return art == Notierungsart::stueckpreis ? "stueckpreis" : "prozentVomNennwert";
}

std::optional<Notierungsart> notierungsartAus(std::string_view text) {
    for (Notierungsart art : alleNotierungsarten) {
        if (rohwert(art) == text) {
            return art;
        }
    }
    return std::nullopt;
}

std::string_view beschreibung(Notierungsart art) {
    return art == Notierungsart::stueckpreis ? "Preis je Stück" : "Prozent vom Nennwert";
}

} // namespace qb
