#include "model/Kursart.h"

namespace qb {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> suche(const std::array<Enum, N>& alle, std::string_view text) {
    for (Enum e : alle) {
        if (rohwert(e) == text) {
            return e;
        }
    }
    return std::nullopt;
}

} // namespace

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
    return suche(alleKursarten, text);
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

std::string_view rohwert(Notierungsart art) {
    return art == Notierungsart::stueckpreis ? "stueckpreis" : "prozentVomNennwert";
}

std::optional<Notierungsart> notierungsartAus(std::string_view text) {
    return suche(alleNotierungsarten, text);
}

std::string_view beschreibung(Notierungsart art) {
    return art == Notierungsart::stueckpreis ? "Preis je Stück" : "Prozent vom Nennwert";
}

} // namespace qb
