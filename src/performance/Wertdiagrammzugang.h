#pragma once

#include <QAccessibleWidget>
#include <QList>

namespace qb {

class Wertdiagramm;

// The value chart for a screen reader: one chart element named "Wertentwicklung des
// Portfolios" whose value is the chart's summary, with one child per point that carries the
// point's date as name and its point text as value. The points are no widgets, so the children
// are interfaces of their own, made on first request and dropped with the chart.
class Wertdiagrammzugang : public QAccessibleWidget {
public:
    explicit Wertdiagrammzugang(Wertdiagramm* diagramm);
    ~Wertdiagrammzugang() override;

    // Makes Qt ask this class for every Wertdiagramm; once per program is enough.
    static void installiere();
    // Tells assistive technology that the chart's points and summary have changed.
    static void meldeNeueDaten(Wertdiagramm* diagramm);
    // Tells assistive technology that the keyboard moved the selection to the point at `index`.
    static void meldeAuswahl(Wertdiagramm* diagramm, int index);

    QString text(QAccessible::Text art) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* kind) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    // The selected point while the chart has focus.
    QAccessibleInterface* focusChild() const override;

private:
    Wertdiagramm* diagramm() const;

    mutable QList<QAccessible::Id> kinder_;
};

} // namespace qb
