#pragma once

#include <QSize>

class QWidget;

namespace qb {

// A window's size at start and its smallest size on a given screen: the main window's, and a
// sheet's or question's over it. Both keep to the screen's available area (the screen less its
// panels), less room for the window's frame and title bar, which the program cannot measure
// before the window is shown: at a large scale factor the wished sizes would otherwise reach
// past the screen. Where the content wants more than that, it scrolls.
struct Fenstergroesse {
    QSize anfang;
    QSize minimum;

    // The room left for the frame and the title bar, in the screen's logical pixels.
    static constexpr QSize rahmen{16, 48};

    // `wunsch` for the start, `inhaltMinimum` as the smallest size, each cut down to what the
    // available area holds; an empty area (no screen known) cuts nothing.
    static Fenstergroesse fuer(QSize verfuegbar, QSize wunsch, QSize inhaltMinimum);
    // The available area of the screen `fenster` shows on, or will show on: a sheet not shown
    // yet opens on its parent's screen. Empty when no screen is known.
    static QSize verfuegbar(const QWidget& fenster);

    friend bool operator==(const Fenstergroesse&, const Fenstergroesse&) = default;
};

} // namespace qb
