#include "performance/Lageplakette.h"

#include <cmath>

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "performance/Wertentwicklung.h"

namespace qb {

namespace {

constexpr int innenWaagerecht = 12;
constexpr int innenSenkrecht = 7;
constexpr int zwischenraum = 7;

} // namespace

Lageplakette::Lageplakette(Lage lage, QWidget* eltern) : QWidget(eltern), lage_(lage) {
    setObjectName(QStringLiteral("lageplakette"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text());
}

void Lageplakette::setzeLage(Lage lage) {
    if (lage == lage_) {
        return;
    }
    lage_ = lage;
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString Lageplakette::text() const {
    return qtText(Wertentwicklung::plakettentext(lage_));
}

QFont Lageplakette::schrift() const {
    QFont schrift = Schriftstil::hervorhebung(font());
    schrift.setWeight(QFont::Medium);
    return schrift;
}

QColor Lageplakette::farbe() const {
    switch (lage_) {
    case Lage::ueberEinsatz:
        return Signalfarbe::gewinn.fuer(palette());
    case Lage::unterEinsatz:
        return Signalfarbe::verlust.fuer(palette());
    case Lage::aufEinsatz:
        break;
    }
    return Vordergrund::sekundaer().fuer(palette());
}

QSize Lageplakette::sizeHint() const {
    const QFontMetricsF masse(schrift());
    const double symbol = masse.height();
    const double breite = symbol + zwischenraum + masse.horizontalAdvance(text()) + 2 * innenWaagerecht;
    const double hoehe = masse.height() + 2 * innenSenkrecht;
    return {static_cast<int>(std::ceil(breite)), static_cast<int>(std::ceil(hoehe))};
}

void Lageplakette::paintEvent(QPaintEvent*) {
    const QColor lagefarbe = farbe();
    QPainter maler(this);
    maler.setRenderHint(QPainter::Antialiasing);
    const QRectF kapsel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = kapsel.height() / 2;
    QPainterPath form;
    form.addRoundedRect(kapsel, radius, radius);
    QColor fuellung = lagefarbe;
    fuellung.setAlphaF(0.12F);
    maler.fillPath(form, fuellung);
    QColor rand = lagefarbe;
    rand.setAlphaF(0.3F);
    maler.setPen(QPen(rand, 1));
    maler.drawPath(form);

    const QFont textschrift = schrift();
    const QFontMetricsF masse(textschrift);
    const double seite = masse.height();
    const double oben = (height() - seite) / 2;
    maler.drawPixmap(QPointF(innenWaagerecht, oben),
                     Symbol::bild(qtText(Wertentwicklung::symbolname(lage_)), lagefarbe,
                                  static_cast<int>(std::lround(seite)), devicePixelRatioF()));
    maler.setFont(textschrift);
    maler.setPen(lagefarbe);
    maler.drawText(QRectF(innenWaagerecht + seite + zwischenraum, oben, width(), seite),
                   Qt::AlignLeft | Qt::AlignVCenter, text());
}

void Lageplakette::changeEvent(QEvent* ereignis) {
    if (ereignis->type() == QEvent::FontChange) {
        updateGeometry();
    }
    if (ereignis->type() == QEvent::PaletteChange || ereignis->type() == QEvent::FontChange) {
        update();
    }
    QWidget::changeEvent(ereignis);
}

} // namespace qb
