#include "sources/Kursdienst.h"

#include <cstdlib>
#include <stdexcept>

#include "sources/BoerseFrankfurtKursquelle.h"
#include "sources/EzbWaehrungsquelle.h"
#include "foundation/Formatierer.h"
#include "valuation/Kurseingabe.h"
#include "foundation/Unicode.h"
#include "model/Waehrungscode.h"

namespace qb {

namespace {

const char* const ohneGueltigenCode = "Die Quelle nennt keinen gültigen Währungscode.";
const char* const unplausibel = "Der umgerechnete Kurs liegt außerhalb jeder plausiblen Größe.";

Waehrungscode leseCode(std::string_view text) {
    auto code = Waehrungscode::aus(text);
    if (!code) {
        throw Kursfehler::keineUmrechnung(std::string(text), ohneGueltigenCode);
    }
    return *code;
}

// Any failure of a rate request becomes keineUmrechnung for the code; a stop passes unchanged.
template <typename Anfrage>
auto alsUmrechnungsfehler(const Waehrungscode& code, Anfrage anfrage) -> decltype(anfrage()) {
    try {
        return anfrage();
    } catch (const Abgebrochen&) {
        throw;
    } catch (const Kursfehler& fehler) {
        throw Kursfehler::keineUmrechnung(code.wert(), fehler.meldung());
    } catch (const std::exception& fehler) {
        throw Kursfehler::keineUmrechnung(code.wert(), fehler.what());
    }
}

Dezimal pruefeEuroPreis(const Umrechnung& umrechnung) {
    Dezimal preis = umrechnung.inEuro();
    if (!Kurseingabe::istGueltigerPreis(preis)) {
        throw Kursfehler::keineUmrechnung(umrechnung.waehrung, unplausibel);
    }
    return preis;
}

std::optional<std::string> umgebung(const char* name) {
    const char* wert = std::getenv(name);
    if (wert == nullptr || *wert == '\0') {
        return std::nullopt;
    }
    return std::string(wert);
}

} // namespace

Kursdienst::Adressen Kursdienst::Adressen::ausUmgebung() {
    Adressen adressen;
    if (auto boerse = umgebung("QB_BOERSE_URL")) {
        adressen.boerse = *boerse;
    }
    if (auto ezb = umgebung("QB_EZB_URL")) {
        adressen.ezb = *ezb;
    }
    adressen.sitzung.caDatei = umgebung("QB_CA_DATEI");
    return adressen;
}

Kursdienst::Kursdienst(std::shared_ptr<const Kursquelle> wertpapiere, std::shared_ptr<const Kursquelle> waehrungen,
                       std::shared_ptr<const Umrechnungsquelle> umrechner)
    : wertpapiere_(std::move(wertpapiere)), waehrungen_(std::move(waehrungen)), umrechner_(std::move(umrechner)) {
    if (!wertpapiere_ || !waehrungen_ || !umrechner_) {
        throw std::invalid_argument("Kursdienst braucht alle drei Quellen");
    }
}

Kursdienst Kursdienst::standard() {
    return standard(Adressen::ausUmgebung());
}

Kursdienst Kursdienst::standard(const Adressen& adressen) {
    return Kursdienst(
        std::make_shared<BoerseFrankfurtKursquelle>("Börse Frankfurt", JsonAbruf(adressen.sitzung), adressen.boerse),
        std::make_shared<EzbWaehrungsquelle>("EZB-Referenzkurs", JsonAbruf(adressen.sitzung), adressen.ezb),
        std::make_shared<EzbWaehrungsquelle>("EZB-Referenzkurs", JsonAbruf(adressen.sitzung), adressen.ezb));
}

const Kursquelle& Kursdienst::quelle(Assetklasse klasse) const {
    return klasse == Assetklasse::waehrung ? *waehrungen_ : *wertpapiere_;
}

Kennungsurteil Kursdienst::pruefe(std::string_view kennung, Assetklasse klasse) const {
    std::string_view getrimmt = Unicode::ohneLeerzeichen(kennung);
    if (getrimmt.empty()) {
        return Kennungsurteil::nichtErkannt;
    }
    return quelle(klasse).pruefe(getrimmt);
}

Dezimal Kursdienst::ezbKurs(std::string_view waehrung, std::optional<Zeitpunkt> am, std::stop_token stop) const {
    Waehrungscode code = leseCode(waehrung);
    return alsUmrechnungsfehler(code, [&] { return umrechner_->umrechnungskurs(code.wert(), am, stop); });
}

Kursnotierung Kursdienst::inEuro(const Kursnotierung& notierung, std::optional<Zeitpunkt> stichtag,
                                 std::stop_token stop) const {
    Waehrungscode code = leseCode(notierung.waehrung);
    if (code == Waehrungscode::euro()) {
        return notierung;
    }
    Dezimal rate = ezbKurs(code.wert(), stichtag, std::move(stop));
    Umrechnung umrechnung{notierung.kurs, code.wert(), rate};
    Kursnotierung ergebnis = notierung;
    ergebnis.kurs = pruefeEuroPreis(umrechnung);
    ergebnis.waehrung = Waehrungscode::euro().wert();
    ergebnis.umrechnung = std::move(umrechnung);
    return ergebnis;
}

Kursreihe Kursdienst::reiheInEuro(const Kursreihe& reihe, Zeitpunkt von, Zeitpunkt bis, std::stop_token stop) const {
    Waehrungscode code = leseCode(reihe.waehrung);
    if (code == Waehrungscode::euro()) {
        return reihe;
    }
    Kalender kalender = Kalender::aktuell();
    Zeitpunkt beginn = kalender.tagesbeginn(von);
    Zeitpunkt fensterbeginn = kalender.plusTage(beginn, -14).value_or(beginn);
    auto kurse = alsUmrechnungsfehler(code, [&] { return umrechner_->umrechnungsreihe(code.wert(), fensterbeginn, bis, stop); });

    Kursreihe ergebnis{{}, Waehrungscode::euro().wert(), reihe.quelle};
    ergebnis.punkte.reserve(reihe.punkte.size());
    for (const auto& punkt : reihe.punkte) {
        auto kurs = Kurspunkt::letzter(kurse, tagesende(punkt.tag, kalender));
        if (!kurs) {
            throw Kursfehler::keineUmrechnung(code.wert(), "Für den " + Formatierer().datum(punkt.tag, kalender.zeitzone()) +
                                                               " liegt kein EZB-Kurs vor.");
        }
        Umrechnung umrechnung{punkt.kurs, code.wert(), kurs->kurs};
        Dezimal preis = pruefeEuroPreis(umrechnung);
        ergebnis.punkte.push_back(Kurspunkt{punkt.tag, std::move(preis), std::move(umrechnung)});
    }
    return ergebnis;
}

} // namespace qb
