#include "sources/BoerseFrankfurtKursquelle.h"

#include <algorithm>
#include <limits>
#include <variant>

#include "sources/Adresse.h"
#include "sources/Isin.h"
#include "sources/Isodatum.h"
#include "sources/JsonLeser.h"
#include "foundation/Unicode.h"
#include "model/Waehrungscode.h"

namespace qb {

namespace {

using namespace std::chrono;

const char* const adresseNichtBildbar = "Adresse nicht bildbar";

bool istPreis(const std::optional<Zahlenfeld>& wert) {
    return wert && wert->wert > Dezimal(0) && wert->wert <= BoerseFrankfurtKursquelle::hoechstkurs();
}

std::string normalisierteIsin(std::string_view kennung) {
    auto isin = Isin::normalisiert(kennung);
    if (!isin || !Isin::pruefzifferStimmt(*isin)) {
        throw Kursfehler::kennungUnbekannt(std::string(kennung));
    }
    return *isin;
}

// One attempt per market, in order. "Nothing known" and "no price" move on to the next market;
// at the end the held error is thrown, a missing price outranking an unknown paper. Any other
// failure, a stop included, ends the operation at once.
template <typename Versuch>
auto jeHandelsplatz(const std::string& isin, Versuch versuch) -> decltype(versuch(std::string_view())) {
    std::optional<Kursfehler> gehalten;
    for (const char* mic : BoerseFrankfurtKursquelle::handelsplaetze) {
        try {
            return versuch(std::string_view(mic));
        } catch (const Kursfehler& fehler) {
            const auto& fall = fehler.fall();
            if (std::holds_alternative<Kursfehler::KeinKursEnthalten>(fall)) {
                gehalten = Kursfehler::keinKursEnthalten(isin);
            } else if (std::holds_alternative<Kursfehler::KennungUnbekannt>(fall) ||
                       std::holds_alternative<Kursfehler::NichtGefunden>(fall)) {
                if (!gehalten || !std::holds_alternative<Kursfehler::KeinKursEnthalten>(gehalten->fall())) {
                    gehalten = Kursfehler::kennungUnbekannt(isin);
                }
            } else {
                throw;
            }
        }
    }
    throw *gehalten;
}

std::string quellenname(std::string_view mic, bool historie) {
    return "Börse Frankfurt (" + std::string(mic) + (historie ? ", Kurshistorie)" : ")");
}

std::string sekunden(Zeitpunkt t) {
    return std::to_string(duration_cast<seconds>(t.time_since_epoch()).count());
}

} // namespace

const Dezimal& BoerseFrankfurtKursquelle::hoechstkurs() {
    static const Dezimal wert(1000000);
    return wert;
}

BoerseFrankfurtKursquelle::BoerseFrankfurtKursquelle(std::string bezeichnung, JsonAbruf abruf, std::string basisadresse)
    : bezeichnung_(std::move(bezeichnung)), abruf_(std::move(abruf)), basisadresse_(std::move(basisadresse)) {}

std::string_view BoerseFrankfurtKursquelle::kennungshinweis() const {
    return "ISIN, zum Beispiel DE0007164600";
}

Kennungsurteil BoerseFrankfurtKursquelle::pruefe(std::string_view kennung) const {
    auto isin = Isin::normalisiert(kennung);
    if (!isin) {
        return Kennungsurteil::nichtErkannt;
    }
    if (!Isin::pruefzifferStimmt(*isin)) {
        return Kennungsurteil::pruefzifferFalsch;
    }
    return isin->starts_with("XC") ? Kennungsurteil::ohneKurs : Kennungsurteil::verwendbar;
}

std::optional<std::string> BoerseFrankfurtKursquelle::einzelkursAdresse(const std::string& isin,
                                                                        std::string_view mic) const {
    return Adresse::bilde(basisadresse_, "/v1/data/price_information/single",
                          {{"isin", isin}, {"mic", std::string(mic)}});
}

std::optional<std::string> BoerseFrankfurtKursquelle::verlaufsAdresse(const std::string& isin, std::string_view mic,
                                                                      Zeitpunkt von, Zeitpunkt bis) const {
    return Adresse::bilde(basisadresse_, "/v1/tradingview/history",
                          {{"symbol", std::string(mic) + ":" + isin},
                           {"resolution", "D"},
                           {"from", sekunden(von)},
                           {"to", sekunden(bis)}});
}

BoerseFrankfurtKursquelle::Antwort BoerseFrankfurtKursquelle::holeAntwort(const std::string& isin, std::string_view mic,
                                                                          std::stop_token stop) const {
    auto adresse = einzelkursAdresse(isin, mic);
    if (!adresse) {
        throw Kursfehler::antwortUnlesbar(adresseNichtBildbar);
    }
    return abruf_.lade<Antwort>(*adresse, std::move(stop));
}

Kursnotierung BoerseFrankfurtKursquelle::aktuellerKurs(std::string_view kennung, std::stop_token stop) const {
    std::string isin = normalisierteIsin(kennung);
    return jeHandelsplatz(isin, [&](std::string_view mic) {
        Antwort antwort = holeAntwort(isin, mic, stop);
        Antwort::Befund befund = antwort.pruefe(isin);
        Kursnotierung notierung;
        if (istPreis(antwort.lastPrice)) {
            notierung.kurs = antwort.lastPrice->wert;
            notierung.art = Kursart::letzterHandel;
        } else if (istPreis(antwort.closingPricePrevTradingDay)) {
            notierung.kurs = antwort.closingPricePrevTradingDay->wert;
            notierung.art = Kursart::schlusskursVortag;
        } else {
            throw Kursfehler::keinKursEnthalten(isin);
        }
        notierung.waehrung = befund.waehrung;
        notierung.notierungsart = befund.notierungsart;
        if (antwort.timestampLastPrice) {
            notierung.kursdatum = Isodatum::zeitstempel(*antwort.timestampLastPrice);
        }
        notierung.abgerufenAm = jetzt();
        notierung.quelle = quellenname(mic, false);
        notierung.handelsumfang = Handelsumfang{antwort.priceFixings, antwort.turnoverInPieces,
                                                antwort.turnoverInEur ? std::optional<Dezimal>(antwort.turnoverInEur->wert)
                                                                      : std::nullopt};
        return notierung;
    });
}

Kursnotierung BoerseFrankfurtKursquelle::kurs(std::string_view kennung, Zeitpunkt am, std::stop_token stop) const {
    std::string isin = normalisierteIsin(kennung);
    Kalender kalender = Kalender::aktuell();
    Zeitpunkt beginn = kalender.tagesbeginn(am);
    Zeitpunkt von = kalender.plusTage(beginn, -14).value_or(beginn);
    Zeitpunkt bis = tagesende(am, kalender);
    return jeHandelsplatz(isin, [&](std::string_view mic) {
        auto adresse = verlaufsAdresse(isin, mic, von, bis);
        Antwort::Befund befund = holeAntwort(isin, mic, stop).pruefe(isin);
        if (!adresse) {
            throw Kursfehler::antwortUnlesbar(adresseNichtBildbar);
        }
        auto punkt = Kurspunkt::letzter(abruf_.lade<Verlauf>(*adresse, stop).kurspunkte(), bis);
        if (!punkt) {
            throw Kursfehler::keinKursEnthalten(isin);
        }
        Kursnotierung notierung;
        notierung.kurs = punkt->kurs;
        notierung.waehrung = befund.waehrung;
        notierung.art = Kursart::tagesschluss;
        notierung.notierungsart = befund.notierungsart;
        notierung.kursdatum = punkt->tag;
        notierung.abgerufenAm = jetzt();
        notierung.quelle = quellenname(mic, true);
        return notierung;
    });
}

Kursreihe BoerseFrankfurtKursquelle::kursreihe(std::string_view kennung, Zeitpunkt von, Zeitpunkt bis,
                                               std::stop_token stop) const {
    std::string isin = normalisierteIsin(kennung);
    return jeHandelsplatz(isin, [&](std::string_view mic) {
        auto adresse = verlaufsAdresse(isin, mic, von, bis);
        Antwort::Befund befund = holeAntwort(isin, mic, stop).pruefe(isin);
        if (!adresse) {
            throw Kursfehler::antwortUnlesbar(adresseNichtBildbar);
        }
        auto punkte = abruf_.lade<Verlauf>(*adresse, stop).kurspunkte();
        if (punkte.empty()) {
            throw Kursfehler::keinKursEnthalten(isin);
        }
        return Kursreihe{std::move(punkte), befund.waehrung, quellenname(mic, true)};
    });
}

BoerseFrankfurtKursquelle::Antwort BoerseFrankfurtKursquelle::Antwort::ausJson(const nlohmann::json& json) {
    JsonLeser leser(json);
    Antwort antwort;
    antwort.isin = leser.text("isin");
    antwort.lastPrice = leser.zahl("lastPrice");
    antwort.closingPricePrevTradingDay = leser.zahl("closingPricePrevTradingDay");
    if (auto currency = leser.objekt("currency")) {
        antwort.currency = Waehrungsangabe{currency->text("originalValue")};
    }
    antwort.tradedInPercent = leser.wahrheitswert("tradedInPercent");
    antwort.timestampLastPrice = leser.text("timestampLastPrice");
    antwort.priceFixings = leser.ganzzahl("priceFixings");
    antwort.turnoverInPieces = leser.ganzzahl("turnoverInPieces");
    antwort.turnoverInEur = leser.zahl("turnoverInEur");
    antwort.status = leser.ganzzahl("status");
    return antwort;
}

BoerseFrankfurtKursquelle::Antwort::Befund BoerseFrankfurtKursquelle::Antwort::pruefe(const std::string& angefragt) const {
    if (status && *status >= 400) {
        throw Kursfehler::kennungUnbekannt(angefragt);
    }
    if (isin) {
        if (Unicode::grossbuchstaben(*isin) != angefragt) {
            throw Kursfehler::antwortUnlesbar("Antwort gehört zu " + *isin + ", angefragt war " + angefragt);
        }
    } else if (!lastPrice && !currency) {
        throw Kursfehler::kennungUnbekannt(angefragt);
    }
    std::optional<Waehrungscode> code;
    if (currency && currency->originalValue) {
        code = Waehrungscode::streng(*currency->originalValue);
    }
    if (!code) {
        throw Kursfehler::keinKursEnthalten(angefragt);
    }
    std::optional<Notierungsart> notierungsart;
    if (tradedInPercent) {
        notierungsart = *tradedInPercent ? Notierungsart::prozentVomNennwert : Notierungsart::stueckpreis;
    }
    return Befund{code->wert(), notierungsart};
}

BoerseFrankfurtKursquelle::Verlauf BoerseFrankfurtKursquelle::Verlauf::ausJson(const nlohmann::json& json) {
    JsonLeser leser(json);
    return Verlauf{leser.text("s"), leser.zahlenliste("c"), leser.ganzzahlliste("t")};
}

std::vector<Kurspunkt> BoerseFrankfurtKursquelle::Verlauf::kurspunkte() const {
    std::vector<Kurspunkt> punkte;
    if (s != std::optional<std::string>("ok") || !c || !t || c->size() != t->size()) {
        return punkte;
    }
    // A time whose microseconds overflow the instant type lies beyond any calendar; such a
    // point cannot be placed and is dropped like an unusable price.
    constexpr std::int64_t grenze = std::numeric_limits<std::int64_t>::max() / 1000000;
    for (std::size_t i = 0; i < c->size(); ++i) {
        const Dezimal& wert = (*c)[i].wert;
        std::int64_t zeit = (*t)[i];
        if (!(wert > Dezimal(0) && wert <= hoechstkurs()) || zeit > grenze || zeit < -grenze) {
            continue;
        }
        punkte.push_back(Kurspunkt{Zeitpunkt(seconds(zeit)), wert, std::nullopt});
    }
    std::stable_sort(punkte.begin(), punkte.end(),
                     [](const Kurspunkt& a, const Kurspunkt& b) { return a.tag < b.tag; });
    return punkte;
}

} // namespace qb
