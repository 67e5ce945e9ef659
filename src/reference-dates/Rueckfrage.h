#pragma once

#include <optional>
#include <string>
#include <vector>

#include "foundation/Formatierer.h"
#include "model/Assetklasse.h"
#include "reference-dates/Stichtagsentwurf.h"
#include "valuation/Kurspruefung.h"

namespace qb {

// The question asked before the prices of a draft are written: which typed prices deviate
// strongly from their comparison (or are quoted the other way by the source), and which are
// still waiting for one. Never made with both lists empty.
class Rueckfrage {
public:
    // The strong deviations of one class, in the order the check found them.
    struct Auffaelligkeit {
        Assetklasse klasse = Assetklasse::aktie;
        std::vector<Kurspruefung::Abweichung> abweichungen;

        friend bool operator==(const Auffaelligkeit&, const Auffaelligkeit&) = default;
    };

    // Row order in both lists.
    std::vector<Auffaelligkeit> abweichend;
    std::vector<Assetklasse> offen;

    friend bool operator==(const Rueckfrage&, const Rueckfrage&) = default;

    // The question for the draft as it is now; absent when there is nothing to ask. Taken-over
    // rows and rows without a storable price are never asked about.
    static std::optional<Rueckfrage> fuer(const Stichtagsentwurf& entwurf);

    // Every deviation of one row, strong or not, for marking it; empty for a taken-over row, a
    // row without a storable price and a row whose comparison is still out.
    static std::vector<Kurspruefung::Abweichung> abweichungen(const Stichtagsentwurf& entwurf,
                                                              const Stichtagsentwurf::Zeile& zeile);

    // The fresh question when it names a strongly deviating class that `gezeigt` (the
    // deviations of the question shown) did not; otherwise absent. Open comparisons and
    // changed deviations of a class already shown do not count.
    static std::optional<Rueckfrage> neueAbweichung(const Stichtagsentwurf& entwurf,
                                                    const std::vector<Auffaelligkeit>& gezeigt);

    // The dialog's title: the deviation title as soon as one class deviates.
    std::string titel() const;

    // The dialog's text: one part per deviating class that still has a row, then the open
    // classes, parts separated by an empty line. Days in the current time zone.
    std::string meldung(const Stichtagsentwurf& entwurf, const Formatierer& format = Formatierer()) const;
};

} // namespace qb
