#include "app/Fenstergroesse.h"

namespace qb {

Fenstergroesse Fenstergroesse::fuer(QSize verfuegbar, QSize wunsch, QSize inhaltMinimum) {
    if (verfuegbar.isEmpty()) {
        return {wunsch, inhaltMinimum};
    }
    const QSize platz = (verfuegbar - rahmen).expandedTo(QSize(1, 1));
    return {wunsch.boundedTo(platz), inhaltMinimum.boundedTo(platz)};
}

} // namespace qb
