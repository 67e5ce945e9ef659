#pragma once

#include <optional>
#include <vector>

#include <QString>

#include "ui/Vordergrund.h"
#include "foundation/Dezimal.h"
#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "valuation/Wertveraenderung.h"

namespace qb {

class Portfoliostand;

// Everything the key figures row says, as texts with their symbols and styles: the row only
// shows what this class works out from the figures it is given and computes nothing itself.
class Kennzahlentexte {
public:
    // What the figures refer to: the reference date with this date and time, or the purchase.
    class Bezug {
    public:
        static Bezug stichtag(Zeitpunkt datum) { return Bezug(datum); }
        static Bezug kauf() { return Bezug(std::nullopt); }

        // The reference date's date; none for the purchase.
        const std::optional<Zeitpunkt>& datum() const { return datum_; }

        friend bool operator==(const Bezug&, const Bezug&) = default;

    private:
        explicit Bezug(std::optional<Zeitpunkt> datum) : datum_(datum) {}
        std::optional<Zeitpunkt> datum_;
    };

    // The figures of a portfolio state that the row reads.
    struct Werte {
        Dezimal investiert;
        Dezimal barbestand;
        std::optional<Dezimal> gesamtwert;
        std::optional<Dezimal> gewinn;
        std::optional<Dezimal> renditeProzent;
        std::vector<Assetklasse> offeneAssetklassen;
        std::vector<Assetklasse> fehlendePreise;
        bool istUeberzogen = false;

        static Werte aus(const Portfoliostand& stand);
    };

    struct Kachel {
        QString titel;
        // The amount, or "noch unbekannt" when it is not known (then `bekannt` is false and
        // the text is shown smaller, in the secondary style).
        QString betrag;
        std::optional<QString> prozent;
        Vordergrund stil = Vordergrund::primaer();
        bool bekannt = true;
        friend bool operator==(const Kachel&, const Kachel&) = default;
    };

    struct Veraenderungszeile {
        QString beschriftung;
        QString betrag;
        std::optional<QString> prozent;
        Vordergrund stil = Vordergrund::sekundaer();
        friend bool operator==(const Veraenderungszeile&, const Veraenderungszeile&) = default;
    };

    // Which of the hint lines; also their order.
    enum class Hinweisart { ueberzogen, offeneKlassen, fehlendePreise, offenerStichtag };

    struct Hinweis {
        Hinweisart art;
        QString text;
        QString symbol;
        Vordergrund stil;
        friend bool operator==(const Hinweis&, const Hinweis&) = default;
    };

    // All of the row, top to bottom.
    struct Anzeige {
        std::optional<QString> ueberschrift;
        // Three tiles, or four with a gain.
        std::vector<Kachel> kacheln;
        std::optional<Veraenderungszeile> veraenderung;
        std::vector<Hinweis> hinweise;
    };

    // Dates in the current calendar, numbers and dates in the user's locale.
    Kennzahlentexte() : Kennzahlentexte(Formatierer(), Kalender::aktuell()) {}
    Kennzahlentexte(Formatierer format, Kalender kalender)
        : format_(std::move(format)), kalender_(std::move(kalender)) {}

    Anzeige anzeige(const Werte& werte, const std::optional<Bezug>& bezug,
                    const std::optional<Wertveraenderung>& veraenderung,
                    const std::optional<Zeitpunkt>& offenerStichtag) const;

    // "Kennzahlen zum Stichtag vom …" or "Stand beim Kauf".
    QString ueberschrift(const Bezug& bezug, bool mitUhrzeit) const;
    // Day, abbreviated month and year; with hour and minute if asked.
    QString datumText(Zeitpunkt t, bool mitUhrzeit) const;
    // The classes' names in the given order, joined as a German list with "und".
    static QString klassenListe(const std::vector<Assetklasse>& klassen);
    // The hint about a later reference date that still lacks prices.
    QString stichtagsHinweis(Zeitpunkt datum, bool mitUhrzeit) const;

    // A date is shown with its time only where two dates of one day would otherwise read
    // alike: in the heading and the open-date hint, when both dates fall on one day.
    bool kopfMitUhrzeit(const std::optional<Bezug>& bezug,
                        const std::optional<Zeitpunkt>& offenerStichtag) const;
    bool amSelbenTag(Zeitpunkt a, Zeitpunkt b) const;

    std::vector<Kachel> kacheln(const Werte& werte) const;
    Veraenderungszeile veraenderungszeile(const Wertveraenderung& veraenderung) const;
    std::vector<Hinweis> hinweise(const Werte& werte, const std::optional<Zeitpunkt>& offenerStichtag,
                                  bool mitUhrzeit) const;

private:
    QString betrag(const Dezimal& wert) const;

    Formatierer format_;
    Kalender kalender_;
};

} // namespace qb
