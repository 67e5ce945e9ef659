#include "reference-dates/Stichtagsentwurf.h"

#include <utility>

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "ui/Referenzabruf.h"

namespace qb {

namespace {

using Abweichung = Kurspruefung::Abweichung;

Preisangabe alsPreisangabe(const Kursnotierung& kurs) {
    return kurs.umrechnung ? Preisangabe::umgerechnet(*kurs.umrechnung) : Preisangabe::euro(kurs.kurs);
}

} // namespace

Stichtagsentwurf::Zeile::Zeile(const Position& position, Kurseingabe eingabe)
    : klasse(position.assetklasse()), name(position.name()), kennung(position.kennung()),
      notierung(position.notierung()), nennwert(position.nennwert()), einheit(position.einheit()),
      eingabe(std::move(eingabe)) {}

Eingabeform Stichtagsentwurf::Zeile::form() const {
    return Eingabeform::fuer(klasse, kennung, eingabe.handelswaehrung);
}

Stichtagsentwurf::Vergleichsauftrag Stichtagsentwurf::Zeile::vergleichsauftrag() const {
    Vergleichsauftrag auftrag{klasse, kennung, std::nullopt};
    if (klasse != Assetklasse::waehrung) {
        // The code lives in the form, so the form needs a name that outlasts the pointer.
        const Eingabeform f = form();
        if (const Waehrungscode* code = f.fremdwaehrungCode()) {
            auftrag.fremdwaehrung = code->wert();
        }
    }
    return auftrag;
}

bool Stichtagsentwurf::Zeile::istLeer() const {
    if (uebernommen) {
        return false;
    }
    const Eingabeform f = form();
    if (f.waehrungskursCode()) {
        return eingabe.umrechnung.istNull() && !eingabe.unlesbar.contains(Kurseingabe::Feld::umrechnung);
    }
    if (f.fremdwaehrungCode()) {
        return eingabe.kurs.istNull() && eingabe.unlesbar.empty();
    }
    // A rate left unreadable from another currency does not count in EUR.
    return eingabe.kurs.istNull() && !eingabe.unlesbar.contains(Kurseingabe::Feld::kurs);
}

Stichtagsentwurf::Stichtagsentwurf(const Portfolio& portfolio, std::optional<Zeitpunkt> abruftag)
    : abruftag_(abruftag) {
    for (Assetklasse klasse : alleAssetklassen) {
        std::shared_ptr<Position> position = portfolio.position(klasse);
        if (!position || !position->istVollstaendig()) {
            continue;
        }
        zeilen_.emplace_back(*position, Kurseingabe(position->waehrung(), Dezimal(0), Dezimal(0)));
    }
}

Stichtagsentwurf::Stichtagsentwurf(const Position& position, const Bewertung& bewertung, Zeitpunkt heute) {
    std::optional<Preisangabe> vorbelegung;
    if (auto notiz = bewertung.notiz(position)) {
        // A fetched price is never put into the field, and a typed one only while it belongs to
        // the identifier the position has now: under another one it would be stored again as
        // the new paper's price.
        if (notiz->herkunft() == Preisherkunft::manuell && notiz->kennung() == position.kennung()) {
            vorbelegung = notiz->preisangabe();
        }
    }
    std::string handelswaehrung = position.waehrung();
    if (vorbelegung && position.assetklasse() != Assetklasse::waehrung) {
        const Umrechnung* u = vorbelegung->umrechnung();
        handelswaehrung = u ? u->waehrung : Waehrungscode::euro().wert();
    }
    const Eingabeform form = Eingabeform::fuer(position.assetklasse(), position.kennung(), handelswaehrung);
    zeilen_.emplace_back(position, Kurseingabe::ausPreis(vorbelegung, handelswaehrung, form));

    const Kalender kalender = Kalender::aktuell();
    if (kalender.tagesbeginn(bewertung.datum()) < kalender.tagesbeginn(heute)) {
        abruftag_ = bewertung.datum();
    }
}

const Stichtagsentwurf::Zeile* Stichtagsentwurf::zeile(Assetklasse klasse) const {
    for (const Zeile& z : zeilen_) {
        if (z.klasse == klasse) {
            return &z;
        }
    }
    return nullptr;
}

Stichtagsentwurf::Zeile* Stichtagsentwurf::findeZeile(Assetklasse klasse) {
    return const_cast<Zeile*>(std::as_const(*this).zeile(klasse));
}

void Stichtagsentwurf::setzeEingabe(Assetklasse klasse, Kurseingabe eingabe) {
    if (Zeile* z = findeZeile(klasse)) {
        z->eingabe = std::move(eingabe);
    }
}

const Kursnotierung* Stichtagsentwurf::vergleichskurs(const Zeile& zeile) const {
    const Kurspruefung::Referenz* antwort = referenz(zeile);
    return antwort ? antwort->kurs.wert() : nullptr;
}

std::map<Assetklasse, Bewertungserfassung::Stichtagskurs> Stichtagsentwurf::stichtagskurse() const {
    using Wert = Bewertungserfassung::Stichtagskurs::Wert;
    std::map<Assetklasse, Bewertungserfassung::Stichtagskurs> kurse;
    for (const Zeile& z : zeilen_) {
        std::optional<Wert> wert;
        if (z.uebernommen) {
            // A quote counted the other way is never stored as the row's price, even when the
            // row was taken over before such an answer came in.
            const Kursnotierung* kurs = vergleichskurs(z);
            if (kurs && !notierungsabweichung(z)) {
                wert = Wert::uebernommen(*kurs);
            }
        } else if (auto preis = z.eingabe.preisangabe(z.form())) {
            wert = Wert::eingetippt(*std::move(preis));
        }
        if (wert) {
            kurse.emplace(z.klasse, Bewertungserfassung::Stichtagskurs{z.kennung, *std::move(wert)});
        }
    }
    return kurse;
}

std::vector<Assetklasse> Stichtagsentwurf::pruefeEingaben() const {
    const auto kurse = stichtagskurse();
    std::vector<Assetklasse> klassen;
    for (const Zeile& z : zeilen_) {
        if (!z.istLeer() && !kurse.contains(z.klasse)) {
            klassen.push_back(z.klasse);
        }
    }
    return klassen;
}

std::vector<Assetklasse> Stichtagsentwurf::ohneKurs() const {
    std::vector<Assetklasse> klassen;
    for (const Zeile& z : zeilen_) {
        if (z.istLeer()) {
            klassen.push_back(z.klasse);
        }
    }
    return klassen;
}

bool Stichtagsentwurf::hatEingaben() const {
    for (const Zeile& z : zeilen_) {
        if (!z.istLeer()) {
            return true;
        }
    }
    return false;
}

const Kurspruefung::Referenz* Stichtagsentwurf::referenz(const Zeile& zeile) const {
    auto eintrag = vergleiche_.find(zeile.vergleichsauftrag());
    return eintrag == vergleiche_.end() ? nullptr : &eintrag->second;
}

std::optional<Kurspruefung::Teil<Umrechnung>> Stichtagsentwurf::wechselkursTeil(const Zeile& zeile) const {
    if (!zeile.vergleichsauftrag().fremdwaehrung) {
        return Kurspruefung::Teil<Umrechnung>::entfaellt();
    }
    const Kurspruefung::Referenz* antwort = referenz(zeile);
    if (!antwort) {
        return std::nullopt;
    }
    return antwort->wechselkurs;
}

std::optional<Stichtagsentwurf::Fehlschlag> Stichtagsentwurf::fehlschlag(const Zeile& zeile) const {
    const Kurspruefung::Referenz* antwort = referenz(zeile);
    if (!antwort) {
        return std::nullopt;
    }
    if (antwort->kurs.grund()) {
        return Fehlschlag::kurs;
    }
    if (antwort->wechselkurs.grund()) {
        return Fehlschlag::wechselkurs;
    }
    return std::nullopt;
}

bool Stichtagsentwurf::kannUebernehmen(const Zeile& zeile) const {
    return abruftag_ && !zeile.uebernommen && vergleichskurs(zeile) && !notierungsabweichung(zeile);
}

std::optional<Kurspruefung::Abweichung> Stichtagsentwurf::notierungsabweichung(const Zeile& zeile) const {
    const Kursnotierung* kurs = vergleichskurs(zeile);
    if (!kurs) {
        return std::nullopt;
    }
    const Notierungsart quelle = kurs->notierungsart.value_or(zeile.notierung);
    // With a face value of 100 a percentage and a price per unit are the same number.
    if (quelle == zeile.notierung || zeile.nennwert == Dezimal(100)) {
        return std::nullopt;
    }
    const Preisangabe vergleich = alsPreisangabe(*kurs);
    // The typed price when there is one, so that the value equals the query's; the text does
    // not depend on it.
    const Preisangabe eingetragen =
        zeile.uebernommen ? vergleich : zeile.eingabe.preisangabe(zeile.form()).value_or(vergleich);
    return Abweichung{Abweichung::Gegenstand::notierungsart, eingetragen, vergleich, quelle, std::nullopt,
                      zeile.nennwert};
}

void Stichtagsentwurf::vergleichErneutHolen(Assetklasse klasse) {
    const Zeile* z = zeile(klasse);
    if (!z || !fehlschlag(*z)) {
        return;
    }
    vergleiche_.erase(z->vergleichsauftrag());
    ++versuch_;
}

void Stichtagsentwurf::vergleichskursUebernehmen(Assetklasse klasse) {
    Zeile* z = findeZeile(klasse);
    if (z && kannUebernehmen(*z)) {
        z->uebernommen = true;
    }
}

void Stichtagsentwurf::selbstEintragen(Assetklasse klasse) {
    if (Zeile* z = findeZeile(klasse)) {
        z->uebernommen = false;
    }
}

void Stichtagsentwurf::ezbUmrechnungVorbelegen() {
    for (Zeile& z : zeilen_) {
        const Kurspruefung::Referenz* antwort = referenz(z);
        if (!antwort) {
            continue;
        }
        if (const Umrechnung* ezb = antwort->wechselkurs.wert()) {
            Referenzabruf::vorbelegen(z.eingabe, ezb->kurs);
        }
    }
}

std::set<Stichtagsentwurf::Vergleichsauftrag> Stichtagsentwurf::vergleichsauftraege() const {
    std::set<Vergleichsauftrag> auftraege;
    for (const Zeile& z : zeilen_) {
        auftraege.insert(z.vergleichsauftrag());
    }
    return auftraege;
}

std::vector<Stichtagsentwurf::Vergleichsauftrag> Stichtagsentwurf::offeneAuftraege() const {
    std::vector<Vergleichsauftrag> offen;
    for (const Zeile& z : zeilen_) {
        Vergleichsauftrag auftrag = z.vergleichsauftrag();
        if (!vergleiche_.contains(auftrag)) {
            offen.push_back(std::move(auftrag));
        }
    }
    return offen;
}

void Stichtagsentwurf::speichereVergleich(const Vergleichsauftrag& auftrag, Kurspruefung::Referenz antwort) {
    vergleiche_.insert_or_assign(auftrag, std::move(antwort));
    ezbUmrechnungVorbelegen();
}

} // namespace qb

namespace {

void mische(std::size_t& wert, std::size_t teil) {
    wert ^= teil + 0x9e3779b97f4a7c15ULL + (wert << 6) + (wert >> 2);
}

} // namespace

std::size_t std::hash<qb::Stichtagsentwurf::Vergleichsauftrag>::operator()(
    const qb::Stichtagsentwurf::Vergleichsauftrag& auftrag) const noexcept {
    std::size_t wert = std::hash<std::string_view>{}(qb::rohwert(auftrag.klasse));
    mische(wert, std::hash<std::string>{}(auftrag.kennung));
    if (auftrag.fremdwaehrung) {
        mische(wert, 1);
        mische(wert, std::hash<std::string>{}(*auftrag.fremdwaehrung));
    } else {
        mische(wert, 0);
    }
    return wert;
}

std::size_t std::hash<qb::Stichtagsentwurf::Abrufschluessel>::operator()(
    const qb::Stichtagsentwurf::Abrufschluessel& schluessel) const noexcept {
    // The set is ordered, so equal sets feed their elements in the same order.
    std::size_t wert = schluessel.auftraege.size();
    for (const auto& auftrag : schluessel.auftraege) {
        mische(wert, std::hash<qb::Stichtagsentwurf::Vergleichsauftrag>{}(auftrag));
    }
    mische(wert, std::hash<int>{}(schluessel.versuch));
    return wert;
}
