#pragma once

#include <QSize>

namespace qb {

// The window's size at start and its smallest size on a given screen. Both keep to the screen's
// available area (the screen less its panels), less room for the window's frame and title bar,
// which the program cannot measure before the window is shown: at a large scale factor the
// wished sizes would otherwise reach past the screen. Where the content wants more than that,
// it scrolls.
struct Fenstergroesse {
    QSize anfang;
    QSize minimum;

    // The room left for the frame and the title bar, in the screen's logical pixels.
    static constexpr QSize rahmen{16, 48};

    // `wunsch` for the start, `inhaltMinimum` as the smallest size, each cut down to what the
    // available area holds; an empty area (no screen known) cuts nothing.
    static Fenstergroesse fuer(QSize verfuegbar, QSize wunsch, QSize inhaltMinimum);

    friend bool operator==(const Fenstergroesse&, const Fenstergroesse&) = default;
};

} // namespace qb
