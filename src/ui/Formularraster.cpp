#include "ui/Formularraster.h"

namespace qb {

void Formularraster::setGeometry(const QRect& rechteck) {
    if (hasHeightForWidth()) {
        // A width the form holds nothing for makes it work out its rows anew (the width of its
        // size hint it answers from a cache of its own), and forgetting the rectangle makes the
        // layout below do the same for the width it is given.
        const QMargins raender = contentsMargins();
        const int hinweisbreite = sizeHint().width();
        int andere = rechteck.width() + 1;
        while (andere == hinweisbreite || andere == hinweisbreite + raender.left() + raender.right()) {
            ++andere;
        }
        (void)QFormLayout::heightForWidth(andere);
        QLayout::setGeometry(QRect());
    }
    QFormLayout::setGeometry(rechteck);
}

} // namespace qb
