#pragma once

#include <optional>
#include <vector>

#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>

#include "performance/Wertentwicklung.h"

class QPainter;

namespace qb {

// The value chart: areas above and below the starting capital, the dashed starting-capital
// line, the value line with its points, the axes and the selection with its card. It draws what
// Wertentwicklung computes and nothing else; the selected date is its only state. The pointer
// selects, and so do the keys while the chart has focus: the arrows step from point to point,
// Home and End go to the first and the last, Escape clears. Its points reach a screen reader as
// children of the chart (see Wertdiagrammzugang).
//
// Everything but the selection is drawn once into a picture at the screen's pixel ratio and
// drawn anew only for new inputs, a new size, palette, font or pixel ratio; a pointer moving
// over the chart only lays the selection's line and card over that picture.
class Wertdiagramm : public QWidget {
    Q_OBJECT
public:
    // Where the plot lies in the widget and how dates and values map onto it.
    struct Abbildung {
        // One value label of the y axis: where it lies and what it says.
        struct Wertmarke {
            double lage = 0;
            QString text;
        };

        QRectF flaeche;
        Wertentwicklung::Bereich<Zeitpunkt> x;
        Wertentwicklung::Bereich<double> y;
        // Measured to place the plot beside them, so kept for drawing them.
        std::vector<Wertmarke> yMarken;

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
    // The place in `punkte` of the selected point; none without a selection.
    std::optional<std::size_t> ausgewaehlterIndex() const;

    Abbildung abbildung() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The whole chart into a rectangle of any paint device, in the palette's colours and
    // derived from the given font: the ground, then the selection over it.
    static void zeichne(QPainter& maler, const QRectF& rahmen, const Wertentwicklung& daten,
                        std::optional<Zeitpunkt> auswahl, const QPalette& palette, const QFont& schrift);
    // What does not change with the selection: plot area, axes, areas, lines and points.
    static void zeichneGrund(QPainter& maler, const QRectF& rahmen, const Abbildung& abb,
                             const Wertentwicklung& daten, const QPalette& palette, const QFont& schrift);
    // The selected point's line and card; nothing without a selection.
    static void zeichneAuswahl(QPainter& maler, const QRectF& rahmen, const Abbildung& abb,
                               const Wertentwicklung& daten, std::optional<Zeitpunkt> auswahl,
                               const QPalette& palette, const QFont& schrift);
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
    void keyPressEvent(QKeyEvent* ereignis) override;
    void focusInEvent(QFocusEvent* ereignis) override;
    void focusOutEvent(QFocusEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    void waehleAn(double x);
    // Selects the point at that place from the keyboard and tells a screen reader.
    void waehlePunkt(std::size_t index);
    // Drops the picture and the plot's place; the next paint makes them anew.
    void verwirfGrund();

    Wertentwicklung daten_;
    std::optional<Zeitpunkt> auswahl_;
    QPixmap grund_;
    mutable std::optional<Abbildung> abbildung_;
};

} // namespace qb
