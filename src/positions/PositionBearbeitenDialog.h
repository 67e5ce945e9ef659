#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QDialog>

#include "ui/Ansichtsaufgabe.h"
#include "model/Assetklasse.h"
#include "positions/Kaufpreispruefung.h"
#include "positions/PositionBearbeiten.h"
#include "sources/Kursdienst.h"

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace qb {

class Blattbreite;
class Hinweiszeile;
class Kursabrufadapter;
class Modellbeobachter;
class Portfolio;
class Positionsformular;

// The sheet in which a group enters, changes or removes the position of one asset class. It
// shows the editor's draft and forwards the user's actions; nothing reaches the records before
// "Speichern" (after the identifier question and the buy-price check) or a confirmed removal.
// Window-modal over its parent, opened with open(); it deletes itself when it closes. Its logic is
// PositionBearbeiten.
class PositionBearbeitenDialog : public QDialog {
    Q_OBJECT
public:
    PositionBearbeitenDialog(Assetklasse klasse, std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                             Kursdienst dienst, QWidget* eltern = nullptr);
    ~PositionBearbeitenDialog() override;

    const PositionBearbeiten& editor() const { return editor_; }
    // A buy-price check is running; the form is locked meanwhile.
    bool prueft() const { return pruefung_.laeuft(); }

    // Sizes the sheet for a screen's available area: its smallest size as far as the area holds
    // (see Fenstergroesse), at least as wide as its form needs (see Blattbreite), the form
    // scrolling above the buttons. The constructor does it for the screen it opens on.
    void passeAn(QSize verfuegbar);

    // Closing, by any way, stops a running check first.
    void done(int ergebnis) override;

private:
    void baueAktionsleiste(QWidget* leiste);
    void aktualisiere();

    void speichernGedrueckt();
    void starteKaufkurspruefung();
    void pruefungAbschliessen(std::uint64_t nummer, const Kaufpreispruefung::Ergebnis& ergebnis);
    void pruefungAbbrechen();
    // Saves and closes the sheet on success; a failure shows in the action bar.
    void speichereUndSchliesse();
    void zeigeUngeprueft(const std::string& grund);
    void zeigeAbweichungen(const std::vector<Kurspruefung::Abweichung>& abweichungen);
    void frageKennung(int stichtage);
    void frageEntfernen();

    PositionBearbeiten editor_;
    Kursabrufadapter* abruf_;
    Hintergrundaufgabe pruefung_;
    // The number of the latest check started; a result with another one is stale.
    std::uint64_t pruefnummer_ = 0;

    QScrollArea* rahmen_;
    Positionsformular* formular_;
    Blattbreite* breite_ = nullptr;
    Hinweiszeile* budgetwarnung_ = nullptr;
    QPushButton* entfernen_ = nullptr;
    Hinweiszeile* speicherfehler_ = nullptr;
    QProgressBar* prueftAnzeige_ = nullptr;
    QLabel* prueftText_ = nullptr;
    QPushButton* abbrechen_ = nullptr;
    QPushButton* speichern_ = nullptr;
};

} // namespace qb
