#include "app/Iconmotivbild.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace qb {

namespace {

constexpr double segmentschritt = 72;
constexpr double luecke = 1.5; // half the gap, at each end of a segment
constexpr double einheit = 0.2178;
constexpr double ringradius = 0.315;
constexpr double ringbreite = 0.108;
constexpr double strahlbreite = 0.042;
constexpr double punktdurchmesser = 0.062;

// The ray in units of the motif, y pointing up.
constexpr std::array<std::array<double, 2>, 4> strahlmuster{{{-0.62, -0.34}, {-0.2, 0.06}, {0.14, -0.16}, {0.6, 0.42}}};

double begrenzt(double wert) {
    return std::clamp(wert, 0.0, 1.0);
}

double abstand(const QPointF& a, const QPointF& b) {
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

} // namespace

Iconmotivbild::Bogen Iconmotivbild::segment(int nummer) {
    return {segmentschritt * nummer + luecke - 90, segmentschritt * (nummer + 1) - luecke - 90};
}

double Iconmotivbild::segmentanteil(int nummer, double ring) {
    return begrenzt(segmentanzahl * ring - nummer);
}

Iconmotivbild::Bogen Iconmotivbild::gezeichneterBogen(int nummer) const {
    const Bogen ganz = segment(nummer);
    return {ganz.vonGrad, ganz.vonGrad + (ganz.bisGrad - ganz.vonGrad) * segmentanteil(nummer, ring_)};
}

QColor Iconmotivbild::segmentfarbe(int nummer) {
    static const std::array<QColor, segmentanzahl> farben{QColor(90, 160, 255), QColor(78, 205, 214),
                                                          QColor(108, 214, 148), QColor(240, 196, 92),
                                                          QColor(168, 222, 116)};
    return farben.at(static_cast<std::size_t>(nummer));
}

std::vector<QPointF> Iconmotivbild::strahlpunkte(QSizeF groesse) {
    const double seite = std::min(groesse.width(), groesse.height());
    const QPointF mitte(groesse.width() * 0.5, groesse.height() * 0.5);
    std::vector<QPointF> punkte;
    for (const auto& [x, y] : strahlmuster) {
        punkte.emplace_back(mitte.x() + seite * einheit * x, mitte.y() - seite * einheit * y);
    }
    return punkte;
}

std::vector<QPointF> Iconmotivbild::gekuerzt(const std::vector<QPointF>& punkte, double anteil) {
    if (punkte.size() < 2 || anteil >= 1) {
        return punkte;
    }
    double gesamt = 0;
    for (std::size_t i = 1; i < punkte.size(); ++i) {
        gesamt += abstand(punkte[i - 1], punkte[i]);
    }
    double rest = gesamt * begrenzt(anteil);
    std::vector<QPointF> ergebnis{punkte.front()};
    for (std::size_t i = 1; i < punkte.size(); ++i) {
        const double strecke = abstand(punkte[i - 1], punkte[i]);
        if (rest >= strecke) {
            ergebnis.push_back(punkte[i]);
            rest -= strecke;
            continue;
        }
        if (rest > 0) {
            ergebnis.push_back(punkte[i - 1] + (punkte[i] - punkte[i - 1]) * (rest / strecke));
        }
        break;
    }
    return ergebnis;
}

void Iconmotivbild::zeichne(QPainter& maler, const QRectF& rahmen) const {
    const double seite = std::min(rahmen.width(), rahmen.height());
    if (seite <= 0) {
        return;
    }
    maler.save();
    maler.setRenderHint(QPainter::Antialiasing);
    maler.translate(rahmen.topLeft());
    maler.setBrush(Qt::NoBrush);
    const QPointF mitte(rahmen.width() * 0.5, rahmen.height() * 0.5);

    const double radius = seite * ringradius;
    const QRectF kreis(mitte.x() - radius, mitte.y() - radius, 2 * radius, 2 * radius);
    for (int nummer = 0; nummer < segmentanzahl; ++nummer) {
        const Bogen bogen = gezeichneterBogen(nummer);
        if (bogen.bisGrad <= bogen.vonGrad) {
            continue;
        }
        QPen stift(segmentfarbe(nummer), seite * ringbreite, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        stift.setMiterLimit(10);
        maler.setPen(stift);
        // Qt counts angles counter-clockwise on screen, the motif clockwise.
        QPainterPath pfad;
        pfad.arcMoveTo(kreis, -bogen.vonGrad);
        pfad.arcTo(kreis, -bogen.vonGrad, -(bogen.bisGrad - bogen.vonGrad));
        maler.drawPath(pfad);
    }

    const std::vector<QPointF> punkte = strahlpunkte(rahmen.size());
    const std::vector<QPointF> strahl = gekuerzt(punkte, strahl_);
    if (strahl_ > 0 && strahl.size() >= 2) {
        QPen stift(Qt::white, seite * strahlbreite, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        stift.setMiterLimit(10);
        maler.setPen(stift);
        QPainterPath pfad(strahl.front());
        for (std::size_t i = 1; i < strahl.size(); ++i) {
            pfad.lineTo(strahl[i]);
        }
        maler.drawPath(pfad);
    }

    if (punkt_ > 0 && !punkte.empty()) {
        const double radiusPunkt = seite * punktdurchmesser * punkt_ / 2;
        maler.setPen(Qt::NoPen);
        maler.setBrush(Qt::white);
        maler.drawEllipse(punkte.back(), radiusPunkt, radiusPunkt);
    }
    maler.restore();
}

} // namespace qb
