#include "ui/Vordergrund.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPalette>
#include <QPointer>
#include <QWidget>

namespace qb {

namespace {

QColor gemischt(const QColor& text, const QColor& grund, double anteilText) {
    return QColor::fromRgbF(static_cast<float>(text.redF() * anteilText + grund.redF() * (1 - anteilText)),
                            static_cast<float>(text.greenF() * anteilText + grund.greenF() * (1 - anteilText)),
                            static_cast<float>(text.blueF() * anteilText + grund.blueF() * (1 - anteilText)));
}

// Re-applies the style whenever the widget's palette changes from outside (light/dark switch)
// and when it moves to another parent.
class Faerber : public QObject {
public:
    Faerber(QWidget* widget, Vordergrund stil) : QObject(widget), widget_(widget), stil_(std::move(stil)) {}

    void setzeStil(Vordergrund stil) {
        stil_ = std::move(stil);
        wendeAn();
    }

    void wendeAn() {
        if (!widget_) {
            return;
        }
        // A text laid out on a button inherits the button's background role and so paints in
        // its button-text colour, which this style leaves alone (see fuer). The window's roles
        // let it, and whatever it holds, draw in the colour set here; a button keeps its own.
        if (widget_->backgroundRole() == QPalette::Button && qobject_cast<QAbstractButton*>(widget_) == nullptr) {
            widget_->setBackgroundRole(QPalette::Window);
        }
        QPalette palette = widget_->palette();
        const QColor farbe = stil_.fuer(palette);
        if (palette.color(QPalette::WindowText) == farbe && palette.color(QPalette::Text) == farbe) {
            return; // setting an equal palette again would only send the next PaletteChange
        }
        palette.setColor(QPalette::WindowText, farbe);
        palette.setColor(QPalette::Text, farbe);
        widget_->setPalette(palette);
    }

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override {
        if (objekt == widget_ &&
            (ereignis->type() == QEvent::PaletteChange || ereignis->type() == QEvent::ParentChange)) {
            wendeAn();
        }
        return false;
    }

private:
    QPointer<QWidget> widget_;
    Vordergrund stil_;
};

// The widget's own colourer, if it has one. Faerber has no meta-object of its own, so
// findChild<Faerber*> would take any child object for one: ask the C++ type instead.
Faerber* faerberVon(QWidget* widget) {
    for (QObject* kind : widget->children()) {
        if (auto* faerber = dynamic_cast<Faerber*>(kind)) {
            return faerber;
        }
    }
    return nullptr;
}

} // namespace

QColor Vordergrund::fuer(const QPalette& palette) const {
    if (const auto* farbe = std::get_if<Signalfarbe>(&fall_)) {
        return farbe->fuer(palette);
    }
    // The palette's own window text may already carry a signal colour set on this widget, so
    // the greys start from the palette's button text, which nobody here recolours.
    const QColor text = palette.color(QPalette::Active, QPalette::ButtonText);
    const QColor grund = palette.color(QPalette::Window);
    switch (std::get<Stufe>(fall_)) {
    case Stufe::primaer:
        return text;
    case Stufe::sekundaer:
        return gemischt(text, grund, 0.62);
    case Stufe::tertiaer:
        return gemischt(text, grund, 0.42);
    case Stufe::akzent:
        return palette.color(QPalette::Active, QPalette::Link);
    }
    return text;
}

void Vordergrund::setze(QWidget* widget, const Vordergrund& stil) {
    auto* faerber = faerberVon(widget);
    if (faerber == nullptr) {
        faerber = new Faerber(widget, stil);
        widget->installEventFilter(faerber);
        faerber->wendeAn();
    } else {
        faerber->setzeStil(stil);
    }
}

} // namespace qb
