#pragma once

#include <optional>
#include <string>

#include <QWidget>

#include "model/Handelsumfang.h"
#include "valuation/Kurspruefung.h"

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qb {

class Grenzhinweis;
class Hinweiszeile;
class Kursabrufadapter;
class KurseingabeFelder;
class PositionBearbeiten;
class Zahleneingabe;

// The form of the position editor's sheet, in four sections: the paper, the purchase, the buy
// price with its fetch, and the stake against the starting capital. It edits the editor's draft
// and nothing else; every row is updated in place from the draft, so that typed text and focus
// survive a fetched quote or a change of the records.
class Positionsformular : public QWidget {
    Q_OBJECT
public:
    Positionsformular(PositionBearbeiten& editor, Kursabrufadapter& abruf, QWidget* eltern = nullptr);

    // Shows the draft, the budget and the fetch as they are now.
    void aktualisiere();

    // Put the cursor into the field a question before saving is about: the identifier, or the
    // price, the rate or the quotation that deviates from the source.
    void fokussiereKennung();
    void fokussiere(Kurspruefung::Abweichung::Gegenstand gegenstand);

signals:
    // The user changed the draft, or a fetched quote filled it.
    void entwurfGeaendert();

private:
    QGroupBox* wertpapierbereich();
    QGroupBox* kaufbereich();
    QGroupBox* kursbereich();
    QGroupBox* einsatzbereich();

    void geaendert();
    void kennungGeaendert(const QString& text);
    void holeKaufkurs();
    void zeigeKauf();
    void richteEinheitenAus();
    void zeigeKurs();
    void zeigeEinsatz();

    PositionBearbeiten& editor_;
    Kursabrufadapter& abruf_;
    // The trading volume of the last quote taken over.
    std::optional<Handelsumfang> letzterUmfang_;
    // The identifier before the last edit.
    std::string letzteKennung_;
    // Set while the rows are filled from the draft, when the fields' echoes are no user input.
    bool zeigt_ = false;

    QLineEdit* name_;
    QLineEdit* kennung_;
    Hinweiszeile* kennungsnotiz_;
    Hinweiszeile* kennungswarnung_;

    QFormLayout* kauf_;
    Zahleneingabe* menge_;
    Grenzhinweis* mengenhinweis_;
    QLineEdit* einheit_;
    QComboBox* notierung_;
    KurseingabeFelder* felder_;
    Zahleneingabe* nennwert_;
    Grenzhinweis* nennwerthinweis_;
    Zahleneingabe* bezahlt_;
    Zahleneingabe* bekommen_;
    QLabel* erklaerung_;
    Grenzhinweis* betragshinweis_;
    Grenzhinweis* bekommenhinweis_;
    QLabel* zusammenfassung_;

    QGroupBox* kurs_;
    QProgressBar* abrufLaeuft_;
    QPushButton* abrufen_;
    QLabel* quelle_;
    QLabel* heute_;
    Hinweiszeile* abruffehler_;
    Hinweiszeile* wenigHandel_;
    QLabel* handel_;

    QLabel* einsatz_;
    QLabel* nochFrei_;
};

} // namespace qb
