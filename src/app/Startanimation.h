#pragma once

#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include "app/Iconmotivbild.h"

class QVariantAnimation;

namespace qb {

// The icon motif playing once on a dark blue gradient: the ring closes (0.9 s), the ray climbs
// (0.6 s), the dot pops up (0.55 s). A click ends it early. It reports its end exactly once,
// whether the end comes from the clock or from a click.
class Startanimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int dauerMs = 2050;

    explicit Startanimation(QWidget* eltern = nullptr);

    // The motif at a moment of the sequence, in seconds from its start.
    static Iconmotivbild bildNach(double sekunden);
    // The square the motif takes in a space: 0.62 × the smaller side, centred.
    static QRectF motivrahmen(QSizeF groesse);

    const Iconmotivbild& bild() const { return bild_; }
    // For the fade-out: the whole drawing at this opacity.
    void setzeDeckkraft(double deckkraft);

signals:
    void fertig();

protected:
    void showEvent(QShowEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;

private:
    void melde();

    QVariantAnimation* uhr_;
    Iconmotivbild bild_;
    double deckkraft_ = 1;
    bool gemeldet_ = false;
};

} // namespace qb
