#include "reference-dates/Vergleichszeile.h"

#include <algorithm>
#include <iterator>
#include <string>

#include <QCoreApplication>
#include <QStringList>

#include "ui/Textbruecke.h"
#include "foundation/Kalender.h"
#include "model/Kursart.h"
#include "reference-dates/Rueckfrage.h"
#include "valuation/Kurseingabe.h"
#include "model/Preisangabe.h"

namespace qb {

namespace {

using Abweichung = Kurspruefung::Abweichung;
using Gegenstand = Abweichung::Gegenstand;

QString uebersetzt(const char* quelle) {
    return QCoreApplication::translate("qb::Vergleichszeile", quelle);
}

// Few trades make a quote a poor yardstick; the count decides when the source gives one.
bool sehrWenigHandel(const Handelsumfang& umfang) {
    if (umfang.preisfeststellungen && *umfang.preisfeststellungen >= 1 && *umfang.preisfeststellungen <= 4) {
        return true;
    }
    return umfang.umsatzEuro && *umfang.umsatzEuro > Dezimal(0) && *umfang.umsatzEuro < Dezimal(1000);
}

} // namespace

QString Vergleichszeile::kursbeschreibung(const Kursnotierung& kurs, const Stichtagsentwurf::Zeile& zeile,
                                          const Formatierer& format) {
    const Preisangabe preis =
        kurs.umrechnung ? Preisangabe::umgerechnet(*kurs.umrechnung) : Preisangabe::euro(kurs.kurs);
    const Notierungsart notierung = kurs.notierungsart.value_or(zeile.notierung);
    const std::string wert =
        Kurseingabe::prozentText(preis, zeile.klasse, notierung == Notierungsart::prozentVomNennwert, format);

    QStringList teile;
    teile << qtText(kurs.quelle) << uebersetzt(std::string(beschreibung(kurs.art)).c_str())
          << qtText(format.datum(kurs.kursdatum.value_or(kurs.abgerufenAm), Zeitzone::aktuell()));
    if (kurs.handelsumfang && sehrWenigHandel(*kurs.handelsumfang)) {
        teile << uebersetzt("sehr wenig Handel");
    }
    return teile.join(QStringLiteral(", ")) + QStringLiteral(": ") + qtText(wert);
}

Vergleichszeile::Vergleichszeile(const Stichtagsentwurf& entwurf, const Stichtagsentwurf::Zeile& zeile,
                                 const Formatierer& format) {
    const Kurspruefung::Referenz* referenz = entwurf.referenz(zeile);
    const Kursnotierung* kurs = referenz ? referenz->kurs.wert() : nullptr;

    if (zeile.uebernommen && kurs) {
        uebernommen_ = uebersetzt("Übernommen: %1").arg(kursbeschreibung(*kurs, zeile, format));
    }

    const std::vector<Abweichung> abweichungen = Rueckfrage::abweichungen(entwurf, zeile);
    if (!referenz) {
        status_ = Status::wirdGeholt;
        statusText_ = uebersetzt("Vergleichskurs wird geholt");
    } else if (kurs) {
        status_ = Status::kurs;
        statusText_ = uebersetzt("Vergleich: %1").arg(kursbeschreibung(*kurs, zeile, format));
        const auto erste = std::ranges::find_if(
            abweichungen, [](const Abweichung& a) { return a.gegenstand == Gegenstand::kurs; });
        // A strong deviation is named below as a warning instead.
        if (erste != abweichungen.end() && erste->anteil && *erste->anteil <= Kurspruefung::schwelle()) {
            statusText_ +=
                QStringLiteral(" · ") +
                uebersetzt("Abweichung %1").arg(qtText(Kurseingabe::kurzText(*erste->anteil, format)));
        }
    } else if (const std::string* grund = referenz->kurs.grund()) {
        status_ = Status::fehlt;
        statusText_ = uebersetzt("Kein Vergleichskurs abrufbar: %1").arg(qtText(*grund));
    } else {
        status_ = Status::entfaellt;
        statusText_ = zeile.kennung.empty()
                          ? uebersetzt("Kein Vergleichskurs: Ohne Kennung fragt die App keine Quelle.")
                          : uebersetzt("Kein Vergleichskurs: Für diese Kennung gibt es keine freie Quelle.");
    }

    std::vector<Abweichung> starke;
    std::ranges::copy_if(abweichungen, std::back_inserter(starke),
                         [](const Abweichung& a) { return a.istStark(); });
    // A quote counted the other way is named even before a price is typed, as the question
    // before saving will name it: it is why the row offers no take-over.
    if (std::ranges::none_of(starke,
                             [](const Abweichung& a) { return a.gegenstand == Gegenstand::notierungsart; })) {
        if (std::optional<Abweichung> anders = entwurf.notierungsabweichung(zeile);
            anders && !zeile.uebernommen) {
            starke.insert(starke.begin(), *std::move(anders));
        }
    }
    for (const Abweichung& a : starke) {
        QString text = qtText(a.meldung(zeile.klasse, zeile.notierung, entwurf.abruftag(), format));
        if (a.gegenstand == Gegenstand::kurs) {
            text += QLatin1Char(' ') +
                    uebersetzt("Prüfe Währung, Einheit und Komma: Steht der Kurs auf Bloomberg in "
                               "Cent oder Pence, teile ihn durch 100.");
        }
        warnungen_.push_back(text);
    }

    const std::optional<Stichtagsentwurf::Fehlschlag> fehlschlag = entwurf.fehlschlag(zeile);
    zeigtUebernehmen_ = entwurf.kannUebernehmen(zeile);
    zeigtErneutHolen_ = fehlschlag == Stichtagsentwurf::Fehlschlag::kurs;
    ezbMitErneut_ = fehlschlag == Stichtagsentwurf::Fehlschlag::wechselkurs;
}

} // namespace qb
