#pragma once

#include <QObject>
#include <QSize>

class QScrollArea;
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

// Keeps a sheet whose content scrolls in a QScrollArea at least as wide as that content needs,
// as far as the screen allows. A sheet of a fixed width scrolls its rows sideways once a larger
// font makes them wider, and the focus, in a field at a row's right end, pulls the page along:
// the sheet opens with the beginnings of its titles and texts cut off. The content's need is
// followed while the sheet is open, as rows come, go or grow; up and down it still scrolls.
class Blattbreite : public QObject {
public:
    // `blatt` is the sheet that holds `flaeche`, with its content already set, in its layout.
    Blattbreite(QWidget* blatt, QScrollArea* flaeche);

    // As Fenstergroesse::fuer, with both widths at least what the content needs. The area is
    // kept: a need that grows later widens the sheet within it, never narrower than `minimum`.
    Fenstergroesse fuer(QSize verfuegbar, QSize wunsch, QSize minimum);

    // The sheet's width at which its scrolled content shows whole beside the vertical scroll bar,
    // and whatever else its layout holds, such as the buttons, shows whole too.
    int noetig() const;

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    void folge();

    QWidget* blatt_;
    QScrollArea* flaeche_;
    QSize verfuegbar_;
    int grundbreite_ = 0;
};

} // namespace qb
