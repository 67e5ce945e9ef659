#include "model/Speichern.h"

#include <exception>

#include "model/Modellkontext.h"
#include "model/Speicherfehler.h"

namespace qb {

std::optional<std::string> speichere(Modellkontext& kontext) {
    if (!kontext.hatAenderungen()) {
        return std::nullopt;
    }
    std::string beschreibung;
    try {
        kontext.speichern();
        return std::nullopt;
    } catch (const Speicherfehler& fehler) {
        beschreibung = fehler.what();
        if (fehler.platteVoll()) {
            // Every caller keeps what was typed in its window after the rollback, so the user
            // can make room and save again.
            beschreibung +=
                ". Deine Eingaben bleiben stehen; schaffe Platz und versuche es dann noch einmal.";
        }
    } catch (const std::exception& fehler) {
        beschreibung = fehler.what();
    } catch (...) {
        beschreibung = "Unbekannter Fehler";
    }
    kontext.zuruecksetzen();
    return "Die Änderung konnte nicht gespeichert werden: " + beschreibung;
}

} // namespace qb
