#pragma once

#include <memory>

#include <QPointer>
#include <QScrollArea>

#include "app/Einstellungen.h"

class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QVBoxLayout;

namespace qb {

class Datumsfeld;
class Hinweiszeile;
class Modellbeobachter;
class Tageswechsel;
class Portfolio;
class Zahleneingabe;

// The "Einstellungen" tab: group name, entry date and starting capital, each taken over only
// by its own button; the state of the game in four counts; the reset of the game after a
// confirmation; and the footer with version and rights. The rules are Einstellungen's; this
// view shows them and forwards the user's actions.
class EinstellungenAnsicht : public QScrollArea {
    Q_OBJECT
public:
    EinstellungenAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, QWidget* eltern = nullptr);

    const Einstellungen& einstellungen() const { return einstellungen_; }

protected:
    void showEvent(QShowEvent* ereignis) override;

private:
    QGroupBox* baueGruppe();
    QGroupBox* baueEinstieg();
    QGroupBox* baueStartkapital();
    QGroupBox* baueStand();
    QGroupBox* baueNeuesSpiel();
    QWidget* baueMeldungszeile();
    QWidget* baueFusszeile();

    // Puts the loaded values into the fields.
    void fuelleFelder();
    // Enabled flags, warnings, counts and the message from the record and the edited values.
    void aktualisiere();
    // Enables a button; one that turns itself off hands the focus to `danach`, the field the
    // group works on next.
    void schalte(QPushButton* knopf, bool aktiv, QWidget* danach);
    // After an operation: the view brought up to date, and a failure's message scrolled into
    // view.
    void zeigeErgebnis();
    void gruppennameUebernehmen();
    void fragZuruecksetzen();

    Einstellungen einstellungen_;
    bool fuellt_ = false;
    // aktualisiere() is under way; a call from within asks it for another round.
    bool aktualisiert_ = false;
    bool nochmal_ = false;
    QVBoxLayout* spalte_ = nullptr;
    QLineEdit* gruppenname_ = nullptr;
    QPushButton* gruppennameUebernehmen_ = nullptr;
    Datumsfeld* einstieg_ = nullptr;
    Hinweiszeile* einstiegswarnung_ = nullptr;
    QPushButton* einstiegUebernehmen_ = nullptr;
    Tageswechsel* tageswechsel_ = nullptr;
    Zahleneingabe* startkapital_ = nullptr;
    Hinweiszeile* startkapitalwarnung_ = nullptr;
    QPushButton* startkapitalUebernehmen_ = nullptr;
    QLabel* positionen_ = nullptr;
    QLabel* stichtage_ = nullptr;
    QLabel* investiert_ = nullptr;
    QLabel* barbestand_ = nullptr;
    QPushButton* zuruecksetzen_ = nullptr;
    QWidget* meldungszeile_ = nullptr;
    QLabel* meldung_ = nullptr;
    QPointer<QMessageBox> bestaetigung_;
};

} // namespace qb
