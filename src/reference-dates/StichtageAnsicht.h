#pragma once

#include <memory>
#include <optional>

#include <QDate>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "foundation/Kalender.h"
#include "model/Datensatz.h"
#include "reference-dates/Bewertungserfassung.h"
#include "sources/Kursdienst.h"

class QLabel;
class QMessageBox;
class QPushButton;
class QStackedWidget;

namespace qb {
class Datumsfeld;
class Leeransicht;
}

namespace qb {

class Bewertung;
class Modellbeobachter;
class Portfolio;
class StichtagDetail;
class Stichtagslistenfeld;
class StichtagErfassenDialog;
class Tageswechsel;

// The "Stichtage" tab: the reference dates newest first with value and return, the prices of the
// selected one beside them, the button that creates today's or a past day's reference date, and
// deletion after a confirmation. It keeps its own selection: a deleted row selects no neighbour.
class StichtageAnsicht : public QWidget {
    Q_OBJECT
public:
    StichtageAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, QWidget* eltern = nullptr);
    // `dienst`: where the capture and correction sheets fetch their comparisons.
    StichtageAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, Kursdienst dienst,
                     QWidget* eltern = nullptr);
    ~StichtageAnsicht() override;

    std::optional<DatensatzId> ausgewaehlt() const { return ausgewaehlt_; }
    // Null while no capture sheet is open.
    StichtagErfassenDialog* erfassung() const;
    StichtagDetail* detail() const;

    // Asks before deleting the reference date (the row's context menu).
    void frageLoeschen(DatensatzId id);

protected:
    // The main window disables the pages it hides: an alert waits until the tab is shown.
    // The button's symbol follows the palette, the list column the font.
    void changeEvent(QEvent* ereignis) override;

private:
    void zeige();
    // The main button and its explanation for the field's day.
    void zeigeTag();
    // The user settled on the field's day: today taken is today, and moves on with the date as
    // the field no one touched does; a past day stays theirs.
    void tagGenommen();
    // The day the field shows, at noon, never before the earliest day.
    Zeitpunkt gewaehlterTag(const Kalender& kalender, Zeitpunkt nun) const;
    void zeigeListe();
    void zeigeDetail();
    // The main button is on only with complete positions and a day in the date field.
    void schalteAnlegen();
    void stichtagAnlegen();
    void nachDemAnlegen(const Bewertungserfassung::Ergebnis& ergebnis);
    void stichtagLoeschen();
    void zeigeMeldung();
    void zeilenmenue(const QPoint& stelle);
    void zeigeKnopfsymbol();
    void begrenzeSpalte();

    std::shared_ptr<Portfolio> portfolio_;
    Modellbeobachter& beobachter_;
    Kursdienst dienst_;
    bool nachtrag_ = false;
    std::optional<DatensatzId> ausgewaehlt_;
    // Today, as the page last set it: the field that shows it moves on with the date.
    QDate heute_;
    // Set while the page sets the field's range and day.
    bool stelltFeld_ = false;
    std::optional<DatensatzId> zuLoeschen_;
    std::optional<QString> meldung_;
    QPointer<StichtagErfassenDialog> erfassung_;
    QPointer<QMessageBox> offeneMeldung_;

    QWidget* spalte_;
    QWidget* kopf_;
    Datumsfeld* datumswahl_;
    QPushButton* anlegen_;
    Tageswechsel* tageswechsel_;
    QLabel* erklaerung_;
    QStackedWidget* listenteil_;
    QWidget* keinePositionen_;
    QWidget* keinStichtag_;
    Stichtagslistenfeld* liste_;
    QStackedWidget* detailseite_;
    Leeransicht* keinDetail_;
    QPointer<StichtagDetail> detail_;
    std::shared_ptr<Bewertung> detailBewertung_;
};

} // namespace qb
