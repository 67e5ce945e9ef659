#include "ui/Signalfarbe.h"

#include <QPalette>

namespace qb {

const Signalfarbe Signalfarbe::warnung{QColor(145, 72, 0), QColor(255, 159, 10)};
const Signalfarbe Signalfarbe::verlust{QColor(180, 20, 30), QColor(255, 110, 100)};
const Signalfarbe Signalfarbe::gewinn{QColor(0, 110, 40), QColor(48, 209, 88)};

bool istDunkel(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor Signalfarbe::fuer(const QPalette& palette) const {
    return istDunkel(palette) ? dunkel_ : hell_;
}

} // namespace qb
