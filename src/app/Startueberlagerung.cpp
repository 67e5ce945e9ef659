#include "app/Startueberlagerung.h"

#include <QEasingCurve>
#include <QEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include "app/Startanimation.h"

namespace qb {

namespace {

constexpr int ausblendMs = 350;

} // namespace

Startueberlagerung* Startueberlagerung::lege(QWidget* fenster) {
    if (fenster == nullptr || bewegungReduziert(fenster)) {
        return nullptr;
    }
    auto* ueberlagerung = new Startueberlagerung(fenster);
    ueberlagerung->show();
    return ueberlagerung;
}

bool Startueberlagerung::bewegungReduziert(const QWidget* fenster) {
    return fenster->style()->styleHint(QStyle::SH_Widget_Animation_Duration, nullptr, fenster) <= 0;
}

Startueberlagerung::Startueberlagerung(QWidget* fenster)
    : QWidget(fenster), fenster_(fenster), animation_(new Startanimation(this)) {
    setObjectName(QStringLiteral("startueberlagerung"));
    auto* fuellung = new QVBoxLayout(this);
    fuellung->setContentsMargins(0, 0, 0, 0);
    fuellung->addWidget(animation_);
    setGeometry(fenster->rect());
    raise();
    fenster->installEventFilter(this);
    connect(animation_, &Startanimation::fertig, this, &Startueberlagerung::blendeAus);
}

bool Startueberlagerung::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == fenster_) {
        switch (ereignis->type()) {
        case QEvent::Resize:
            setGeometry(fenster_->rect());
            break;
        case QEvent::ChildAdded:
            // Content the window builds later must stay beneath the animation.
            QMetaObject::invokeMethod(this, &QWidget::raise, Qt::QueuedConnection);
            break;
        case QEvent::StyleChange:
            if (bewegungReduziert(fenster_)) {
                // Motion turned off while the animation runs: gone at once, without the fade.
                hide();
                deleteLater();
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(objekt, ereignis);
}

void Startueberlagerung::blendeAus() {
    if (ausblendung_ != nullptr) {
        return;
    }
    // The window beneath is usable while the covering fades.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    animation_->setAttribute(Qt::WA_TransparentForMouseEvents);
    ausblendung_ = new QVariantAnimation(this);
    ausblendung_->setStartValue(1.0);
    ausblendung_->setEndValue(0.0);
    ausblendung_->setDuration(ausblendMs);
    QEasingCurve verlauf(QEasingCurve::BezierSpline);
    verlauf.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    ausblendung_->setEasingCurve(verlauf);
    connect(ausblendung_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& wert) { animation_->setzeDeckkraft(wert.toDouble()); });
    connect(ausblendung_, &QVariantAnimation::finished, this, &QObject::deleteLater);
    ausblendung_->start();
}

} // namespace qb
