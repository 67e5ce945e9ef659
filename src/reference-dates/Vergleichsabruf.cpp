#include "reference-dates/Vergleichsabruf.h"

#include <string>
#include <utility>

#include "model/Kursfehler.h"
#include "ui/Referenzabruf.h"
#include "model/Waehrungscode.h"

namespace qb {

namespace {

struct Gestoppt {};

Kurspruefung::Teil<Kursnotierung> holeKurs(const Stichtagsentwurf::Vergleichsauftrag& auftrag,
                                           const std::optional<Zeitpunkt>& abruftag, const Kursdienst& dienst,
                                           const std::stop_token& stop) {
    using Teil = Kurspruefung::Teil<Kursnotierung>;
    if (dienst.pruefe(auftrag.kennung, auftrag.klasse) != Kennungsurteil::verwendbar) {
        return Teil::entfaellt();
    }
    try {
        const Kursquelle& quelle = dienst.quelle(auftrag.klasse);
        Kursnotierung kurs =
            abruftag ? quelle.kurs(auftrag.kennung, *abruftag, stop) : quelle.aktuellerKurs(auftrag.kennung, stop);
        // A conversion that fails says so in full: the line names no currency of its own.
        return Teil::vorhanden(dienst.inEuro(kurs, abruftag, stop));
    } catch (const Abgebrochen&) {
        throw Gestoppt{};
    } catch (const Kursfehler& fehler) {
        return Teil::fehlt(fehler.meldung());
    }
}

// The currency whose ECB rate the row compares with, if any.
std::optional<Waehrungscode> umrechnungscode(const Stichtagsentwurf::Vergleichsauftrag& auftrag) {
    if (auftrag.klasse == Assetklasse::waehrung || !auftrag.fremdwaehrung) {
        return std::nullopt;
    }
    return Waehrungscode::aus(*auftrag.fremdwaehrung);
}

} // namespace

std::optional<Vergleichsabruf::Antwort> Vergleichsabruf::hole(const Stichtagsentwurf::Vergleichsauftrag& auftrag,
                                                              std::optional<Zeitpunkt> abruftag,
                                                              const Kursdienst& dienst, std::stop_token stop) {
    Antwort antwort{auftrag, Kurspruefung::Referenz{Kurspruefung::Teil<Kursnotierung>::entfaellt(),
                                                     Kurspruefung::Teil<Umrechnung>::entfaellt()}};
    try {
        antwort.referenz.kurs = holeKurs(auftrag, abruftag, dienst, stop);
    } catch (const Gestoppt&) {
        return std::nullopt;
    }
    if (stop.stop_requested()) {
        return std::nullopt;
    }
    if (const auto code = umrechnungscode(auftrag)) {
        // The same rate a rate row fetches for itself; the reason of a missing one alone.
        auto kurs = Referenzabruf::hole(dienst, Referenzabruf::Schluessel{*code, abruftag, 0}, stop);
        if (!kurs) {
            return std::nullopt;
        }
        antwort.referenz.wechselkurs = *std::move(kurs);
    }
    if (stop.stop_requested()) {
        return std::nullopt;
    }
    return antwort;
}

Vergleichsabruf::Antwort Vergleichsabruf::gescheitert(const Stichtagsentwurf::Vergleichsauftrag& auftrag,
                                                      const std::string& meldung) {
    using Umrechnungsteil = Kurspruefung::Teil<Umrechnung>;
    return Antwort{auftrag, Kurspruefung::Referenz{Kurspruefung::Teil<Kursnotierung>::fehlt(meldung),
                                                   umrechnungscode(auftrag) ? Umrechnungsteil::fehlt(meldung)
                                                                            : Umrechnungsteil::entfaellt()}};
}

} // namespace qb
