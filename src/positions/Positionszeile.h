#pragma once

#include <vector>

#include <QString>

#include "foundation/Formatierer.h"
#include "model/Assetklasse.h"
#include "model/Datensatz.h"

namespace qb {

class Kursdienst;
class Position;

// What one row of the positions list says about its asset class: the class's name, then
// either "noch offen" or the position's name, caption line, quantity, value at purchase and
// purchase summary. Worked out from the records whenever they change; the list only shows it.
struct Positionszeile {
    // One part of the caption line under the name, with the symbol drawn before it, if any.
    struct Beschriftung {
        QString text;
        QString symbol;
        friend bool operator==(const Beschriftung&, const Beschriftung&) = default;
    };

    // `position`: the class's position as the portfolio holds it, or none. The bundle only
    // judges the identifier, which sends no request.
    static Positionszeile aus(Assetklasse klasse, const Position* position, const Kursdienst& dienst,
                              const Formatierer& format = Formatierer());

    // What a screen reader says when the row is focused: what a click does.
    static QString barrierefreiHinweis();

    Assetklasse klasse = Assetklasse::aktie;
    // The record shown; 0 when the class has no position.
    DatensatzId position = 0;
    QString bezeichnung;
    // Without a complete position the row says "noch offen" and shows a plus.
    bool offen = true;
    // The position's name as stored, or "noch offen".
    QString titel;
    std::vector<Beschriftung> beschriftung;
    // The quantity with its unit; empty for an open row.
    QString menge;
    // "für" and the value at the buy price; empty for an open row.
    QString wert;
    // The purchase in one sentence, the tooltip of the figures; empty for an open row.
    QString zusammenfassung;
    QString barrierefreiName;

    friend bool operator==(const Positionszeile&, const Positionszeile&) = default;
};

} // namespace qb
