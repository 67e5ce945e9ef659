#pragma once

#include <variant>

#include "ui/Signalfarbe.h"

class QColor;
class QPalette;
class QWidget;

namespace qb {

// The foreground style a caller gives a text or a hint row: the primary, secondary or tertiary
// text colour of the palette, or a signal colour. Applied to a widget it follows light and dark
// by itself.
class Vordergrund {
public:
    static Vordergrund primaer() { return Vordergrund(Stufe::primaer); }
    static Vordergrund sekundaer() { return Vordergrund(Stufe::sekundaer); }
    static Vordergrund tertiaer() { return Vordergrund(Stufe::tertiaer); }
    // The palette's accent (its link colour, blue in light and dark), for marks that point
    // something out without warning about it.
    static Vordergrund akzent() { return Vordergrund(Stufe::akzent); }
    Vordergrund(const Signalfarbe& farbe) : fall_(farbe) {} // NOLINT: a signal colour is a style

    QColor fuer(const QPalette& palette) const;

    // Colours the widget's text (and the icons that draw with it) and keeps it right when the
    // palette changes between light and dark.
    static void setze(QWidget* widget, const Vordergrund& stil);

    friend bool operator==(const Vordergrund&, const Vordergrund&) = default;

private:
    enum class Stufe { primaer, sekundaer, tertiaer, akzent };
    explicit Vordergrund(Stufe stufe) : fall_(stufe) {}
    std::variant<Stufe, Signalfarbe> fall_;
};

} // namespace qb
