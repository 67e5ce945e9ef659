#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Dezimal.h"
#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"
#include "performance/Flaechenstueck.h"
#include "performance/Lage.h"
#include "valuation/Kurvenpunkt.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Wertveraenderung.h"

namespace qb {

// What the value chart shows of a curve against the starting capital, without the widgets:
// domains, axis values, the area pieces, the selected point, and every text the chart view
// says or shows. Computed on demand from the inputs; nothing is cached. Dates in the current
// time zone, numbers and dates in the user's locale, amounts in EUR.
class Wertentwicklung {
public:
    enum class Punktart : std::uint8_t { stichtag, handelstag };
    // The shape of a point's symbol, by its side of the starting capital.
    enum class Punktform : std::uint8_t { kreis, quadrat, raute };

    template <typename T>
    struct Bereich {
        T von;
        T bis;
        friend bool operator==(const Bereich&, const Bereich&) = default;
    };
    // A labelled value of the y axis: exact for the label, as double for the plot.
    struct Achsenwert {
        Dezimal wert;
        double lage = 0;
    };

    // `punkte` in ascending date order, as the caller gives them (nothing is sorted).
    Wertentwicklung(std::vector<Kurvenpunkt> punkte, Dezimal startkapital, Portfoliostand stand,
                    std::int64_t ausgelassen, std::optional<Wertveraenderung> veraenderung,
                    std::optional<std::string> fussnote, Punktart punktart);

    // "Ein Handelstag" for 1, otherwise the count in plain digits followed by " Handelstage"
    // (also for 0).
    static std::string handelstageText(std::int64_t anzahl);
    // How often the curve changes side; a touch of the line that returns to its side is none,
    // a pass through a point on the line to the other side is one.
    static std::int64_t seitenwechsel(const std::vector<Dezimal>& werte, const Dezimal& startkapital);

    const std::vector<Kurvenpunkt>& punkte() const { return punkte_; }
    const Dezimal& startkapital() const { return startkapital_; }
    const Portfoliostand& stand() const { return stand_; }
    std::int64_t ausgelassen() const { return ausgelassen_; }
    const std::optional<Wertveraenderung>& veraenderung() const { return veraenderung_; }
    const std::optional<std::string>& fussnote() const { return fussnote_; }
    Punktart punktart() const { return punktart_; }

    // Without points both are the stand-in: now (when the chart was built), at the starting
    // capital.
    Kurvenpunkt letzterPunkt() const;
    Kurvenpunkt ersterPunkt() const;
    // The side of the last point.
    Lage lage() const;
    Lage lageVon(const Kurvenpunkt& punkt) const;
    // Only the newest point is drawn large.
    bool istNeuester(const Kurvenpunkt& punkt) const { return punkt.id == letzterPunkt().id; }

    static std::string symbolname(Lage lage);
    static std::string plakettentext(Lage lage);
    static Punktform punktform(Lage lage);

    // "Stand am " with the last point's date in long form.
    std::string standzeile() const;
    // The hint about reference dates left out; none when none were.
    std::optional<std::string> hinweistext() const;

    // The starting capital as plotted.
    double linie() const { return startkapital_.alsDouble(); }
    std::vector<Flaechenstueck> flaechen() const;
    // The dates from the first to the last point with half a day, or 8 % of the span when that
    // is more, on each side.
    Bereich<Zeitpunkt> xBereich() const;
    // The values and the starting capital with 28 % of their span on each side; a span below
    // a minimum (0.4 % of the starting capital, at least 1) sits in the middle of a band of
    // 1.56 times that minimum.
    Bereich<double> yBereich() const;
    // Every date up to six points, else about six evenly spaced, always ending at the newest.
    std::vector<Zeitpunkt> xAchsenWerte() const;
    // Round values inside the y domain, about five.
    std::vector<Achsenwert> yAchsenWerte() const;
    // 2 when the y domain spans less than 50, else 0.
    int yNachkommastellen() const;

    // The point nearest to the selected date; on a tie the earlier one. None without a
    // selection or points.
    std::optional<Kurvenpunkt> ausgewaehlterPunkt(std::optional<Zeitpunkt> auswahl) const;

    // The point's value and its distance to the starting capital, as a sentence part.
    std::string punkttext(const Kurvenpunkt& punkt) const;
    // What a screen reader says of the whole chart.
    std::string barrierefreieBeschreibung() const;

    // Day, abbreviated month and year: point names and the selection card.
    std::string datumText(Zeitpunkt datum) const;
    // Two-digit day and month: the x labels.
    std::string achsendatum(Zeitpunkt datum) const;
    // An amount in EUR with the locale's cents.
    std::string betragText(const Dezimal& betrag) const;
    // |wert − startkapital| in EUR.
    std::string abstandText(const Kurvenpunkt& punkt) const;
    std::string yBeschriftung(const Achsenwert& wert) const;

private:
    std::vector<Kurvenpunkt> punkte_;
    Dezimal startkapital_;
    Portfoliostand stand_;
    std::int64_t ausgelassen_;
    std::optional<Wertveraenderung> veraenderung_;
    std::optional<std::string> fussnote_;
    Punktart punktart_;
    Zeitpunkt erstellt_;
    Formatierer format_;
    Zeitzone zone_;
};

} // namespace qb
