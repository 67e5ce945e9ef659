#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include "foundation/Kalender.h"
#include "reference-dates/Bewertungserfassung.h"
#include "reference-dates/Speicherablauf.h"
#include "reference-dates/Stichtagsentwurf.h"
#include "reference-dates/Entwurfsbindung.h"
#include "sources/Kursdienst.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace qb {

class Blattbreite;
class Grenzhinweis;
class Hinweiszeile;
class Modellbeobachter;
class Portfolio;
class StichtagskursFelder;

// The sheet in which the group creates one reference date: today's, or a past day's
// ("nachtragen", `abruftag` set, 17:00 of that day). One section per complete position with its
// price fields and comparison line; the comparisons are fetched for every row at once while the
// sheet is open, and each answer is shown as it arrives. Saving asks back about strong
// deviations and open comparisons first, and writes only through Bewertungserfassung.
// Window-modal; open it with open(). Its logic: the draft Stichtagsentwurf, the save flow
// Speicherablauf and the writing Bewertungserfassung.
class StichtagErfassenDialog : public QDialog {
    Q_OBJECT

public:
    StichtagErfassenDialog(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, Kursdienst dienst,
                     std::optional<Zeitpunkt> abruftag, QWidget* eltern = nullptr);
    ~StichtagErfassenDialog() override;

    const Stichtagsentwurf& entwurf() const { return entwurf_; }
    const Bewertungserfassung::Stichtagswahl& wahl() const { return wahl_; }

    // The sheet's title for a choice: "Stichtag am …" or "Kurse vom … nachtragen".
    static QString titel(const Bewertungserfassung::Stichtagswahl& wahl);

    // Sizes the sheet for a screen's available area: its smallest size, and its size at opening
    // as high as its rows need, as far as the area holds (see Fenstergroesse); at least as wide
    // as its rows need (see Blattbreite); on a lower screen the prices scroll above the buttons.
    // The constructor does it for the screen it opens on.
    void passeAn(QSize verfuegbar);

signals:
    // After a successful save, before the sheet closes; carries the classes not stored.
    void angelegt(const qb::Bewertungserfassung::Ergebnis& ergebnis);

public slots:
    // "Abbrechen" and Escape: asks first when prices were typed or taken over.
    void reject() override;
    void done(int ergebnis) override;

protected:
    // Return in a number field does nothing: no button of the sheet is a default button.
    void keyPressEvent(QKeyEvent* ereignis) override;
    // The rows say when they grow.
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    // The sheet's height at which its rows show whole at the width `breite`, with the footer.
    int noetigeHoehe(int breite) const;
    // Rows that grow while the sheet is open (comparison lines that arrive and wrap) make it
    // higher, as far as the screen holds; a shrinking need leaves the height to the user.
    void wachse();
    void zeige();
    void zeigeFuss();
    void speichernGetippt();
    void zeigeRueckfrage();
    void speichere(const Speicherablauf::Kurse& kurse);
    void frageVerwerfen();

    std::shared_ptr<Portfolio> portfolio_;
    Modellbeobachter& beobachter_;
    Kursdienst dienst_;
    Bewertungserfassung::Stichtagswahl wahl_;
    Stichtagsentwurf entwurf_;
    Speicherablauf ablauf_;
    std::optional<QString> fehler_;
    bool geschlossen_ = false;

    Entwurfsbindung bindung_;

    std::vector<StichtagskursFelder*> zeilen_;
    Hinweiszeile* fehlerZeile_;
    Grenzhinweis* neueAbweichung_;
    Grenzhinweis* unvollstaendig_;
    QLabel* ohneKurs_;
    QPushButton* speichern_;
    Blattbreite* breite_;
    QWidget* formular_;
    // The screen's available area the sheet was sized for, and the height its rows needed then
    // or at their last growth.
    QSize verfuegbar_;
    int gebraucht_ = 0;
    bool waechstGleich_ = false;
    QPointer<QMessageBox> rueckfrage_;
    QPointer<QMessageBox> verwerfen_;
};

} // namespace qb
