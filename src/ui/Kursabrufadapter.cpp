#include "ui/Kursabrufadapter.h"

namespace qb {

Kursabrufadapter::Kursabrufadapter(Kursdienst dienst, QObject* eltern)
    : QObject(eltern), abruf_(std::move(dienst)), aufgabe_(this) {
    abruf_.beobachte([this](const Kursabruf::Stand&) { emit standGeaendert(); });
}

Kursabrufadapter::~Kursabrufadapter() {
    aufgabe_.stoppe();
}

void Kursabrufadapter::setzeRuhend() {
    abruf_.setzeRuhend();
}

bool Kursabrufadapter::hole(Assetklasse klasse, std::string kennung, std::optional<Zeitpunkt> stichtag,
                            std::function<bool()> giltNoch,
                            std::function<void(std::optional<Kursnotierung>)> fertig) {
    auto auftrag = abruf_.starte(klasse, std::move(kennung), stichtag);
    if (!auftrag) {
        return false;
    }
    aufgabe_.starte([auftrag = std::move(*auftrag)](std::stop_token stop) { return auftrag.fuehreAus(stop); },
                    [this, giltNoch = std::move(giltNoch),
                     fertig = std::move(fertig)](Kursabruf::Abrufergebnis ergebnis) {
                        fertig(abruf_.wendeAn(std::move(ergebnis), giltNoch));
                    },
                    [](std::string meldung) { return Kursabruf::Abrufergebnis::fehler(std::move(meldung)); });
    return true;
}

} // namespace qb
