#include "app/Startanimation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QEasingCurve>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace qb {

namespace {

constexpr double ringSekunden = 0.9;
constexpr double strahlSekunden = 0.6;
// Response of the dot's spring; critically damped, so it settles without overshooting.
constexpr double federAntwort = 0.2;

double anteil(double sekunden, double beginn, double dauer) {
    return std::clamp((sekunden - beginn) / dauer, 0.0, 1.0);
}

double kurve(double fortschritt, QPointF erster, QPointF zweiter) {
    QEasingCurve verlauf(QEasingCurve::BezierSpline);
    verlauf.addCubicBezierSegment(erster, zweiter, QPointF(1, 1));
    return verlauf.valueForProgress(fortschritt);
}

double feder(double sekunden) {
    if (sekunden <= 0) {
        return 0;
    }
    const double omega = 2 * std::numbers::pi / federAntwort;
    return 1 - (1 + omega * sekunden) * std::exp(-omega * sekunden);
}

} // namespace

Startanimation::Startanimation(QWidget* eltern) : QWidget(eltern), uhr_(new QVariantAnimation(this)) {
    setObjectName(QStringLiteral("startanimation"));
    uhr_->setStartValue(0.0);
    uhr_->setEndValue(dauerMs / 1000.0);
    uhr_->setDuration(dauerMs);
    connect(uhr_, &QVariantAnimation::valueChanged, this, [this](const QVariant& wert) {
        bild_ = bildNach(wert.toDouble());
        update();
    });
    connect(uhr_, &QVariantAnimation::finished, this, &Startanimation::melde);
}

Iconmotivbild Startanimation::bildNach(double sekunden) {
    const double ring = kurve(anteil(sekunden, 0, ringSekunden), QPointF(0.42, 0), QPointF(0.58, 1));
    const double strahl = kurve(anteil(sekunden, ringSekunden, strahlSekunden), QPointF(0, 0), QPointF(0.58, 1));
    const double punkt = sekunden >= dauerMs / 1000.0 ? 1.0 : feder(sekunden - ringSekunden - strahlSekunden);
    return Iconmotivbild(ring, strahl, punkt);
}

QRectF Startanimation::motivrahmen(QSizeF groesse) {
    const double seite = 0.62 * std::min(groesse.width(), groesse.height());
    return QRectF((groesse.width() - seite) / 2, (groesse.height() - seite) / 2, seite, seite);
}

void Startanimation::setzeDeckkraft(double deckkraft) {
    deckkraft_ = deckkraft;
    update();
}

void Startanimation::showEvent(QShowEvent* ereignis) {
    QWidget::showEvent(ereignis);
    if (uhr_->state() == QAbstractAnimation::Stopped && !gemeldet_ && uhr_->currentTime() == 0) {
        uhr_->start();
    }
}

void Startanimation::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    maler.setOpacity(deckkraft_);
    QLinearGradient verlauf(0, 0, 0, height());
    verlauf.setColorAt(0, QColor(36, 52, 78));
    verlauf.setColorAt(1, QColor(18, 28, 45));
    maler.fillRect(rect(), verlauf);
    bild_.zeichne(maler, motivrahmen(size()));
}

void Startanimation::mousePressEvent(QMouseEvent* ereignis) {
    ereignis->accept();
    melde();
}

void Startanimation::melde() {
    if (gemeldet_) {
        return;
    }
    gemeldet_ = true;
    emit fertig();
}

} // namespace qb
