#include "sources/Kursabruf.h"

#include <algorithm>

#include "model/Kursfehler.h"

namespace qb {

Kursabruf::Abrufergebnis Kursabruf::Auftrag::fuehreAus(std::stop_token stop) const {
    try {
        if (dienst_.pruefe(kennung_, klasse_) != Kennungsurteil::verwendbar) {
            return Abrufergebnis::fehler(Kursfehler::ohneAbruf().meldung());
        }
        // The source gets the identifier as typed and normalises it itself.
        const Kursquelle& quelle = dienst_.quelle(klasse_);
        Kursnotierung notierung =
            stichtag_ ? quelle.kurs(kennung_, *stichtag_, stop) : quelle.aktuellerKurs(kennung_, stop);
        return Abrufergebnis::erfolg(dienst_.inEuro(notierung, stichtag_, stop));
    } catch (const Abgebrochen&) {
        return Abrufergebnis::abgebrochen();
    } catch (const Kursfehler& fehler) {
        return Abrufergebnis::fehler(fehler.meldung());
    }
}

std::size_t Kursabruf::beobachte(Beobachter beobachter) {
    std::size_t nummer = naechsteNummer_++;
    beobachter_.emplace_back(nummer, std::move(beobachter));
    return nummer;
}

void Kursabruf::beendeBeobachtung(std::size_t nummer) {
    std::erase_if(beobachter_, [nummer](const auto& eintrag) { return eintrag.first == nummer; });
}

void Kursabruf::setzeStand(Stand neu) {
    if (neu == stand_) {
        return;
    }
    stand_ = std::move(neu);
    // A copy, so that an observer may register or leave while being told.
    auto liste = beobachter_;
    for (const auto& [nummer, beobachter] : liste) {
        beobachter(stand_);
    }
}

void Kursabruf::setzeRuhend() {
    if (stand_.fehlermeldung() != nullptr) {
        setzeStand(Stand::ruht());
    }
}

std::optional<Kursabruf::Auftrag> Kursabruf::starte(Assetklasse klasse, std::string kennung,
                                                    std::optional<Zeitpunkt> stichtag) {
    if (stand_.istLaufend()) {
        return std::nullopt;
    }
    setzeStand(Stand::laeuft());
    return Auftrag(dienst_, klasse, std::move(kennung), stichtag);
}

std::optional<Kursnotierung> Kursabruf::wendeAn(Abrufergebnis ergebnis, const std::function<bool()>& giltNoch) {
    if (!giltNoch()) {
        setzeStand(Stand::ruht());
        return std::nullopt;
    }
    if (const auto* notierung = ergebnis.notierung()) {
        setzeStand(Stand::ruht());
        return *notierung;
    }
    if (const auto* meldung = ergebnis.fehlermeldung()) {
        setzeStand(Stand::fehlgeschlagen(*meldung));
        return std::nullopt;
    }
    setzeStand(Stand::ruht());
    return std::nullopt;
}

} // namespace qb
