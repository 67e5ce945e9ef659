#pragma once

#include <optional>
#include <vector>

#include <QRectF>
#include <QString>
#include <QWidget>

#include "performance/Wertentwicklung.h"

class QPainter;

namespace qb {

// The value chart: areas above and below the starting capital, the dashed starting-capital
// line, the value line with its points, the axes and the selection with its card. It draws what
// Wertentwicklung computes and nothing else; the pointer's date is its only state. Its points
// reach a screen reader as children of the chart (see Wertdiagrammzugang).
class Wertdiagramm : public QWidget {
    Q_OBJECT
public:
    // Where the plot lies in the widget and how dates and values map onto it.
    struct Abbildung {
        QRectF flaeche;
        Wertentwicklung::Bereich<Zeitpunkt> x;
        Wertentwicklung::Bereich<double> y;

        double xVon(Zeitpunkt datum) const;
        double yVon(double wert) const;
        QPointF stelle(Zeitpunkt datum, double wert) const { return {xVon(datum), yVon(wert)}; }
        Zeitpunkt datumAn(double x) const;
    };

    explicit Wertdiagramm(const Wertentwicklung& daten, QWidget* eltern = nullptr);

    // New inputs; a selection is kept.
    void zeige(const Wertentwicklung& daten);
    const Wertentwicklung& daten() const { return daten_; }

    std::optional<Zeitpunkt> auswahl() const { return auswahl_; }
    void setzeAuswahl(std::optional<Zeitpunkt> auswahl);

    Abbildung abbildung() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The whole chart into a rectangle of any paint device, in the palette's colours and
    // derived from the given font.
    static void zeichne(QPainter& maler, const QRectF& rahmen, const Wertentwicklung& daten,
                        std::optional<Zeitpunkt> auswahl, const QPalette& palette, const QFont& schrift);
    // The plot area inside a chart of that rectangle: what is left beside the axis labels.
    static Abbildung abbildung(const QRectF& rahmen, const Wertentwicklung& daten, const QFont& schrift);

    // One date label under the plot.
    struct Achsenbeschriftung {
        QRectF rahmen;
        QString text;
    };
    // The date labels that fit side by side: the newest always, an older one only where it
    // keeps clear of the labels after it. All lie inside `rahmen`.
    static std::vector<Achsenbeschriftung> xBeschriftungen(const QRectF& rahmen, const Abbildung& abb,
                                                           const Wertentwicklung& daten, const QFont& schrift);

protected:
    void paintEvent(QPaintEvent* ereignis) override;
    void mouseMoveEvent(QMouseEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;
    void leaveEvent(QEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    void waehleAn(double x);

    Wertentwicklung daten_;
    std::optional<Zeitpunkt> auswahl_;
};

} // namespace qb
