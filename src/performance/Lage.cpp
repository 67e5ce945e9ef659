#include "performance/Lage.h"

namespace qb {

Lage lageVon(const Dezimal& wert, const Dezimal& startkapital) {
    const int vorzeichen = (wert - startkapital).vorzeichen();
    if (vorzeichen > 0) {
        return Lage::ueberEinsatz;
    }
    if (vorzeichen < 0) {
        return Lage::unterEinsatz;
    }
    return Lage::aufEinsatz;
}

} // namespace qb
