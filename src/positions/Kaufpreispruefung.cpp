#include "positions/Kaufpreispruefung.h"

#include <utility>

#include "model/Kursfehler.h"

namespace qb {

Kaufpreispruefung::Kaufpreispruefung(Kursdienst dienst, Auftrag auftrag)
    : dienst_(std::move(dienst)), auftrag_(std::move(auftrag)) {}

std::optional<std::string> Kaufpreispruefung::vergleichswaehrung() const {
    const Umrechnung* umrechnung = auftrag_.preis.umrechnung();
    // A currency position is compared through its rate quote alone: the ECB rate is the quote.
    if (auftrag_.klasse == Assetklasse::waehrung || umrechnung == nullptr || umrechnung->waehrung.empty()) {
        return std::nullopt;
    }
    return umrechnung->waehrung;
}

Kaufpreispruefung::Ergebnis Kaufpreispruefung::fuehreAus(std::stop_token stop) const {
    try {
        const Kurspruefung::Referenz vergleich = referenz(stop);
        // A stop that came after the last answer still wins: the editor has moved on.
        if (stop.stop_requested()) {
            return Ergebnis::abgebrochen();
        }
        Kurspruefung::Befund befund = Kurspruefung::befund(auftrag_.preis, vergleich, auftrag_.klasse,
                                                           auftrag_.notierung, auftrag_.nennwert);
        if (const auto* abweichungen = befund.abweichungen()) {
            return Ergebnis::abweichend(*abweichungen);
        }
        if (const std::string* grund = befund.grund()) {
            return Ergebnis::ungeprueft(*grund);
        }
        return Ergebnis::bestanden();
    } catch (const Abgebrochen&) {
        return Ergebnis::abgebrochen();
    }
}

Kurspruefung::Referenz Kaufpreispruefung::referenz(std::stop_token stop) const {
    // In sequence, price first: a stop during the price request never reaches the rate.
    Kurspruefung::Teil<Kursnotierung> kurs = vergleichskurs(stop);
    Kurspruefung::Teil<Umrechnung> wechselkurs = vergleichsrate(stop);
    return Kurspruefung::Referenz{std::move(kurs), std::move(wechselkurs)};
}

Kurspruefung::Teil<Kursnotierung> Kaufpreispruefung::vergleichskurs(std::stop_token stop) const {
    using Teil = Kurspruefung::Teil<Kursnotierung>;
    // An identifier the source cannot use leaves nothing to compare with; that is no reason
    // for an unchecked mark.
    if (dienst_.pruefe(auftrag_.kennung, auftrag_.klasse) != Kennungsurteil::verwendbar) {
        return Teil::entfaellt();
    }
    try {
        const Kursquelle& quelle = dienst_.quelle(auftrag_.klasse);
        const Kursnotierung notierung = auftrag_.abruftag ? quelle.kurs(auftrag_.kennung, *auftrag_.abruftag, stop)
                                                          : quelle.aktuellerKurs(auftrag_.kennung, stop);
        return Teil::vorhanden(dienst_.inEuro(notierung, auftrag_.abruftag, stop));
    } catch (const Kursfehler& fehler) {
        return Teil::fehlt(fehler.meldung());
    }
}

Kurspruefung::Teil<Umrechnung> Kaufpreispruefung::vergleichsrate(std::stop_token stop) const {
    using Teil = Kurspruefung::Teil<Umrechnung>;
    const std::optional<std::string> waehrung = vergleichswaehrung();
    if (!waehrung) {
        return Teil::entfaellt();
    }
    try {
        Dezimal rate = dienst_.ezbKurs(*waehrung, auftrag_.abruftag, stop);
        return Teil::vorhanden(Umrechnung{Dezimal(1), *waehrung, std::move(rate)});
    } catch (const Kursfehler& fehler) {
        // The reason alone: the check's own sentence already names the currency.
        if (const auto* ohneKurs = std::get_if<Kursfehler::KeineUmrechnung>(&fehler.fall())) {
            return Teil::fehlt(ohneKurs->grund);
        }
        return Teil::fehlt(fehler.meldung());
    }
}

} // namespace qb
