#include "model/Speichern.h"

#include <exception>

#include "model/Modellkontext.h"

namespace qb {

std::optional<std::string> speichere(Modellkontext& kontext) {
    if (!kontext.hatAenderungen()) {
        return std::nullopt;
    }
    std::string beschreibung;
    try {
        kontext.speichern();
        return std::nullopt;
    } catch (const std::exception& fehler) {
        beschreibung = fehler.what();
    } catch (...) {
        beschreibung = "Unbekannter Fehler";
    }
    kontext.zuruecksetzen();
    return "Die Änderung konnte nicht gespeichert werden: " + beschreibung;
}

} // namespace qb
