#pragma once

#include <QWidget>

#include "performance/Wertentwicklung.h"

class QBoxLayout;
class QLabel;
class QSpacerItem;

namespace qb {

class Hinweiszeile;
class Kennzahlenzeile;
class Lageplakette;
class Wertdiagramm;

// The whole chart view of the performance tab: the stand line with the Lage badge (side by side
// while they fit, else stacked), the chart, the hint about left-out reference dates, the key
// figures of the latest state and an optional footnote, all worked out by Wertentwicklung. It
// reads no store and starts no task.
class WertentwicklungAnsicht : public QWidget {
    Q_OBJECT
public:
    explicit WertentwicklungAnsicht(const Wertentwicklung& daten, QWidget* eltern = nullptr);

    // New inputs: redraws everything in the same widgets (nothing around loses focus).
    void zeige(const Wertentwicklung& daten);

    Wertdiagramm* diagramm() const { return diagramm_; }

protected:
    void resizeEvent(QResizeEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    void setzeSchriften();
    // Stand line and badge in one row while both fit the width, else one below the other.
    void ordneKopf();

    QBoxLayout* kopf_;
    QSpacerItem* kopfabstand_;
    QLabel* standzeile_;
    Lageplakette* plakette_;
    Wertdiagramm* diagramm_;
    Hinweiszeile* hinweis_;
    Kennzahlenzeile* kennzahlen_;
    QLabel* fussnote_;
};

} // namespace qb
