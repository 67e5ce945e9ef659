#pragma once

#include <optional>

#include <QString>

#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"
#include "valuation/Kurseingabe.h"
#include "valuation/Kurspruefung.h"
#include "model/Waehrungscode.h"

namespace qb {

// What the ECB rate row under a foreign rate says for a rate state, and what its
// "Übernehmen" does, without the widgets.
class Referenzzeilentexte {
public:
    // The rate state: absent while it is being fetched; there, missing with the reason, or
    // not needed.
    using Stand = std::optional<Kurspruefung::Teil<Umrechnung>>;

    enum class Art {
        wirdGeholt, // "EZB-Kurs wird geholt" beside a progress indicator
        kurs,       // the rate, perhaps with "Übernehmen"
        fehlt,      // the warning with its hint, perhaps with "Erneut holen"
        leer,       // nothing: no rate is needed
    };

    // `referenztag`: the day of the rate, absent for the current one. `mitErneut`: the caller
    // offers a retry. Dates in the current time zone.
    Referenzzeilentexte(Waehrungscode code, std::optional<Zeitpunkt> referenztag, Stand stand, bool mitErneut,
                        const Formatierer& format = Formatierer());

    Art art() const { return art_; }
    // The line's text: the progress text, the rate with its day, or "Kein EZB-Kurs abrufbar: "
    // with the reason; empty when nothing is shown.
    const QString& text() const { return text_; }
    // The second line of a missing rate.
    std::optional<QString> hinweis() const;
    // The rate shown, in units of the currency per 1 €.
    const std::optional<Dezimal>& kurs() const { return kurs_; }
    // Offered only while the typed rate differs from the one shown.
    bool zeigtUebernehmen(const Kurseingabe& eingabe) const;
    bool zeigtErneut() const { return art_ == Art::fehlt && mitErneut_; }
    // Takes the shown rate over as the typed rate and as the ECB pre-fill, and changes nothing
    // else. False when no rate is shown or it is already the typed one.
    bool uebernimm(Kurseingabe& eingabe) const;

private:
    Art art_ = Art::leer;
    QString text_;
    std::optional<Dezimal> kurs_;
    bool mitErneut_ = false;
};

} // namespace qb
