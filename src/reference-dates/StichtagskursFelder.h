#pragma once

#include <functional>

#include <QWidget>

#include "model/Assetklasse.h"
#include "reference-dates/Stichtagsentwurf.h"
#include "sources/Kursdienst.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace qb {

class Hinweiszeile;
class KurseingabeFelder;

// One row of the capture sheet: the taken-over quote with "Selbst eintragen", or the price
// fields of the row followed by its comparison line, warnings and buttons. It owns nothing of
// the draft: every change goes out through `aendern`, and the sheet hands the changed draft
// back with zeige(). Everything is updated in place, so focus and typed text survive answers
// that arrive while the user types. A button that has done its work goes, and its focus stays
// in the row: in the price field, or on "Selbst eintragen" once the row shows a taken-over
// quote.
class StichtagskursFelder : public QWidget {
    Q_OBJECT

public:
    // Changes the sheet's draft, which then shows it again in every row.
    using Aenderung = std::function<void(const std::function<void(Stichtagsentwurf&)>&)>;

    StichtagskursFelder(const Stichtagsentwurf& entwurf, Assetklasse klasse, Kursdienst dienst, Aenderung aendern,
                        QWidget* eltern = nullptr);

    // Shows the row of the class as the draft has it now.
    void zeige(const Stichtagsentwurf& entwurf);

    Assetklasse klasse() const { return klasse_; }

    // Puts the cursor into the row's price field, where the group types the price from its
    // terminal; nothing when the row shows a taken-over quote.
    void fokussiereKurs();

private:
    void aendere(const std::function<void(Stichtagsentwurf&, Assetklasse)>& schritt);
    void zeigeWarnungen(const std::vector<QString>& texte);
    // Hides `teil`; when it holds the focus, `nachher` takes it first. Qt would hand it on through
    // the tab order, to the next row's picker, and scroll the sheet there.
    void verberge(QWidget* teil, const std::function<void()>& nachher);

    Assetklasse klasse_;
    Aenderung aendern_;

    QWidget* uebernommen_;
    Hinweiszeile* uebernommenText_;
    QPushButton* selbst_;
    QWidget* eingabe_;
    KurseingabeFelder* felder_;
    QWidget* geholtZeile_;
    QLabel* status_;
    QVBoxLayout* warnungen_;
    QPushButton* uebernehmen_;
    QPushButton* erneut_;
};

} // namespace qb
