#include "performance/Wertentwicklung.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <utility>

#include <QCoreApplication>

#include "ui/Textbruecke.h"
#include "model/Portfolio.h"

namespace qb {

namespace {

std::string text(const char* quelle) {
    return utf8(QCoreApplication::translate("qb::Wertentwicklung", quelle));
}

constexpr double halberTagSekunden = 43'200;

// A step of the y axis: ganz × 10^exponent, a round 1, 2 or 5 of its decade.
struct Schritt {
    std::int64_t ganz;
    int exponent;
    double wert() const { return static_cast<double>(ganz) * std::pow(10.0, exponent); }
};

std::int64_t anzahlMarken(double von, double bis, double weite) {
    return static_cast<std::int64_t>(std::floor(bis / weite) - std::ceil(von / weite)) + 1;
}

// The round step (1, 2 or 5 of a decade) whose marks inside the range come nearest to the
// wished count; of two equally near the wider one, so that labels never crowd.
Schritt runderSchritt(double von, double bis, std::int64_t anzahl) {
    const int dekade = static_cast<int>(std::floor(std::log10((bis - von) / static_cast<double>(anzahl))));
    Schritt bester{1, dekade - 1};
    std::int64_t besterAbstand = -1;
    for (int exponent = dekade - 1; exponent <= dekade + 1; ++exponent) {
        for (const std::int64_t ganz : {1, 2, 5}) {
            const Schritt schritt{ganz, exponent};
            const std::int64_t abstand = std::abs(anzahlMarken(von, bis, schritt.wert()) - anzahl);
            if (besterAbstand < 0 || abstand <= besterAbstand) {
                bester = schritt;
                besterAbstand = abstand;
            }
        }
    }
    return bester;
}

} // namespace

Wertentwicklung::Wertentwicklung(std::vector<Kurvenpunkt> punkte, Dezimal startkapital, Portfoliostand stand,
                                 std::int64_t ausgelassen, std::optional<Wertveraenderung> veraenderung,
                                 std::optional<std::string> fussnote, Punktart punktart)
    : punkte_(std::move(punkte)), startkapital_(std::move(startkapital)), stand_(std::move(stand)),
      ausgelassen_(ausgelassen), veraenderung_(std::move(veraenderung)), fussnote_(std::move(fussnote)),
      punktart_(punktart), erstellt_(jetzt()), zone_(Zeitzone::aktuell()) {}

std::string Wertentwicklung::handelstageText(std::int64_t anzahl) {
    if (anzahl == 1) {
        return text("Ein Handelstag");
    }
    QString format = QCoreApplication::translate("qb::Wertentwicklung", "%lld Handelstage");
    // A count in a translated format is written in plain digits, without grouping.
    format.replace(QStringLiteral("%lld"), QString::number(anzahl));
    return utf8(format);
}

std::int64_t Wertentwicklung::seitenwechsel(const std::vector<Dezimal>& werte, const Dezimal& startkapital) {
    std::int64_t wechsel = 0;
    std::optional<Lage> vorige;
    for (const Dezimal& wert : werte) {
        const Lage lage = qb::lageVon(wert, startkapital);
        if (lage == Lage::aufEinsatz) {
            continue;
        }
        if (vorige && *vorige != lage) {
            ++wechsel;
        }
        vorige = lage;
    }
    return wechsel;
}

Kurvenpunkt Wertentwicklung::letzterPunkt() const {
    if (punkte_.empty()) {
        return Kurvenpunkt{0, erstellt_, startkapital_};
    }
    return punkte_.back();
}

Kurvenpunkt Wertentwicklung::ersterPunkt() const {
    return punkte_.empty() ? letzterPunkt() : punkte_.front();
}

Lage Wertentwicklung::lage() const {
    return lageVon(letzterPunkt());
}

Lage Wertentwicklung::lageVon(const Kurvenpunkt& punkt) const {
    return qb::lageVon(punkt.wert, startkapital_);
}

std::string Wertentwicklung::symbolname(Lage lage) {
    switch (lage) {
    case Lage::ueberEinsatz:
        return "arrow.up.right.circle.fill";
    case Lage::unterEinsatz:
        return "arrow.down.right.circle.fill";
    case Lage::aufEinsatz:
        break;
    }
    return "equal.circle.fill";
}

std::string Wertentwicklung::plakettentext(Lage lage) {
    switch (lage) {
    case Lage::ueberEinsatz:
        return text("Über dem Startkapital");
    case Lage::unterEinsatz:
        return text("Unter dem Startkapital");
    case Lage::aufEinsatz:
        break;
    }
    return text("Genau auf dem Startkapital");
}

Wertentwicklung::Punktform Wertentwicklung::punktform(Lage lage) {
    switch (lage) {
    case Lage::ueberEinsatz:
        return Punktform::kreis;
    case Lage::unterEinsatz:
        return Punktform::quadrat;
    case Lage::aufEinsatz:
        break;
    }
    return Punktform::raute;
}

std::string Wertentwicklung::standzeile() const {
    return text("Stand am ") + format_.datumLang(letzterPunkt().datum, zone_);
}

std::optional<std::string> Wertentwicklung::hinweistext() const {
    if (ausgelassen_ < 1) {
        return std::nullopt;
    }
    if (ausgelassen_ == 1) {
        return text("Ein Stichtag ohne vollständige Kurse ist nicht dargestellt");
    }
    return format_.ganzzahl(ausgelassen_) + text(" Stichtage ohne vollständige Kurse sind nicht dargestellt");
}

std::vector<Flaechenstueck> Wertentwicklung::flaechen() const {
    std::vector<Flaechenstueck::Punkt> kurve;
    kurve.reserve(punkte_.size());
    for (const auto& punkt : punkte_) {
        kurve.push_back({punkt.datum, punkt.wert.alsDouble()});
    }
    return Flaechenstueck::zerlege(kurve, linie());
}

Wertentwicklung::Bereich<Zeitpunkt> Wertentwicklung::xBereich() const {
    const Zeitpunkt start = ersterPunkt().datum;
    const Zeitpunkt ende = letzterPunkt().datum;
    const double spanne = std::chrono::duration<double>(ende - start).count();
    const double rand = spanne * 0.08 <= halberTagSekunden ? halberTagSekunden : spanne * 0.08;
    const auto versatz = std::chrono::round<Zeitpunkt::duration>(std::chrono::duration<double>(rand));
    return {start - versatz, ende + versatz};
}

Wertentwicklung::Bereich<double> Wertentwicklung::yBereich() const {
    const double s = linie();
    std::vector<double> werte;
    werte.reserve(punkte_.size() + 1);
    for (const auto& punkt : punkte_) {
        werte.push_back(punkt.wert.alsDouble());
    }
    werte.push_back(s);
    const double hoch = *std::max_element(werte.begin(), werte.end());
    const double tief = minimum(werte).value_or(s);
    const double spanne = hoch - tief;
    const double mindestspanne = s * 0.004 > 1.0 ? s * 0.004 : 1.0;
    const double wirksam = spanne > mindestspanne ? spanne : mindestspanne;
    const double rand = wirksam * 0.28 + (wirksam - spanne) * 0.5;
    return {tief - rand, hoch + rand};
}

std::vector<Zeitpunkt> Wertentwicklung::xAchsenWerte() const {
    const auto n = static_cast<std::int64_t>(punkte_.size());
    std::vector<std::int64_t> indizes;
    if (n < 7) {
        for (std::int64_t i = 0; i < n; ++i) {
            indizes.push_back(i);
        }
    } else {
        const std::int64_t schritt = (n + 5) / 6;
        for (std::int64_t i = 0; i < n; i += schritt) {
            indizes.push_back(i);
        }
        const std::int64_t letzter = n - 1;
        if (letzter - indizes.back() < schritt / 2) {
            indizes.pop_back();
        }
        if (indizes.empty() || indizes.back() != letzter) {
            indizes.push_back(letzter);
        }
    }
    std::vector<Zeitpunkt> daten;
    daten.reserve(indizes.size());
    for (const std::int64_t i : indizes) {
        daten.push_back(punkte_[static_cast<std::size_t>(i)].datum);
    }
    return daten;
}

std::vector<Wertentwicklung::Achsenwert> Wertentwicklung::yAchsenWerte() const {
    const auto [von, bis] = yBereich();
    const double spanne = bis - von;
    if (!(spanne > 0) || !std::isfinite(spanne)) {
        return {};
    }
    const Schritt schritt = runderSchritt(von, bis, 5);
    const double weite = schritt.wert();
    const Dezimal genau = Dezimal(static_cast<long long>(schritt.ganz)) * Dezimal::zehnHoch(schritt.exponent);
    std::vector<Achsenwert> werte;
    for (auto i = static_cast<std::int64_t>(std::ceil(von / weite));
         static_cast<double>(i) * weite <= bis; ++i) {
        werte.push_back({Dezimal(static_cast<long long>(i)) * genau, static_cast<double>(i) * weite});
    }
    return werte;
}

int Wertentwicklung::yNachkommastellen() const {
    const auto [von, bis] = yBereich();
    return bis - von < 50 ? 2 : 0;
}

std::optional<Kurvenpunkt> Wertentwicklung::ausgewaehlterPunkt(std::optional<Zeitpunkt> auswahl) const {
    if (!auswahl || punkte_.empty()) {
        return std::nullopt;
    }
    const auto abstand = [&](const Kurvenpunkt& punkt) {
        return punkt.datum > *auswahl ? punkt.datum - *auswahl : *auswahl - punkt.datum;
    };
    const Kurvenpunkt* bester = &punkte_.front();
    for (const auto& punkt : punkte_) {
        if (abstand(punkt) < abstand(*bester)) {
            bester = &punkt;
        }
    }
    return *bester;
}

std::string Wertentwicklung::punkttext(const Kurvenpunkt& punkt) const {
    const std::string wertText = betragText(punkt.wert);
    switch (lageVon(punkt)) {
    case Lage::ueberEinsatz:
        return wertText + ", " + abstandText(punkt) + text(" über dem Startkapital");
    case Lage::unterEinsatz:
        return wertText + ", " + abstandText(punkt) + text(" unter dem Startkapital");
    case Lage::aufEinsatz:
        break;
    }
    return wertText + text(", genau auf dem Startkapital");
}

std::string Wertentwicklung::barrierefreieBeschreibung() const {
    const std::string endText = datumText(letzterPunkt().datum);
    const std::string aktuell = punkttext(letzterPunkt());
    if (punkte_.size() == 1) {
        const std::string anfang = punktart_ == Punktart::stichtag ? text("Ein Stichtag am ") : text("Ein Handelstag am ");
        return anfang + endText + ". " + aktuell + ".";
    }
    Dezimal hoechster = startkapital_;
    Dezimal tiefster = startkapital_;
    std::vector<Dezimal> werte;
    werte.reserve(punkte_.size());
    for (std::size_t i = 0; i < punkte_.size(); ++i) {
        const Dezimal& wert = punkte_[i].wert;
        if (i == 0 || wert > hoechster) {
            hoechster = wert;
        }
        if (i == 0 || wert < tiefster) {
            tiefster = wert;
        }
        werte.push_back(wert);
    }
    const std::string startText = datumText(ersterPunkt().datum);
    const std::int64_t wechsel = seitenwechsel(werte, startkapital_);
    const std::string wechselText =
        wechsel < 1 ? text("Die Kurve bleibt durchgehend auf einer Seite.")
                    : text("Die Kurve wechselt ") + format_.ganzzahl(wechsel) + text(" mal die Seite.");
    const auto anzahl = static_cast<std::int64_t>(punkte_.size());
    const std::string zeitraum =
        punktart_ == Punktart::stichtag
            ? format_.ganzzahl(anzahl) + text(" Stichtage von ") + startText + text(" bis ") + endText + "."
            : handelstageText(anzahl) + text(" von ") + startText + text(" bis ") + endText + ".";
    return zeitraum + text(" Aktuell ") + aktuell + text(". Tiefster Wert ") + betragText(tiefster) +
           text(", höchster Wert ") + betragText(hoechster) + ". " + wechselText;
}

std::string Wertentwicklung::datumText(Zeitpunkt datum) const {
    return format_.datumMitMonat(datum, zone_);
}

std::string Wertentwicklung::achsendatum(Zeitpunkt datum) const {
    return format_.tagUndMonatZweistellig(datum, zone_);
}

std::string Wertentwicklung::betragText(const Dezimal& betrag) const {
    return format_.waehrung(betrag, "EUR");
}

std::string Wertentwicklung::abstandText(const Kurvenpunkt& punkt) const {
    return betragText((punkt.wert - startkapital_).betrag());
}

std::string Wertentwicklung::yBeschriftung(const Achsenwert& wert) const {
    return format_.waehrung(wert.wert, "EUR", yNachkommastellen());
}

} // namespace qb
