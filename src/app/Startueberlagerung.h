#pragma once

#include <QWidget>

class QVariantAnimation;

namespace qb {

class Startanimation;

// Lays the start animation over the whole window and takes it away again: after the
// animation's end or a click with a short fade, at once when the user turns motion off.
class Startueberlagerung : public QWidget {
    Q_OBJECT
public:
    // Lays the start animation over the whole window (a child covering `fenster`, resized with
    // it). Returns null and shows nothing when reduced motion is on.
    static Startueberlagerung* lege(QWidget* fenster);

    // Whether the user wants no motion: the window's style reports no widget animation, the
    // setting by which Qt's own widgets decide whether to animate.
    static bool bewegungReduziert(const QWidget* fenster);

    Startanimation* animation() const { return animation_; }

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    explicit Startueberlagerung(QWidget* fenster);
    void blendeAus();

    QWidget* fenster_;
    Startanimation* animation_;
    QVariantAnimation* ausblendung_ = nullptr;
};

} // namespace qb
