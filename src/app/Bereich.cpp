#include "app/Bereich.h"

#include <QtGlobal>

namespace qb {

std::string_view rohwert(Bereich bereich) {
    switch (bereich) {
    case Bereich::portfolio:
        return "portfolio";
    case Bereich::stichtage:
        return "stichtage";
    case Bereich::entwicklung:
        return "entwicklung";
    case Bereich::einstellungen:
        break;
    }
    return "einstellungen";
}

std::optional<Bereich> bereichAusRohwert(std::string_view text) {
    for (Bereich bereich : alleBereiche) {
        if (rohwert(bereich) == text) {
            return bereich;
        }
    }
    return std::nullopt;
}

const char* titel(Bereich bereich) {
    switch (bereich) {
    case Bereich::portfolio:
        return QT_TRANSLATE_NOOP("Portfoliofenster", "Portfolio");
    case Bereich::stichtage:
        return QT_TRANSLATE_NOOP("Portfoliofenster", "Stichtage");
    case Bereich::entwicklung:
        return QT_TRANSLATE_NOOP("Portfoliofenster", "Entwicklung");
    case Bereich::einstellungen:
        break;
    }
    return QT_TRANSLATE_NOOP("Portfoliofenster", "Einstellungen");
}

} // namespace qb
