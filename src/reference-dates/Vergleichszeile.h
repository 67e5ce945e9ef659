#pragma once

#include <optional>
#include <vector>

#include <QString>

#include "foundation/Formatierer.h"
#include "model/Kursnotierung.h"
#include "reference-dates/Stichtagsentwurf.h"

namespace qb {

// Everything one row of the capture sheet shows besides the typed fields, as values: either the
// taken-over quote, or the comparison line under the fields with its warnings and buttons.
// Read from the draft as it is now; the view rebuilds it whenever the draft changes.
class Vergleichszeile {
public:
    // What the first line of the comparison says.
    enum class Status {
        wirdGeholt, // beside a progress indicator: no answer yet
        kurs,       // the comparison quote, perhaps with its small deviation
        fehlt,      // the source gave no quote, with its reason
        entfaellt,  // no source is asked for this row
    };

    // Dates in the current time zone.
    Vergleichszeile(const Stichtagsentwurf& entwurf, const Stichtagsentwurf::Zeile& zeile,
                    const Formatierer& format = Formatierer());

    // The line "Übernommen: …" shown instead of the fields with "Selbst eintragen"; absent when
    // the fields and the comparison line are shown (also for a taken-over row whose quote is
    // no longer there).
    const std::optional<QString>& uebernommen() const { return uebernommen_; }

    Status status() const { return status_; }
    const QString& statusText() const { return statusText_; }
    // One text per strong deviation, in the order the check found them; shown in the warning
    // colour.
    const std::vector<QString>& warnungen() const { return warnungen_; }

    // "Vergleichskurs übernehmen"
    bool zeigtUebernehmen() const { return zeigtUebernehmen_; }
    // "Vergleich erneut holen": the price part failed.
    bool zeigtErneutHolen() const { return zeigtErneutHolen_; }
    // The rate row of the fields offers its own retry: only the rate part failed.
    bool ezbMitErneut() const { return ezbMitErneut_; }

    // One quote as a line of text: source, kind of price, day (perhaps "sehr wenig Handel"),
    // then the price in the row's way of quoting when the source does not say.
    static QString kursbeschreibung(const Kursnotierung& kurs, const Stichtagsentwurf::Zeile& zeile,
                                    const Formatierer& format = Formatierer());

private:
    std::optional<QString> uebernommen_;
    Status status_ = Status::wirdGeholt;
    QString statusText_;
    std::vector<QString> warnungen_;
    bool zeigtUebernehmen_ = false;
    bool zeigtErneutHolen_ = false;
    bool ezbMitErneut_ = false;
};

} // namespace qb
