#include "sources/EzbWaehrungsquelle.h"

#include <algorithm>
#include <variant>

#include "sources/Adresse.h"
#include "sources/Isodatum.h"
#include "sources/JsonLeser.h"
#include "valuation/Kurseingabe.h"
#include "foundation/Unicode.h"

namespace qb {

namespace {

const char* const adresseNichtBildbar = "Adresse nicht bildbar";

Waehrungscode leseCode(std::string_view text) {
    auto code = Waehrungscode::aus(text);
    if (!code) {
        throw Kursfehler::kennungUnbekannt(std::string(text));
    }
    return *code;
}

// The service answers an unknown currency with a "not found" status; that is an unknown
// identifier here. Everything else, a stop included, passes unchanged.
template <typename Anfrage>
auto mitUnbekannterKennung(const Waehrungscode& code, Anfrage anfrage) -> decltype(anfrage()) {
    try {
        return anfrage();
    } catch (const Kursfehler& fehler) {
        if (std::holds_alternative<Kursfehler::NichtGefunden>(fehler.fall())) {
            throw Kursfehler::kennungUnbekannt(code.wert());
        }
        throw;
    }
}

std::optional<Zeitpunkt> leseTag(const std::optional<std::string>& datum) {
    if (!datum) {
        return std::nullopt;
    }
    return Isodatum::tag(*datum, Kalender::aktuell());
}

Dezimal euroWert(const Dezimal& rate) {
    return (Dezimal(1) / rate).gerundet(12, Rundung::normal);
}

} // namespace

EzbWaehrungsquelle::EzbWaehrungsquelle(std::string bezeichnung, JsonAbruf abruf, std::string basisadresse)
    : bezeichnung_(std::move(bezeichnung)), abruf_(std::move(abruf)), basisadresse_(std::move(basisadresse)) {}

std::string_view EzbWaehrungsquelle::kennungshinweis() const {
    return "Währungscode, zum Beispiel USD";
}

Kennungsurteil EzbWaehrungsquelle::pruefe(std::string_view kennung) const {
    return Waehrungscode::aus(kennung) ? Kennungsurteil::verwendbar : Kennungsurteil::nichtErkannt;
}

Dezimal EzbWaehrungsquelle::pruefeAntwort(const std::optional<std::string>& base, const std::optional<std::string>& quote,
                                          const std::optional<Zahlenfeld>& rate, const Waehrungscode& code) {
    bool paarStimmt = base && Unicode::grossbuchstaben(*base) == "EUR" && quote &&
                      Unicode::grossbuchstaben(*quote) == code.wert();
    if (!paarStimmt) {
        throw Kursfehler::antwortUnlesbar("Erwartet wurde EUR nach " + code.wert() + ", geliefert wurde " +
                                          base.value_or("?") + " nach " + quote.value_or("?"));
    }
    if (!rate || !Kurseingabe::istGueltigerUmrechnungskurs(rate->wert)) {
        throw Kursfehler::keinKursEnthalten(code.wert());
    }
    return rate->wert;
}

EzbWaehrungsquelle::Antwort EzbWaehrungsquelle::holeKurs(const Waehrungscode& code, std::optional<Zeitpunkt> am,
                                                         std::stop_token stop) const {
    Adresse::Abfrage abfrage{{"providers", "ECB"}};
    if (am) {
        abfrage.emplace_back("date", isoTag(*am, Zeitzone::aktuell()));
    }
    auto adresse = Adresse::bilde(basisadresse_, "/v2/rate/EUR/" + Adresse::kodiert(code.wert()), abfrage);
    if (!adresse) {
        throw Kursfehler::antwortUnlesbar(adresseNichtBildbar);
    }
    return mitUnbekannterKennung(code, [&] { return abruf_.lade<Antwort>(*adresse, stop); });
}

Kursnotierung EzbWaehrungsquelle::ausKurs(const Antwort& antwort, const Waehrungscode& code) const {
    Dezimal rate = pruefeAntwort(antwort.base, antwort.quote, antwort.rate, code);
    Kursnotierung notierung;
    notierung.kurs = euroWert(rate);
    notierung.waehrung = Waehrungscode::euro().wert();
    notierung.art = Kursart::tagesschluss;
    notierung.notierungsart = Notierungsart::stueckpreis;
    notierung.kursdatum = leseTag(antwort.date);
    notierung.abgerufenAm = jetzt();
    notierung.quelle = bezeichnung_;
    notierung.umrechnung = Umrechnung{Dezimal(1), code.wert(), rate};
    return notierung;
}

Kursnotierung EzbWaehrungsquelle::euroNotierung(Zeitpunkt kursdatum, Zeitpunkt abgerufenAm) const {
    Kursnotierung notierung;
    notierung.kurs = Dezimal(1);
    notierung.waehrung = Waehrungscode::euro().wert();
    notierung.art = Kursart::tagesschluss;
    notierung.notierungsart = Notierungsart::stueckpreis;
    notierung.kursdatum = kursdatum;
    notierung.abgerufenAm = abgerufenAm;
    notierung.quelle = bezeichnung_;
    return notierung;
}

Kursnotierung EzbWaehrungsquelle::aktuelleNotierung(const Waehrungscode& code, std::stop_token stop) const {
    return ausKurs(holeKurs(code, std::nullopt, std::move(stop)), code);
}

Kursnotierung EzbWaehrungsquelle::notierungAmTag(const Waehrungscode& code, Zeitpunkt am, std::stop_token stop) const {
    Kursnotierung notierung = ausKurs(holeKurs(code, am, std::move(stop)), code);
    if (!notierung.kursdatum) {
        throw Kursfehler::antwortUnlesbar("Kurs ohne Datum");
    }
    Kalender kalender = Kalender::aktuell();
    if (*notierung.kursdatum > tagesende(am, kalender)) {
        throw Kursfehler::antwortUnlesbar("Kurs vom " + isoTag(*notierung.kursdatum, kalender.zeitzone()) +
                                          " statt bis " + isoTag(am, kalender.zeitzone()));
    }
    return notierung;
}

Kursnotierung EzbWaehrungsquelle::aktuellerKurs(std::string_view kennung, std::stop_token stop) const {
    Waehrungscode code = leseCode(kennung);
    if (code == Waehrungscode::euro()) {
        Zeitpunkt jetztZeit = jetzt();
        return euroNotierung(jetztZeit, jetztZeit);
    }
    return aktuelleNotierung(code, std::move(stop));
}

Kursnotierung EzbWaehrungsquelle::kurs(std::string_view kennung, Zeitpunkt am, std::stop_token stop) const {
    Waehrungscode code = leseCode(kennung);
    if (code == Waehrungscode::euro()) {
        return euroNotierung(am, jetzt());
    }
    return notierungAmTag(code, am, std::move(stop));
}

Kursreihe EzbWaehrungsquelle::kursreihe(std::string_view kennung, Zeitpunkt von, Zeitpunkt bis,
                                        std::stop_token stop) const {
    Waehrungscode code = leseCode(kennung);
    Kursreihe reihe{{}, Waehrungscode::euro().wert(), bezeichnung_};
    if (code == Waehrungscode::euro()) {
        reihe.punkte.push_back(Kurspunkt{von, Dezimal(1), std::nullopt});
        return reihe;
    }
    for (const auto& punkt : referenzkurse(code, von, bis, std::move(stop))) {
        reihe.punkte.push_back(
            Kurspunkt{punkt.tag, euroWert(punkt.kurs), Umrechnung{Dezimal(1), code.wert(), punkt.kurs}});
    }
    return reihe;
}

Dezimal EzbWaehrungsquelle::umrechnungskurs(std::string_view waehrung, std::optional<Zeitpunkt> am,
                                            std::stop_token stop) const {
    Waehrungscode code = leseCode(waehrung);
    if (code == Waehrungscode::euro()) {
        return Dezimal(1);
    }
    Kursnotierung notierung = am ? notierungAmTag(code, *am, std::move(stop)) : aktuelleNotierung(code, std::move(stop));
    return notierung.umrechnung->kurs;
}

std::vector<Kurspunkt> EzbWaehrungsquelle::umrechnungsreihe(std::string_view waehrung, Zeitpunkt von, Zeitpunkt bis,
                                                            std::stop_token stop) const {
    Waehrungscode code = leseCode(waehrung);
    if (code == Waehrungscode::euro()) {
        return {Kurspunkt{von, Dezimal(1), std::nullopt}};
    }
    return referenzkurse(code, von, bis, std::move(stop));
}

std::vector<Kurspunkt> EzbWaehrungsquelle::referenzkurse(const Waehrungscode& code, Zeitpunkt von, Zeitpunkt bis,
                                                         std::stop_token stop) const {
    Zeitzone zone = Zeitzone::aktuell();
    auto adresse = Adresse::bilde(basisadresse_, "/v2/rates",
                                  {{"base", "EUR"},
                                   {"quotes", code.wert()},
                                   {"from", isoTag(von, zone)},
                                   {"to", isoTag(bis, zone)},
                                   {"providers", "ECB"}});
    if (!adresse) {
        throw Kursfehler::antwortUnlesbar(adresseNichtBildbar);
    }
    Reihe reihe = mitUnbekannterKennung(code, [&] { return abruf_.lade<Reihe>(*adresse, stop); });
    std::vector<Kurspunkt> punkte;
    for (const auto& element : reihe.punkte) {
        auto tag = leseTag(element.date);
        if (!tag) {
            continue;
        }
        try {
            punkte.push_back(Kurspunkt{*tag, pruefeAntwort(element.base, element.quote, element.rate, code), std::nullopt});
        } catch (const Kursfehler& fehler) {
            if (!std::holds_alternative<Kursfehler::KeinKursEnthalten>(fehler.fall())) {
                throw;
            }
        }
    }
    std::stable_sort(punkte.begin(), punkte.end(),
                     [](const Kurspunkt& a, const Kurspunkt& b) { return a.tag < b.tag; });
    if (punkte.empty()) {
        throw Kursfehler::keinKursEnthalten(code.wert());
    }
    return punkte;
}

EzbWaehrungsquelle::Antwort EzbWaehrungsquelle::Antwort::ausJson(const nlohmann::json& json) {
    JsonLeser leser(json);
    return Antwort{leser.text("date"), leser.text("base"), leser.text("quote"), leser.zahl("rate")};
}

EzbWaehrungsquelle::Reihe EzbWaehrungsquelle::Reihe::ausJson(const nlohmann::json& json) {
    Reihe reihe;
    for (const auto& leser : JsonLeser::objektliste(json)) {
        reihe.punkte.push_back(Reihenpunkt{leser.text("date"), leser.text("base"), leser.text("quote"), leser.zahl("rate")});
    }
    return reihe;
}

} // namespace qb
