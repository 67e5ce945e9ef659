#include "performance/Wertdiagramm.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "performance/Wertdiagrammzugang.h"

namespace qb {

namespace {

constexpr double markenlaenge = 4;    // the ticks under the plot
constexpr double abstand = 4;         // between the plot and its labels
constexpr double balkenbreite = 38;   // the single point's bar
constexpr double kartenabstand = 6;   // between the selection line's top and its card
constexpr double datumsluecke = 6;    // the least room between two date labels
constexpr qsizetype linienstueck = 8; // segments of the value line drawn at once

QString einsatzText() {
    return QCoreApplication::translate("qb::Wertdiagramm", "Einsatz");
}

QColor mitDeckkraft(QColor farbe, double deckkraft) {
    farbe.setAlphaF(static_cast<float>(farbe.alphaF() * deckkraft));
    return farbe;
}

// The colours of one paint, read from the palette each time so that they follow light and dark.
struct Farben {
    QColor primaer;
    QColor sekundaer;
    QColor gewinn;
    QColor verlust;

    explicit Farben(const QPalette& palette)
        : primaer(Vordergrund::primaer().fuer(palette)), sekundaer(Vordergrund::sekundaer().fuer(palette)),
          gewinn(Signalfarbe::gewinn.fuer(palette)), verlust(Signalfarbe::verlust.fuer(palette)) {}

    QColor fuer(Lage lage) const {
        switch (lage) {
        case Lage::ueberEinsatz:
            return gewinn;
        case Lage::unterEinsatz:
            return verlust;
        case Lage::aufEinsatz:
            break;
        }
        return sekundaer;
    }
};

// Fills a tall shape band by band. Qt's raster engine hands a fill of more than about a hundred
// spans to its thread pool and waits for it; the hand-over costs more than the fill itself, so a
// tall shape is filled in bands of at most 30 device rows, which stay below that mark as long as
// a row holds at most three spans (a plain shape's two edges and inside). Each of the three uses
// wins on an idle machine too (entwicklung_bench, a whole chart of 880 × 420): drawn in one
// piece, the grid lines cost 0.8 ms more, the background 0.2 ms and the curve of 500 trading
// days 1.8 ms, against 4.3 ms for the chart.
void fuelleInBaendern(QPainter& maler, const QPainterPath& pfad, const QBrush& pinsel) {
    const QRectF umriss = pfad.boundingRect();
    const double verhaeltnis = maler.device() != nullptr ? maler.device()->devicePixelRatioF() : 1.0;
    const double band = 30 / verhaeltnis;
    for (double oben = std::floor(umriss.top()); oben < umriss.bottom(); oben += band) {
        maler.save();
        maler.setClipRect(QRectF(umriss.left() - 1, oben, umriss.width() + 2, band), Qt::IntersectClip);
        maler.fillPath(pfad, pinsel);
        maler.restore();
    }
}

// A vertical line one pixel wide from `oben` to `unten`, filled band by band.
void senkrechteLinie(QPainter& maler, double x, double oben, double unten, const QColor& farbe) {
    QPainterPath linie;
    linie.addRect(QRectF(x - 0.5, oben, 1, unten - oben));
    fuelleInBaendern(maler, linie, farbe);
}

// A vertical gradient over `rahmen` whose strong end lies at the curve: at the top for a piece
// above the line, at the bottom for one below it.
QLinearGradient verlauf(const QRectF& rahmen, const QColor& farbe, bool oben, double schwach) {
    QLinearGradient gradient(rahmen.topLeft(), rahmen.bottomLeft());
    gradient.setColorAt(0, mitDeckkraft(farbe, oben ? 0.42 : schwach));
    gradient.setColorAt(1, mitDeckkraft(farbe, oben ? schwach : 0.42));
    return gradient;
}

void zeichneFlaechen(QPainter& maler, const Wertdiagramm::Abbildung& abb, const Wertentwicklung& daten,
                     const Farben& farben) {
    const double linie = abb.yVon(daten.linie());
    for (const auto& stueck : daten.flaechen()) {
        QPainterPath pfad;
        pfad.moveTo(abb.xVon(stueck.stellen.front().datum), linie);
        for (const auto& stelle : stueck.stellen) {
            pfad.lineTo(abb.stelle(stelle.datum, stelle.wert));
        }
        pfad.lineTo(abb.xVon(stueck.stellen.back().datum), linie);
        pfad.closeSubpath();
        const QColor farbe = stueck.ueberEinsatz ? farben.gewinn : farben.verlust;
        maler.fillPath(pfad, verlauf(pfad.boundingRect(), farbe, stueck.ueberEinsatz, 0.04));
    }
}

void zeichneBalken(QPainter& maler, const Wertdiagramm::Abbildung& abb, const Wertentwicklung& daten,
                   const Farben& farben) {
    const Kurvenpunkt& punkt = daten.punkte().front();
    const bool oben = punkt.wert >= daten.startkapital();
    const double x = abb.xVon(punkt.datum);
    const QRectF balken = QRectF(QPointF(x - balkenbreite / 2, abb.yVon(daten.linie())),
                                 QPointF(x + balkenbreite / 2, abb.yVon(punkt.wert.alsDouble())))
                              .normalized();
    QPainterPath pfad;
    pfad.addRoundedRect(balken, 4, 4);
    maler.fillPath(pfad, verlauf(balken, oben ? farben.gewinn : farben.verlust, oben, 0.22));
}

void zeichnePunkt(QPainter& maler, QPointF mitte, Wertentwicklung::Punktform form, double groesse) {
    // The size is the symbol's area, as chart libraries give it.
    const double seite = std::sqrt(groesse);
    const QRectF rahmen(mitte.x() - seite / 2, mitte.y() - seite / 2, seite, seite);
    switch (form) {
    case Wertentwicklung::Punktform::kreis:
        maler.drawEllipse(rahmen);
        break;
    case Wertentwicklung::Punktform::quadrat:
        maler.drawRect(rahmen);
        break;
    case Wertentwicklung::Punktform::raute: {
        const double halb = seite / std::sqrt(2.0);
        const QPointF ecken[] = {mitte + QPointF(0, -halb), mitte + QPointF(halb, 0), mitte + QPointF(0, halb),
                                 mitte + QPointF(-halb, 0)};
        maler.drawPolygon(ecken, 4);
        break;
    }
    }
}

void zeichneKurve(QPainter& maler, const Wertdiagramm::Abbildung& abb, const Wertentwicklung& daten,
                  const Farben& farben) {
    const auto& punkte = daten.punkte();
    if (punkte.size() >= 2) {
        QPolygonF linie;
        linie.reserve(static_cast<qsizetype>(punkte.size()));
        for (const auto& punkt : punkte) {
            linie << abb.stelle(punkt.datum, punkt.wert.alsDouble());
        }
        QPen stift(mitDeckkraft(farben.primaer, 0.75), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        maler.setPen(stift);
        maler.setBrush(Qt::NoBrush);
        // In short pieces, for the raster engine's sake (see fuelleInBaendern): a long line is
        // one fill of thousands of spans. The pieces meet at points, where the round ends of two
        // pieces lie on one another and the point's mark, drawn after, covers them both.
        for (qsizetype anfang = 0; anfang + 1 < linie.size(); anfang += linienstueck) {
            const qsizetype anzahl = std::min<qsizetype>(linienstueck + 1, linie.size() - anfang);
            maler.drawPolyline(linie.constData() + anfang, static_cast<int>(anzahl));
        }
    }
    maler.setPen(Qt::NoPen);
    for (const auto& punkt : punkte) {
        const Lage lage = daten.lageVon(punkt);
        maler.setBrush(farben.fuer(lage));
        zeichnePunkt(maler, abb.stelle(punkt.datum, punkt.wert.alsDouble()), Wertentwicklung::punktform(lage),
                     daten.istNeuester(punkt) ? 120 : 55);
    }
}

void zeichneAchsen(QPainter& maler, const QRectF& rahmen, const Wertdiagramm::Abbildung& abb,
                   const Wertentwicklung& daten, const Farben& farben, const QFont& schrift) {
    const QRectF& flaeche = abb.flaeche;
    const QFont beschriftung = Schriftstil::beschriftung(schrift);
    const QFontMetricsF masse(beschriftung);
    maler.setFont(beschriftung);
    for (const Zeitpunkt datum : daten.xAchsenWerte()) {
        const double x = abb.xVon(datum);
        senkrechteLinie(maler, x, flaeche.top(), flaeche.bottom(), mitDeckkraft(farben.primaer, 0.08));
        maler.setPen(QPen(mitDeckkraft(farben.primaer, 0.2), 1));
        maler.drawLine(QPointF(x, flaeche.bottom()), QPointF(x, flaeche.bottom() + markenlaenge));
    }
    maler.setPen(farben.sekundaer);
    for (const auto& marke : Wertdiagramm::xBeschriftungen(rahmen, abb, daten, schrift)) {
        maler.drawText(marke.rahmen, Qt::AlignCenter, marke.text);
    }
    for (const auto& marke : abb.yMarken) {
        const double y = abb.yVon(marke.lage);
        maler.setPen(QPen(mitDeckkraft(farben.primaer, 0.08), 1));
        maler.drawLine(QPointF(flaeche.left(), y), QPointF(flaeche.right(), y));
        maler.setPen(farben.sekundaer);
        maler.drawText(QRectF(rahmen.left(), y - masse.height() / 2, flaeche.left() - abstand - rahmen.left(),
                              masse.height()),
                       Qt::AlignRight | Qt::AlignVCenter, marke.text);
    }
    maler.setPen(farben.sekundaer);
    const double linie = abb.yVon(daten.linie());
    maler.drawText(QRectF(flaeche.right() + abstand, linie - masse.height() / 2,
                          masse.horizontalAdvance(einsatzText()) + 1, masse.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, einsatzText());
}

// The card of the selected point above its line, moved as far as needed to stay in the chart.
void zeichneKarte(QPainter& maler, const QRectF& rahmen, const Wertdiagramm::Abbildung& abb,
                  const Wertentwicklung& daten, const Kurvenpunkt& punkt, const QPalette& palette,
                  const Farben& farben, const QFont& grund) {
    const QFont klein = Schriftstil::beschriftung(grund);
    QFont betont = Schriftstil::hervorhebung(grund);
    betont.setWeight(QFont::DemiBold);
    const QFontMetricsF kleinMasse(klein);
    const QFontMetricsF betontMasse(betont);
    const QString datum = qtText(daten.datumText(punkt.datum));
    const QString wert = qtText(daten.betragText(punkt.wert));
    const QString abstandText = qtText(daten.abstandText(punkt));
    const double symbolseite = kleinMasse.height();
    const double zeilenbreite = symbolseite + 4 + kleinMasse.horizontalAdvance(abstandText);
    const double inhaltBreite =
        std::max({kleinMasse.horizontalAdvance(datum), betontMasse.horizontalAdvance(wert), zeilenbreite});
    const double inhaltHoehe = kleinMasse.height() + 3 + betontMasse.height() + 3 + kleinMasse.height();
    const QSizeF groesse(inhaltBreite + 20, inhaltHoehe + 16);
    const double x = abb.xVon(punkt.datum);
    const double links = std::clamp(x - groesse.width() / 2, rahmen.left(),
                                     std::max(rahmen.left(), rahmen.right() - groesse.width()));
    const double oben = std::clamp(abb.flaeche.top() - kartenabstand - groesse.height(), rahmen.top(),
                                   std::max(rahmen.top(), rahmen.bottom() - groesse.height()));
    const QRectF karte(QPointF(links, oben), groesse);

    QPainterPath form;
    form.addRoundedRect(karte.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    maler.fillPath(form, mitDeckkraft(palette.color(QPalette::Window), 0.92));
    maler.setPen(QPen(mitDeckkraft(farben.primaer, 0.12), 1));
    maler.setBrush(Qt::NoBrush);
    maler.drawPath(form);

    const Lage lage = daten.lageVon(punkt);
    double y = karte.top() + 8;
    const double textLinks = karte.left() + 10;
    maler.setFont(klein);
    maler.setPen(farben.sekundaer);
    maler.drawText(QRectF(textLinks, y, inhaltBreite, kleinMasse.height()), Qt::AlignLeft | Qt::AlignVCenter, datum);
    y += kleinMasse.height() + 3;
    maler.setFont(betont);
    maler.setPen(farben.primaer);
    maler.drawText(QRectF(textLinks, y, inhaltBreite, betontMasse.height()), Qt::AlignLeft | Qt::AlignVCenter, wert);
    y += betontMasse.height() + 3;
    const QColor lagefarbe = farben.fuer(lage);
    const qreal verhaeltnis = maler.device() != nullptr ? maler.device()->devicePixelRatioF() : 1.0;
    maler.drawPixmap(QPointF(textLinks, y),
                     Symbol::bild(qtText(Wertentwicklung::symbolname(lage)), lagefarbe,
                                  static_cast<int>(std::lround(symbolseite)), verhaeltnis));
    maler.setFont(klein);
    maler.setPen(lagefarbe);
    maler.drawText(QRectF(textLinks + symbolseite + 4, y, inhaltBreite, kleinMasse.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, abstandText);
}

} // namespace

double Wertdiagramm::Abbildung::xVon(Zeitpunkt datum) const {
    const double spanne = std::chrono::duration<double>(x.bis - x.von).count();
    const double anteil = std::chrono::duration<double>(datum - x.von).count() / spanne;
    return flaeche.left() + anteil * flaeche.width();
}

double Wertdiagramm::Abbildung::yVon(double wert) const {
    return flaeche.bottom() - (wert - y.von) / (y.bis - y.von) * flaeche.height();
}

Zeitpunkt Wertdiagramm::Abbildung::datumAn(double px) const {
    const double anteil = flaeche.width() > 0 ? (px - flaeche.left()) / flaeche.width() : 0;
    const double spanne = std::chrono::duration<double>(x.bis - x.von).count();
    return x.von + std::chrono::round<Zeitpunkt::duration>(std::chrono::duration<double>(anteil * spanne));
}

Wertdiagramm::Wertdiagramm(const Wertentwicklung& daten, QWidget* eltern) : QWidget(eltern), daten_(daten) {
    Wertdiagrammzugang::installiere();
    setObjectName(QStringLiteral("wertdiagramm"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(150);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void Wertdiagramm::zeige(const Wertentwicklung& daten) {
    daten_ = daten;
    verwirfGrund();
    Wertdiagrammzugang::meldeNeueDaten(this);
}

void Wertdiagramm::setzeAuswahl(std::optional<Zeitpunkt> auswahl) {
    if (auswahl == auswahl_) {
        return;
    }
    auswahl_ = auswahl;
    update();
}

std::optional<std::size_t> Wertdiagramm::ausgewaehlterIndex() const {
    const std::optional<Kurvenpunkt> gewaehlt = daten_.ausgewaehlterPunkt(auswahl_);
    if (!gewaehlt) {
        return std::nullopt;
    }
    const auto& punkte = daten_.punkte();
    const auto stelle = std::find_if(punkte.begin(), punkte.end(), [&](const Kurvenpunkt& punkt) {
        return punkt.id == gewaehlt->id && punkt.datum == gewaehlt->datum;
    });
    return static_cast<std::size_t>(stelle - punkte.begin());
}

void Wertdiagramm::waehlePunkt(std::size_t index) {
    setzeAuswahl(daten_.punkte()[index].datum);
    Wertdiagrammzugang::meldeAuswahl(this, static_cast<int>(index));
}

void Wertdiagramm::verwirfGrund() {
    grund_ = QPixmap();
    abbildung_.reset();
    update();
}

Wertdiagramm::Abbildung Wertdiagramm::abbildung() const {
    if (!abbildung_) {
        abbildung_ = abbildung(QRectF(rect()), daten_, font());
    }
    return *abbildung_;
}

QSize Wertdiagramm::sizeHint() const {
    return {480, 240};
}

QSize Wertdiagramm::minimumSizeHint() const {
    return {160, 150};
}

Wertdiagramm::Abbildung Wertdiagramm::abbildung(const QRectF& rahmen, const Wertentwicklung& daten,
                                                const QFont& schrift) {
    const QFontMetricsF masse(Schriftstil::beschriftung(schrift));
    std::vector<Abbildung::Wertmarke> marken;
    double breiteste = 0;
    for (const auto& wert : daten.yAchsenWerte()) {
        marken.push_back({wert.lage, qtText(daten.yBeschriftung(wert))});
        breiteste = std::max(breiteste, masse.horizontalAdvance(marken.back().text));
    }
    const double links = breiteste + abstand;
    const double rechts = masse.horizontalAdvance(einsatzText()) + abstand;
    const double unten = masse.height() + markenlaenge;
    // Room for the upper half of a value label at the plot's top edge.
    const double oben = masse.height() / 2;
    const QRectF flaeche = rahmen.adjusted(links, oben, -rechts, -unten);
    return {flaeche.isValid() ? flaeche : QRectF(rahmen.topLeft(), QSizeF(1, 1)), daten.xBereich(),
            daten.yBereich(), std::move(marken)};
}

std::vector<Wertdiagramm::Achsenbeschriftung> Wertdiagramm::xBeschriftungen(const QRectF& rahmen,
                                                                            const Abbildung& abb,
                                                                            const Wertentwicklung& daten,
                                                                            const QFont& schrift) {
    const QFontMetricsF masse(Schriftstil::beschriftung(schrift));
    const std::vector<Zeitpunkt> achsenwerte = daten.xAchsenWerte();
    std::vector<Achsenbeschriftung> beschriftungen;
    // From the newest backwards, so that the newest date is the one that always shows.
    for (auto datum = achsenwerte.rbegin(); datum != achsenwerte.rend(); ++datum) {
        const QString text = qtText(daten.achsendatum(*datum));
        const double breite = std::ceil(masse.horizontalAdvance(text));
        const double links = std::clamp(abb.xVon(*datum) - breite / 2, rahmen.left(),
                                        std::max(rahmen.left(), rahmen.right() - breite));
        const QRectF feld(links, abb.flaeche.bottom() + markenlaenge, breite, masse.height());
        if (!beschriftungen.empty() && feld.right() + datumsluecke > beschriftungen.back().rahmen.left()) {
            continue;
        }
        beschriftungen.push_back({feld, text});
    }
    std::reverse(beschriftungen.begin(), beschriftungen.end());
    return beschriftungen;
}

void Wertdiagramm::zeichne(QPainter& maler, const QRectF& rahmen, const Wertentwicklung& daten,
                           std::optional<Zeitpunkt> auswahl, const QPalette& palette, const QFont& schrift) {
    const Abbildung abb = abbildung(rahmen, daten, schrift);
    zeichneGrund(maler, rahmen, abb, daten, palette, schrift);
    zeichneAuswahl(maler, rahmen, abb, daten, auswahl, palette, schrift);
}

void Wertdiagramm::zeichneGrund(QPainter& maler, const QRectF& rahmen, const Abbildung& abb,
                                const Wertentwicklung& daten, const QPalette& palette, const QFont& schrift) {
    const Farben farben(palette);
    maler.save();
    maler.setRenderHint(QPainter::Antialiasing);

    QPainterPath hintergrund;
    hintergrund.addRoundedRect(abb.flaeche, 10, 10);
    fuelleInBaendern(maler, hintergrund, mitDeckkraft(farben.primaer, 0.035));
    zeichneAchsen(maler, rahmen, abb, daten, farben, schrift);

    // The marks stay inside the plot; only labels and the card lie beside it.
    maler.setClipRect(abb.flaeche);
    zeichneFlaechen(maler, abb, daten, farben);
    if (daten.punkte().size() == 1) {
        zeichneBalken(maler, abb, daten, farben);
    }
    QPen regel(mitDeckkraft(farben.primaer, 0.45), 1);
    regel.setDashPattern({5, 4});
    maler.setPen(regel);
    const double linie = abb.yVon(daten.linie());
    maler.drawLine(QPointF(abb.flaeche.left(), linie), QPointF(abb.flaeche.right(), linie));
    zeichneKurve(maler, abb, daten, farben);
    maler.restore();
}

void Wertdiagramm::zeichneAuswahl(QPainter& maler, const QRectF& rahmen, const Abbildung& abb,
                                  const Wertentwicklung& daten, std::optional<Zeitpunkt> auswahl,
                                  const QPalette& palette, const QFont& schrift) {
    const std::optional<Kurvenpunkt> gewaehlt = daten.ausgewaehlterPunkt(auswahl);
    if (!gewaehlt) {
        return;
    }
    const Farben farben(palette);
    maler.save();
    maler.setRenderHint(QPainter::Antialiasing);
    const double x = abb.xVon(gewaehlt->datum);
    maler.setPen(QPen(mitDeckkraft(farben.primaer, 0.25), 1));
    maler.drawLine(QPointF(x, abb.flaeche.top()), QPointF(x, abb.flaeche.bottom()));
    zeichneKarte(maler, rahmen, abb, daten, *gewaehlt, palette, farben, schrift);
    maler.restore();
}

void Wertdiagramm::paintEvent(QPaintEvent*) {
    const qreal verhaeltnis = devicePixelRatioF();
    const QSize pixel = (QSizeF(size()) * verhaeltnis).toSize();
    if (grund_.size() != pixel || grund_.devicePixelRatio() != verhaeltnis) {
        grund_ = QPixmap(pixel);
        grund_.setDevicePixelRatio(verhaeltnis);
        grund_.fill(Qt::transparent);
        QPainter maler(&grund_);
        zeichneGrund(maler, QRectF(rect()), abbildung(), daten_, palette(), font());
    }
    QPainter maler(this);
    maler.drawPixmap(0, 0, grund_);
    const Abbildung abb = abbildung();
    zeichneAuswahl(maler, QRectF(rect()), abb, daten_, auswahl_, palette(), font());
    if (hasFocus()) {
        // The focus ring around the plot, in the colour that marks the focus elsewhere too.
        maler.setRenderHint(QPainter::Antialiasing);
        maler.setPen(QPen(palette().color(QPalette::Highlight), 2));
        maler.setBrush(Qt::NoBrush);
        maler.drawRoundedRect(abb.flaeche.adjusted(-1, -1, 1, 1), 11, 11);
    }
}

void Wertdiagramm::waehleAn(double x) {
    const Abbildung abb = abbildung();
    if (x < abb.flaeche.left() || x > abb.flaeche.right()) {
        setzeAuswahl(std::nullopt);
        return;
    }
    setzeAuswahl(abb.datumAn(x));
}

void Wertdiagramm::mouseMoveEvent(QMouseEvent* ereignis) {
    waehleAn(ereignis->position().x());
    QWidget::mouseMoveEvent(ereignis);
}

void Wertdiagramm::mousePressEvent(QMouseEvent* ereignis) {
    waehleAn(ereignis->position().x());
    QWidget::mousePressEvent(ereignis);
}

void Wertdiagramm::leaveEvent(QEvent* ereignis) {
    setzeAuswahl(std::nullopt);
    QWidget::leaveEvent(ereignis);
}

void Wertdiagramm::keyPressEvent(QKeyEvent* ereignis) {
    const auto& punkte = daten_.punkte();
    if (punkte.empty()) {
        QWidget::keyPressEvent(ereignis);
        return;
    }
    const std::size_t letzter = punkte.size() - 1;
    const std::optional<std::size_t> gewaehlt = ausgewaehlterIndex();
    switch (ereignis->key()) {
    case Qt::Key_Left:
        // Without a selection the way back starts at the newest point.
        waehlePunkt(gewaehlt ? (*gewaehlt > 0 ? *gewaehlt - 1 : 0) : letzter);
        return;
    case Qt::Key_Right:
        waehlePunkt(gewaehlt ? std::min(*gewaehlt + 1, letzter) : 0);
        return;
    case Qt::Key_Home:
        waehlePunkt(0);
        return;
    case Qt::Key_End:
        waehlePunkt(letzter);
        return;
    case Qt::Key_Escape:
        // Nothing to clear: Escape goes on to whatever else answers it.
        if (auswahl_) {
            setzeAuswahl(std::nullopt);
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(ereignis);
}

void Wertdiagramm::focusInEvent(QFocusEvent* ereignis) {
    update();
    QWidget::focusInEvent(ereignis);
}

void Wertdiagramm::focusOutEvent(QFocusEvent* ereignis) {
    update();
    QWidget::focusOutEvent(ereignis);
}

void Wertdiagramm::resizeEvent(QResizeEvent* ereignis) {
    verwirfGrund();
    QWidget::resizeEvent(ereignis);
}

void Wertdiagramm::changeEvent(QEvent* ereignis) {
    switch (ereignis->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        verwirfGrund();
        break;
    default:
        break;
    }
    QWidget::changeEvent(ereignis);
}

} // namespace qb
