#pragma once

#include <optional>
#include <string>

#include <QString>

#include "foundation/Formatierer.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Handelsumfang.h"
#include "sources/Kursquelle.h"

namespace qb {

// The fixed texts of the position editor's sheet that depend on its state: the example under
// the identifier, the note on what the sources make of it, the fetch row and the trading line.
class Positionstexte {
public:
    Positionstexte() = delete;

    // A note under the identifier: its symbol, its text, and whether it warns (then in the
    // warning colour and the body font, else in the secondary style and the remark font).
    struct Kennungsnotiz {
        QString symbol;
        QString text;
        bool warnt = false;
        friend bool operator==(const Kennungsnotiz&, const Kennungsnotiz&) = default;
    };

    static QString beispiel(Assetklasse klasse);
    // None for an identifier a source can use.
    static std::optional<Kennungsnotiz> kennungsnotiz(Kennungsurteil urteil, bool kennungLeer);

    // The title of the price section.
    static QString kursabschnitt(bool mitAbruftag);
    // The fetch button's label: running, for the entry day, or for today.
    static QString abrufknopf(bool laeuft, std::optional<Zeitpunkt> abruftag, const Formatierer& format = Formatierer(),
                              const Zeitzone& zone = Zeitzone::aktuell());
    // Beside the button: the source that will be asked, or that the price is typed by hand.
    static QString quellenzeile(Kennungsurteil urteil, const std::string& bezeichnung);

    // Only a handful of prices or under 1 000 € turnover: the price may say little.
    static bool wenigHandel(const Handelsumfang& umfang);
    static QString handelshinweis(const Handelsumfang& umfang);
};

} // namespace qb
