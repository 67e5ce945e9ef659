#pragma once

#include <map>
#include <optional>
#include <string_view>

#include "model/Assetklasse.h"
#include "reference-dates/Bewertungserfassung.h"
#include "reference-dates/Rueckfrage.h"
#include "reference-dates/Stichtagsentwurf.h"

namespace qb {

// The save flow of a form that writes a draft's prices: the question shown in the dialog and
// the warning after "Trotzdem speichern" was stopped. Held by the form, starting empty; it
// only decides, the form writes.
class Speicherablauf {
public:
    using Kurse = std::map<Assetklasse, Bewertungserfassung::Stichtagskurs>;

    // The form's warning while `neueAbweichung()` holds.
    static constexpr std::string_view nichtGespeichertText =
        "Nicht gespeichert: Inzwischen ist ein Vergleichskurs eingetroffen, der stark abweicht. "
        "Prüf die markierte Zeile und speichere dann noch einmal.";

    // The question the dialog shows; the dialog is open while it is present.
    const std::optional<Rueckfrage>& rueckfrage() const { return rueckfrage_; }
    // The last "Trotzdem speichern" did not save, because a strong deviation of a class the
    // question did not name had arrived meanwhile.
    bool neueAbweichung() const { return neueAbweichung_; }

    // The save button: drops the warning and either gives the prices to write now, or opens
    // the question (absent result).
    std::optional<Kurse> speichern(const Stichtagsentwurf& entwurf);

    // "Trotzdem speichern": the prices as they were when the question was shown, unless a
    // strong deviation of a class the question did not name has arrived since; then nothing
    // is saved and the warning is set. Either way the dialog closes. Without a question shown
    // nothing happens.
    std::optional<Kurse> trotzdemSpeichern(const Stichtagsentwurf& entwurf);

    // "Zurück zur Eingabe", or the dialog closed any other way: only the question goes.
    void schliesseRueckfrage();

private:
    std::optional<Rueckfrage> rueckfrage_;
    // What "Trotzdem speichern" writes: the prices the question was asked about.
    Kurse gezeigteKurse_;
    bool neueAbweichung_ = false;
};

} // namespace qb
