#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Notierungsart.h"
#include "reference-dates/Bewertungserfassung.h"
#include "model/Eingabeform.h"
#include "valuation/Kurseingabe.h"
#include "valuation/Kurspruefung.h"

namespace qb {

class Bewertung;
class Portfolio;
class Position;

// The prices of one reference date while they are being typed: one row per position to price,
// the comparison answers fetched so far and the day they are asked for. A plain value held by
// the form that shows it; nothing here fetches, stores or shows anything.
class Stichtagsentwurf {
public:
    // What one row asks the comparison fetch for. A changed trading currency makes a new
    // request; the answer to the old one stays stored but no longer belongs to the row.
    struct Vergleichsauftrag {
        Assetklasse klasse = Assetklasse::aktie;
        std::string kennung;
        // The normalised foreign trading currency; absent for the currency class and for EUR.
        std::optional<std::string> fremdwaehrung;

        friend bool operator==(const Vergleichsauftrag&, const Vergleichsauftrag&) = default;
        friend auto operator<=>(const Vergleichsauftrag&, const Vergleichsauftrag&) = default;
    };

    // The identity of a fetch run: a changed request set or a retry starts a new run, nothing
    // else does.
    struct Abrufschluessel {
        std::set<Vergleichsauftrag> auftraege;
        int versuch = 0;

        friend bool operator==(const Abrufschluessel&, const Abrufschluessel&) = default;
    };

    struct Zeile {
        Assetklasse klasse;
        std::string name;
        // The identifier when the draft was built: every request and every price of the row uses it.
        std::string kennung;
        Notierungsart notierung;
        Dezimal nennwert;
        std::optional<std::string> einheit;
        Kurseingabe eingabe;
        // The row takes its fetched quote over instead of a typed price.
        bool uebernommen = false;

        Zeile(const Position& position, Kurseingabe eingabe);

        Eingabeform form() const;
        Vergleichsauftrag vergleichsauftrag() const;
        // Nothing typed: the value field is 0 and not unreadable (in a foreign form an
        // unreadable rate counts as typed too). A taken-over row is never empty.
        bool istLeer() const;
    };

    // Which part of a stored answer failed; the price part wins when both did.
    enum class Fehlschlag { kurs, wechselkurs };

    // A new reference date: one row per complete position, in class order. `abruftag` only
    // for a back-dated one.
    Stichtagsentwurf(const Portfolio& portfolio, std::optional<Zeitpunkt> abruftag);
    // The one-row correction of a position's price on an existing reference date. A typed price
    // is shown again only when it was typed for the position's current identifier. Compared
    // with the day of `heute` in the current calendar, an earlier date gets its `datum` as
    // `abruftag`.
    Stichtagsentwurf(const Position& position, const Bewertung& bewertung, Zeitpunkt heute = jetzt());

    const std::vector<Zeile>& zeilen() const { return zeilen_; }
    // The row of the class, or null.
    const Zeile* zeile(Assetklasse klasse) const;
    // Replaces the typed state of the class's row; nothing for a class without a row.
    void setzeEingabe(Assetklasse klasse, Kurseingabe eingabe);

    const std::map<Vergleichsauftrag, Kurspruefung::Referenz>& vergleiche() const { return vergleiche_; }
    const std::optional<Zeitpunkt>& abruftag() const { return abruftag_; }
    int versuch() const { return versuch_; }

    // The prices to store, one per storable row.
    std::map<Assetklasse, Bewertungserfassung::Stichtagskurs> stichtagskurse() const;
    // Rows begun but not storable, in row order.
    std::vector<Assetklasse> pruefeEingaben() const;
    // Empty rows, in row order.
    std::vector<Assetklasse> ohneKurs() const;
    bool hatEingaben() const;

    const Kurspruefung::Referenz* referenz(const Zeile& zeile) const;
    // The ECB part for the rate row: `entfaellt` without a foreign currency, absent while the
    // answer is still out.
    std::optional<Kurspruefung::Teil<Umrechnung>> wechselkursTeil(const Zeile& zeile) const;
    std::optional<Fehlschlag> fehlschlag(const Zeile& zeile) const;
    // Only for a past day, a row not yet taken over, a fetched quote, and a quote that counts
    // the paper the way the row does.
    bool kannUebernehmen(const Zeile& zeile) const;
    // When the fetched quote counts the paper the other way (per unit against percent of a
    // face value other than 100), the deviation the question before saving names for it;
    // such a quote is off by face value / 100 and is never taken over.
    std::optional<Kurspruefung::Abweichung> notierungsabweichung(const Zeile& zeile) const;

    // Forgets a failed answer of the class's row and raises `versuch`, which restarts the fetch.
    void vergleichErneutHolen(Assetklasse klasse);
    void vergleichskursUebernehmen(Assetklasse klasse);
    // Back to the typed price, which stayed as it was.
    void selbstEintragen(Assetklasse klasse);
    // Fills untouched rate fields from the stored ECB rates; never overwrites a typed rate or
    // any text in the field.
    void ezbUmrechnungVorbelegen();

    // The requests of all rows, taken-over ones included.
    std::set<Vergleichsauftrag> vergleichsauftraege() const;
    Abrufschluessel abrufschluessel() const { return {vergleichsauftraege(), versuch_}; }
    // The requests of the key without a stored answer: what a fetch run asks for.
    std::vector<Vergleichsauftrag> offeneAuftraege() const;
    // Stores an answer as it arrives, then pre-fills rates from it.
    void speichereVergleich(const Vergleichsauftrag& auftrag, Kurspruefung::Referenz referenz);

private:
    Zeile* findeZeile(Assetklasse klasse);
    const Kursnotierung* vergleichskurs(const Zeile& zeile) const;

    std::vector<Zeile> zeilen_;
    std::map<Vergleichsauftrag, Kurspruefung::Referenz> vergleiche_;
    std::optional<Zeitpunkt> abruftag_;
    int versuch_ = 0;
};

} // namespace qb

template <>
struct std::hash<qb::Stichtagsentwurf::Vergleichsauftrag> {
    std::size_t operator()(const qb::Stichtagsentwurf::Vergleichsauftrag& auftrag) const noexcept;
};

template <>
struct std::hash<qb::Stichtagsentwurf::Abrufschluessel> {
    std::size_t operator()(const qb::Stichtagsentwurf::Abrufschluessel& schluessel) const noexcept;
};
