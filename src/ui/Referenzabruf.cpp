#include "ui/Referenzabruf.h"

#include <string>

#include "model/Kursfehler.h"

namespace qb {

std::optional<Kurspruefung::Teil<Umrechnung>> Referenzabruf::hole(const Kursdienst& dienst,
                                                                   const Schluessel& schluessel,
                                                                   std::stop_token stop) {
    using Teil = Kurspruefung::Teil<Umrechnung>;
    try {
        const Dezimal kurs = dienst.ezbKurs(schluessel.code.wert(), schluessel.tag, stop);
        return Teil::vorhanden(Umrechnung{Dezimal(1), schluessel.code.wert(), kurs});
    } catch (const Abgebrochen&) {
        return std::nullopt;
    } catch (const Kursfehler& fehler) {
        // The line already says that the ECB rate is missing: the reason alone follows.
        if (const auto* ohneKurs = std::get_if<Kursfehler::KeineUmrechnung>(&fehler.fall())) {
            return Teil::fehlt(ohneKurs->grund);
        }
        return Teil::fehlt(fehler.meldung());
    }
}

bool Referenzabruf::vorbelegen(Kurseingabe& eingabe, const Dezimal& kurs) {
    const auto feld = Kurseingabe::Feld::umrechnung;
    if (!eingabe.umrechnung.istNull() || eingabe.unlesbar.contains(feld) || eingabe.mitText.contains(feld)) {
        return false;
    }
    eingabe.umrechnung = kurs;
    eingabe.ezbVorbelegung = kurs;
    return true;
}

} // namespace qb

std::size_t std::hash<qb::Referenzabruf::Schluessel>::operator()(
    const qb::Referenzabruf::Schluessel& schluessel) const noexcept {
    std::size_t wert = std::hash<std::string>{}(schluessel.code.wert());
    auto mische = [&wert](std::size_t teil) { wert ^= teil + 0x9e3779b97f4a7c15ULL + (wert << 6) + (wert >> 2); };
    if (schluessel.tag) {
        mische(1);
        mische(std::hash<long long>{}(static_cast<long long>(schluessel.tag->time_since_epoch().count())));
    } else {
        mische(0);
    }
    mische(std::hash<int>{}(schluessel.versuch));
    return wert;
}
