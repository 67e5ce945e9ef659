#pragma once

#include <memory>
#include <optional>
#include <string>

#include "reference-dates/Speicherablauf.h"
#include "reference-dates/Stichtagsentwurf.h"

namespace qb {

class Bewertung;
class Modellkontext;
class Portfolio;
class Position;

// The correction of one stored price: the one-row draft, its save flow and the last save
// failure, and what each button does. Writes only when a save goes through; the sheet,
// PreisKorrigierenDialog, shows it.
class PreisKorrigieren {
public:
    static constexpr std::string_view hinweisText =
        "Trag den Kurs so ein, wie Bloomberg ihn zeigt. Er wird als Bloomberg-Wert gekennzeichnet; "
        "ein übernommener Vergleichskurs behält seine Quelle.";

    PreisKorrigieren(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
                   std::shared_ptr<Position> position, Zeitpunkt heute = jetzt());

    Stichtagsentwurf& entwurf() { return entwurf_; }
    const Stichtagsentwurf& entwurf() const { return entwurf_; }
    const Speicherablauf& ablauf() const { return ablauf_; }
    const std::optional<std::string>& speicherfehler() const { return speicherfehler_; }
    const Position& position() const { return *position_; }
    const Bewertung& bewertung() const { return *bewertung_; }

    // "Speichern" is offered only for a storable row.
    bool kannSpeichern() const;

    // "Speichern": asks the question, or saves. True when the price was saved and the sheet closes.
    bool speichernGedrueckt(Modellkontext& kontext);
    // "Trotzdem speichern" of the question shown.
    bool trotzdemSpeichern(Modellkontext& kontext);
    // "Zurück zur Eingabe", or the dialog closed otherwise.
    void schliesseRueckfrage() { ablauf_.schliesseRueckfrage(); }

private:
    bool speichern(const Speicherablauf::Kurse& kurse, Modellkontext& kontext);

    std::shared_ptr<Portfolio> portfolio_;
    std::shared_ptr<Bewertung> bewertung_;
    std::shared_ptr<Position> position_;
    Stichtagsentwurf entwurf_;
    Speicherablauf ablauf_;
    std::optional<std::string> speicherfehler_;
};

} // namespace qb
