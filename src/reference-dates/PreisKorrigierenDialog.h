#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QDialog>
#include <QPointer>

#include "model/Assetklasse.h"
#include "reference-dates/PreisKorrigieren.h"
#include "reference-dates/Entwurfsbindung.h"
#include "sources/Kursdienst.h"

class QMessageBox;
class QPushButton;
class QScrollArea;

namespace qb {

class Bewertung;
class Blattbreite;
class Grenzhinweis;
class Hinweiszeile;
class Modellkontext;
class Portfolio;
class StichtagskursFelder;

// The sheet that corrects the price of one class on one reference date: a one-row capture with
// the row fields, comparison fetch and question before saving of the capture sheet. Writes only
// when a save goes through, then closes; when the class has no position any more it says so and
// offers only "Schließen". Its logic is PreisKorrigieren.
class PreisKorrigierenDialog : public QDialog {
    Q_OBJECT
public:
    PreisKorrigierenDialog(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung, Assetklasse klasse,
                     Modellkontext& kontext, Kursdienst dienst, QWidget* eltern = nullptr);
    ~PreisKorrigierenDialog() override;

    // Absent when the position is gone.
    const PreisKorrigieren* korrektur() const { return korrektur_ ? &*korrektur_ : nullptr; }

    // Sizes the sheet for a screen's available area: its smallest size and its greatest height
    // as far as the area holds (see Fenstergroesse), at least as wide as its form needs (see
    // Blattbreite), the form scrolling above the buttons. It is done for the screen the sheet
    // opens on.
    void passeAn(QSize verfuegbar);

    QSize sizeHint() const override;

public slots:
    void done(int ergebnis) override;

protected:
    bool event(QEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    void passeHoeheAn();
    // The height the content and the buttons need at the sheet's and the content's width, as far
    // as the window and the screen allow.
    int noetigeHoehe(int breite, int inhaltsbreite) const;
    void baueFormular();
    void zeige();
    void speichernGedrueckt();
    void zeigeRueckfrage();

    Modellkontext& kontext_;
    Kursdienst dienst_;
    std::optional<PreisKorrigieren> korrektur_;
    Entwurfsbindung bindung_;
    bool geschlossen_ = false;

    // The height the screen allows.
    int hoechstens_ = QWIDGETSIZE_MAX;

    QScrollArea* flaeche_ = nullptr;
    Blattbreite* breite_ = nullptr;
    QWidget* fuss_ = nullptr;
    StichtagskursFelder* felder_ = nullptr;
    Grenzhinweis* neueAbweichung_ = nullptr;
    Hinweiszeile* fehler_ = nullptr;
    QPushButton* speichern_ = nullptr;
    QPointer<QMessageBox> rueckfrage_;
};

} // namespace qb
