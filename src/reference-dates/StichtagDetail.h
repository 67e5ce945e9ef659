#pragma once

#include <memory>
#include <optional>

#include <QPointer>
#include <QWidget>

#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "sources/Kursdienst.h"
#include "valuation/Wertveraenderung.h"

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace qb {

class Bewertung;
class Kennzahlenzeile;
class Modellbeobachter;
class Portfolio;
class PreisKorrigierenDialog;
class Preisnotiz;

// The prices of one reference date: a row per complete position with its stored price, where
// it came from, its hints, value, gain and return, and the key figures of that date below. A
// click on a row opens the correction of that class's price. It keeps nothing but the open
// correction and shows the records anew after every change of the model.
class StichtagDetail : public QWidget {
    Q_OBJECT
public:
    StichtagDetail(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
                   Modellbeobachter& beobachter, Kursdienst dienst, QWidget* eltern = nullptr);

    // The change of the total value since the last complete reference date before this one.
    std::optional<Wertveraenderung> veraenderung() const;

    // Null while no correction is open.
    PreisKorrigierenDialog* korrektur() const { return korrektur_; }

    // At least 420 wide, and as wide as its widest row needs.
    QSize minimumSizeHint() const override;

private:
    void zeige();
    void oeffneKorrektur(Assetklasse klasse);

    std::shared_ptr<Portfolio> portfolio_;
    std::shared_ptr<Bewertung> bewertung_;
    Modellbeobachter& beobachter_;
    Kursdienst dienst_;
    QPointer<PreisKorrigierenDialog> korrektur_;

    QLabel* datum_;
    QLabel* uhrzeit_;
    QScrollArea* rollen_;
    QWidget* liste_;
    QVBoxLayout* zeilen_;
    Kennzahlenzeile* kennzahlen_ = nullptr;
};

} // namespace qb
