#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "model/Notierungsart.h"
#include "sources/Kursdienst.h"
#include "model/Eingabeform.h"
#include "valuation/Kurseingabe.h"
#include "valuation/Kurspruefung.h"
#include "model/Preisangabe.h"
#include "model/Waehrungscode.h"

namespace qb {

class Modellkontext;
class Portfolio;
class Position;

// The position editor without its widgets: the draft of one class's position, the budget it
// must keep, the texts around it, and the two operations that end the editor, saving and
// removing; its sheet is PositionBearbeitenDialog. Nothing reaches the records while the user
// types; only speichere() and entfernen() write them, and each ends with the shared save
// function. GUI thread only.
class PositionBearbeiten {
public:
    // The value the editor edits instead of the stored position. Plain data: copying it copies
    // everything, and no read changes it.
    class Entwurf {
    public:
        // Which of the two linked figures the user typed last.
        enum class Mengenquelle { menge, betrag };

        // What a buy-price fetch put into the draft.
        struct Abruf {
            Kurseingabe eingabe; // the input right after the quote was taken over
            Eingabeform form;    // the form computed for that input
            std::string quelle;  // the quote's source label
            friend bool operator==(const Abruf&, const Abruf&) = default;
        };

        // The buy-price input and its form as they were when the draft was built.
        struct Anfang {
            Kurseingabe eingabe;
            Eingabeform form;
        };

        // The draft of a stored position, or of a new one of the class when there is none.
        Entwurf(const Position* position, Assetklasse klasse);

        Assetklasse klasse() const { return klasse_; }
        const Anfang& anfang() const { return anfang_; }

        std::string name;
        // As typed; normalised only when written.
        std::string kennung;
        Kurseingabe eingabe;
        Notierungsart notierung = Notierungsart::stueckpreis;
        Dezimal nennwert{100};
        // Empty for none.
        std::string einheit;
        Dezimal eingetrageneMenge;
        Dezimal eingetragenerBetrag;
        Mengenquelle mengenquelle = Mengenquelle::menge;
        // For a currency position: the currency the typed exchange rate was entered for.
        std::optional<Waehrungscode> kursWaehrung;
        std::optional<Abruf> abgerufen;

        // The form of the buy-price input for the class, the identifier and the trading currency.
        Eingabeform form() const;
        // The typed buy price; none while nothing usable is typed.
        std::optional<Preisangabe> preis() const;

        // The quantity the form shows: whole units of the typed amount for a currency bought with
        // an amount, else the typed quantity. Setting the shown value again changes nothing, so
        // writing back a derived quantity never turns it into a typed one.
        Dezimal menge() const;
        void setzeMenge(const Dezimal& wert);
        // The EUR amount the form shows and the budget counts: the typed amount for a currency
        // bought with an amount, else the value of the quantity at the buy price (to the cent).
        Dezimal einsatz() const;
        void setzeEinsatz(const Dezimal& wert);

        // An unsaved position of the draft, in no context and no portfolio, to value it.
        std::shared_ptr<Position> probeposition() const;
        // Name, quantity, a usable price and, for a percent quote, the face value.
        bool istSpeicherbar() const;
        // The buy-price input or its form differs from what the draft was built with.
        bool kaufkursGeaendert() const;
        // The source label to store over the stored position's, judged by the bundle's sources.
        std::string quelleZumSpeichern(const Position& gespeichert, const Kursdienst& dienst) const;
        // Only commodities and certificates keep a unit; blanks alone are none.
        std::optional<std::string> einheitZumSpeichern() const;
        // Writes the draft into the position through its setters; does not save.
        void schreibe(Position& position, const Kursdienst& dienst) const;

        // After an edit of the identifier: keeps the typed exchange rate while the identifier
        // names the same currency, and clears it when it moves to another one.
        void kursWaehrungAbgleichen(std::string_view alteKennung);
        // Takes a fetched quote (already in EUR) into the buy-price input.
        void uebernimmKurs(const Kursnotierung& notierung);

        // The line under the quantity when it lies outside 1 … 1 000 000 000.
        std::optional<QString> mengenhinweis() const;
        // The line under the amount of a currency bought with an amount.
        std::optional<QString> betragshinweis() const;
        // The purchase in words, once quantity and price are usable.
        std::optional<QString> kaufzusammenfassung() const;

    private:
        Assetklasse klasse_;
        Anfang anfang_;
    };

    PositionBearbeiten(Assetklasse klasse, std::shared_ptr<Portfolio> portfolio, Modellkontext& kontext,
                       Kursdienst dienst);

    // The source label of the ECB rate source.
    static const std::string& ezbQuelle();

    Assetklasse klasse() const { return klasse_; }
    const std::shared_ptr<Portfolio>& portfolio() const { return portfolio_; }
    const Kursdienst& dienst() const { return dienst_; }
    // Built once, from the position stored when the editor was made.
    Entwurf& entwurf() { return entwurf_; }
    const Entwurf& entwurf() const { return entwurf_; }
    // The stored position of the class, if any.
    std::shared_ptr<Position> gespeichertePosition() const;
    // Whether a fetch started for this identifier still applies.
    bool kennungNochAktuell(std::string_view kennung) const;

    // The day whose buy price counts: the entry date when its day lies before today's, else
    // none (the current quote).
    std::optional<Zeitpunkt> abruftag(Zeitpunkt heute = jetzt()) const;

    // Starting capital minus every other class's purchases minus the draft's amount; unrounded.
    Dezimal nochFrei() const;
    // Within the starting capital, or not raising the stake of a position that already breaks it.
    bool imBudget() const;
    // The line under the budget when what stays free rounds below 0.
    std::optional<QString> budgetwarnung() const;
    // Savable draft, no ISIN with a wrong check digit, within the budget.
    bool kannSpeichern() const;

    // The number of reference dates holding prices of the stored position when the draft changes
    // its identifier; none for a new position, the same identifier or a position without prices.
    std::optional<int> kennungsaenderungen() const;
    // "Speichern" pressed: the last failure goes; the answer is the number of reference dates
    // to ask about first, or none when the buy-price check may start at once.
    std::optional<int> speichernGedrueckt();

    // Creates the position of the class and links it to the portfolio.
    std::shared_ptr<Position> neuePosition();
    // Writes the draft into the stored position (or a new one) and saves. On failure the records
    // are rolled back, the draft stays, and speicherfehler() says why.
    bool speichere();
    // Deletes the stored position with its prices and saves; false without a position or when the
    // save fails (then rolled back, with speicherfehler()).
    bool entfernen();
    // The message of the last failed save or removal; none once another one starts.
    const std::optional<QString>& speicherfehler() const { return speicherfehler_; }

    // The question before saving a changed identifier.
    static QString kennungsfrage(int stichtage);
    // The deviations of a check, one paragraph each, then the closing line.
    QString abweichungsmeldung(const std::vector<Kurspruefung::Abweichung>& abweichungen,
                               Zeitpunkt heute = jetzt()) const;
    // Why a saved buy price could not be compared.
    static QString ungeprueftMeldung(const std::optional<std::string>& grund);

private:
    Assetklasse klasse_;
    std::shared_ptr<Portfolio> portfolio_;
    Modellkontext& kontext_;
    Kursdienst dienst_;
    Entwurf entwurf_;
    std::optional<QString> speicherfehler_;
};

} // namespace qb
