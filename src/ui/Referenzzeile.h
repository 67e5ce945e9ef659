#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "foundation/Kalender.h"
#include "ui/Referenzzeilentexte.h"
#include "valuation/Kurseingabe.h"
#include "model/Waehrungscode.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace qb {

class Hinweiszeile;

// The line about the ECB rate under a foreign rate field, for a rate state its caller hands
// in: fetching, the rate with "Übernehmen", or why there is none with "Erneut holen". The
// caller owns the input: it hands it in with setzeEingabe() and takes "Übernehmen" from
// eingabeGeaendert(). Every part is built once and updated in place. A button goes once it
// has done its work; one that has the focus asks for it to be put elsewhere first.
class Referenzzeile : public QWidget {
    Q_OBJECT
public:
    using Stand = Referenzzeilentexte::Stand;

    Referenzzeile(Waehrungscode code, std::optional<Zeitpunkt> referenztag, QWidget* eltern = nullptr);

    void setzeCode(Waehrungscode code);
    void setzeReferenztag(std::optional<Zeitpunkt> tag);
    void setzeStand(Stand stand);
    void setzeEingabe(const Kurseingabe& eingabe);
    // The retry; an empty function offers none.
    void setzeErneut(std::function<void()> erneut);
    // Said after the names of the buttons, where a sheet shows a line like this for several
    // positions: "EZB-Kurs übernehmen: Aktie".
    void setzeNamenszusatz(const std::optional<QString>& zusatz);

    const Stand& stand() const { return stand_; }

signals:
    // "Übernehmen" wrote the shown rate into the input.
    void eingabeGeaendert(const qb::Kurseingabe& eingabe);
    // A button that has the focus is about to go. Qt would hand the focus on to whatever comes
    // next in the tab order, perhaps another position's picker far down the sheet; the owner
    // puts it into its own field instead, and the button goes after that.
    void fokusFrei();

private:
    void zeige();
    void uebernehmen();

    Waehrungscode code_;
    std::optional<Zeitpunkt> referenztag_;
    Stand stand_;
    Kurseingabe eingabe_;
    std::function<void()> erneut_;

    QWidget* kurszeile_;
    QProgressBar* laedt_;
    QLabel* text_;
    QPushButton* uebernehmen_;
    Hinweiszeile* fehlt_;
    QPushButton* erneutHolen_;
};

} // namespace qb
