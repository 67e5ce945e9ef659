#pragma once

#include <QObject>
#include <QSize>

#include "ui/Fenstergroesse.h"

class QScrollArea;
class QWidget;

namespace qb {

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
