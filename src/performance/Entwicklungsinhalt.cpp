#include "performance/Entwicklungsinhalt.h"

#include <algorithm>

#include <QCoreApplication>

#include "ui/Textbruecke.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "performance/Tagesverlaufladung.h"
#include "valuation/Stichtagsverlauf.h"

namespace qb {

namespace {

std::string text(const char* quelle) {
    return utf8(QCoreApplication::translate("qb::EntwicklungAnsicht", quelle));
}

std::string ohneKurveText(const Stichtagsverlauf& kurve) {
    return kurve.ausgelassen() < 1
               ? text("Sobald ein Stichtag mit vollständigen Kursen vorliegt, erscheint hier die Wertentwicklung.")
               : text("Es sind Stichtage erfasst, aber an keinem liegen alle Kurse vor. Sobald ein Stichtag "
                      "vollständig ist, erscheint hier die Wertentwicklung.");
}

} // namespace

Entwicklungsinhalt Entwicklungsinhalt::fuer(const Portfolio& portfolio, Sicht sicht, const Tagesverlaufladung& ladung) {
    const Stichtagsverlauf kurve(portfolio);
    if (sicht == Sicht::stichtage) {
        if (!kurve.letzterStand()) {
            return {Leer{"chart.line.uptrend.xyaxis", text("Noch keine Kurve"), ohneKurveText(kurve), false}};
        }
        return {Wertentwicklung(kurve.punkte(), portfolio.startkapital(), *kurve.letzterStand(), kurve.ausgelassen(),
                                kurve.veraenderung(), std::nullopt, Wertentwicklung::Punktart::stichtag)};
    }

    const auto& verlauf = ladung.verlauf();
    if (verlauf && !verlauf->tage.empty() && kurve.letzterStand()) {
        std::vector<Kurvenpunkt> punkte;
        punkte.reserve(verlauf->tage.size());
        for (const auto& tag : verlauf->tage) {
            punkte.push_back(Kurvenpunkt{static_cast<std::int64_t>(punkte.size()), tag.tag, tag.gesamtwert});
        }
        // The key figures are those of the latest complete reference date, not of the last day.
        return {Wertentwicklung(std::move(punkte), portfolio.startkapital(), *kurve.letzterStand(), 0,
                                kurve.veraenderung(),
                                ladung.fussnote(verlauf->tage, verlauf->quellen, kurve.letztesDatum(), portfolio.kaufdatum()),
                                Wertentwicklung::Punktart::handelstag)};
    }
    if (ladung.laedt()) {
        return {Laden{}};
    }
    Leer leer{"calendar.badge.exclamationmark", text("Kein Tagesverlauf"), {}, false};
    const auto& positionen = portfolio.positionen();
    if (ladung.verlaufsfehler()) {
        leer.text = *ladung.verlaufsfehler();
        leer.erneutLaden = true;
    } else if (std::none_of(positionen.begin(), positionen.end(), [](const auto& p) { return p->istVollstaendig(); })) {
        leer.text = text("Lege zuerst im Bereich Portfolio deine Positionen an.");
    } else if (!kurve.letzterStand()) {
        leer.text = ohneKurveText(kurve);
    } else {
        leer.text = text("Für den gewählten Zeitraum liegen keine Kurse vor.");
    }
    return {leer};
}

} // namespace qb
