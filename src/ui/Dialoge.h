#pragma once

#include <QSize>
#include <QString>

class QMessageBox;
class QWidget;

namespace qb {

// An alert as the views use it: window-modal over `eltern`, title and message as plain text
// (a message may come from a source or from the user), deleted when it closes. The caller adds
// its buttons with their roles and object names, connects them, and opens it with open(),
// never exec(), so nothing waits in a nested event loop. It fits its screen: a message too long
// for it scrolls between the title and the buttons.
QMessageBox* neueMeldung(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname);

// The alert fits a screen's available area (see Fenstergroesse): a message too long for it
// scrolls above the buttons. An alert does it for the screen it opens on by itself.
void passeMeldungAn(QMessageBox* box, QSize verfuegbar);

// An alert with the single button "OK", already open.
QMessageBox* zeigeMeldung(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname);

// Tab walks the sheet's fields and buttons in the order its layouts show them: top to bottom,
// each row from left to right. Qt walks them in the order they were made, so a part made while
// the sheet is open, such as the ECB rate line of a currency just picked or a field made anew,
// would come after the sheet's buttons. A sheet calls it whenever its rows may have changed.
void ordneTabfolge(QWidget* blatt);

} // namespace qb
