#include "positions/Positionszeile.h"

#include <QCoreApplication>
#include <QStringList>

#include "ui/Textbruecke.h"
#include "model/Position.h"
#include "sources/Kursdienst.h"
#include "valuation/Kurseingabe.h"

namespace qb {

namespace {

QString text(const char* quelle) {
    return QCoreApplication::translate("qb::PositionenListe", quelle);
}

} // namespace

QString Positionszeile::barrierefreiHinweis() {
    return text("Zum Bearbeiten öffnen");
}

Positionszeile Positionszeile::aus(Assetklasse klasse, const Position* position, const Kursdienst& dienst,
                                   const Formatierer& format) {
    Positionszeile zeile;
    zeile.klasse = klasse;
    zeile.position = position != nullptr ? position->id() : 0;
    zeile.bezeichnung = qtText(qb::bezeichnung(klasse));
    // A position that cannot be valued yet looks exactly like a missing one.
    if (position == nullptr || !position->istVollstaendig()) {
        zeile.titel = text("noch offen");
        zeile.barrierefreiName = text("%1, noch offen").arg(zeile.bezeichnung);
        return zeile;
    }

    zeile.offen = false;
    zeile.titel = qtText(position->name());
    if (!position->kennung().empty()) {
        zeile.beschriftung.push_back({qtText(position->kennung()), QString()});
    }
    // Checked untrimmed, as typed: the bundle trims it itself, and an empty one is unusable.
    const bool ohneVergleich = dienst.pruefe(position->kennung(), klasse) != Kennungsurteil::verwendbar;
    if (ohneVergleich) {
        zeile.beschriftung.push_back({text("ohne Vergleichskurs"), QStringLiteral("equal.circle")});
    }
    const bool inProzent = position->notierung() == Notierungsart::prozentVomNennwert;
    if (inProzent) {
        zeile.beschriftung.push_back({text("Prozent vom Nennwert"), QString()});
    }

    zeile.menge = qtText(Kurseingabe::betragText(*position, format));
    zeile.wert = text("für %1").arg(qtText(format.waehrung(position->wert(position->kaufPreisangabe()), "EUR")));
    zeile.zusammenfassung = qtText(Kurseingabe::kaufZusammenfassung(*position, std::nullopt, format));

    QStringList teile{text("%1, %2").arg(zeile.bezeichnung, zeile.titel), zeile.zusammenfassung};
    if (ohneVergleich) {
        teile.append(text("ohne Vergleichskurs"));
    }
    if (inProzent) {
        teile.append(text("Prozent vom Nennwert"));
    }
    zeile.barrierefreiName = teile.join(QStringLiteral(", "));
    return zeile;
}

} // namespace qb
