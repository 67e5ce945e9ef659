#include "model/Kursart.h"

namespace qb {

std::string_view rohwert(Kursart art) {
    switch (art) {
    case Kursart::letzterHandel: return "letzterHandel";
    case Kursart::schlusskursVortag: return "schlusskursVortag";
    case Kursart::geldBriefMitte: return "geldBriefMitte";
    case Kursart::tagesschluss: return "tagesschluss";
    case Kursart::vonHand: return "vonHand";
    }
    return "";
}

std::optional<Kursart> kursartAus(std::string_view text) {
    for (Kursart art : alleKursarten) {
        if (rohwert(art) == text) {
            return art;
        }
    }
    return std::nullopt;
}

std::string_view beschreibung(Kursart art) {
    switch (art) {
    case Kursart::letzterHandel: return "letzter Handel";
    case Kursart::schlusskursVortag: return "Schlusskurs vom Vortag";
    case Kursart::geldBriefMitte: return "Mitte aus Geld und Brief";
    case Kursart::tagesschluss: return "Schlusskurs des Tages";
    case Kursart::vonHand: return "von Hand eingetragen";
    }
    return "";
}

} // namespace qb
