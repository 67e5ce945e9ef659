#pragma once

#include <optional>
#include <string>

#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"
#include "model/Notierungsart.h"
#include "valuation/Positionsbewertung.h"

namespace qb {

class Preisnotiz;

// Everything one row of a reference date's detail shows, as text and flags: the stored price
// with its marks, where it came from, the identifier hint, value, gain and return, and the
// accessibility label. Read from the records as they are now; the view rebuilds it each time.
class Stichtagdetailzeile {
public:
    // Whether the gain shows in the gain or loss colour, or in the secondary one at exactly 0.
    enum class Richtung { gewinn, verlust, neutral };

    // `notiz` null: the date has no price for the class. Dates in `zone`.
    Stichtagdetailzeile(const Positionsbewertung& zeile, const Preisnotiz* notiz, Notierungsart notierung,
                        std::optional<std::string> kennungshinweis, const Formatierer& format = Formatierer(),
                        const Zeitzone& zone = Zeitzone::aktuell());

    // Absent when the note was stored under the position's current identifier.
    static std::optional<std::string> kennungshinweis(const Preisnotiz& notiz, const std::string& kennung);
    // Very little trading on that day: few price fixings, or failing those a tiny turnover.
    static bool wenigHandel(const Preisnotiz& notiz);
    // A price no trade was made at.
    static bool keinBezahlterKurs(const Preisnotiz& notiz);

    const std::string& klassenname() const { return klassenname_; }
    const std::string& name() const { return name_; }
    bool hatNotiz() const { return hatNotiz_; }
    const std::string& preisText() const { return preisText_; }
    bool vonHand() const { return vonHand_; }
    bool ohneBezahltenKurs() const { return ohneBezahltenKurs_; }
    bool duennerHandel() const { return duennerHandel_; }
    const std::string& quellenzeile() const { return quellenzeile_; }
    const std::optional<std::string>& hinweis() const { return hinweis_; }
    const std::optional<std::string>& wertText() const { return wertText_; }
    // Gain and return, present together.
    const std::optional<std::string>& gewinnText() const { return gewinnText_; }
    const std::optional<std::string>& renditeText() const { return renditeText_; }
    Richtung richtung() const { return richtung_; }
    const std::string& bedienhilfeText() const { return bedienhilfeText_; }

private:
    std::string klassenname_;
    std::string name_;
    bool hatNotiz_ = false;
    std::string preisText_;
    bool vonHand_ = false;
    bool ohneBezahltenKurs_ = false;
    bool duennerHandel_ = false;
    std::string quellenzeile_;
    std::optional<std::string> hinweis_;
    std::optional<std::string> wertText_;
    std::optional<std::string> gewinnText_;
    std::optional<std::string> renditeText_;
    Richtung richtung_ = Richtung::neutral;
    std::string bedienhilfeText_;
};

} // namespace qb
