#pragma once

#include <vector>

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace qb {

// The application's icon motif at one moment of the start animation: a ring of five coloured
// segments, a white price ray through four points and a white dot at its end, each drawn up to
// its own progress from 0 to 1. The geometry is plain so that it can be checked without
// painting.
class Iconmotivbild {
public:
    static constexpr int segmentanzahl = 5;

    // An arc in the widget's coordinates (y down): angles in degrees, 0 pointing right and
    // growing clockwise, so -90 points straight up.
    struct Bogen {
        double vonGrad = 0;
        double bisGrad = 0;
    };

    Iconmotivbild() = default;
    Iconmotivbild(double ring, double strahl, double punkt) : ring_(ring), strahl_(strahl), punkt_(punkt) {}

    double ring() const { return ring_; }
    double strahl() const { return strahl_; }
    double punkt() const { return punkt_; }

    // The whole segment: 69 degrees, with 3 degrees of gap to each neighbour, clockwise from
    // the top.
    static Bogen segment(int nummer);
    // How much of a segment is drawn at a ring progress: the segments close one after another,
    // each during its fifth of the ring's progress.
    static double segmentanteil(int nummer, double ring);
    // The drawn part of a segment at this moment, from its start.
    Bogen gezeichneterBogen(int nummer) const;
    static QColor segmentfarbe(int nummer);

    // The ray's four points in a space of that size (the motif's unit is 0.2178 × the smaller side).
    static std::vector<QPointF> strahlpunkte(QSizeF groesse);
    // The polyline cut off after a share of its length.
    static std::vector<QPointF> gekuerzt(const std::vector<QPointF>& punkte, double anteil);

    // Draws the motif centred in the rectangle.
    void zeichne(QPainter& maler, const QRectF& rahmen) const;

private:
    double ring_ = 0;
    double strahl_ = 0;
    double punkt_ = 0;
};

} // namespace qb
