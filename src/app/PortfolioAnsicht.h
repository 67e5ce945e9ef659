#pragma once

#include <QWidget>

#include "app/Portfolioanlage.h"

class QLabel;
class QStackedLayout;

namespace qb {

class Modellbeobachter;
class Modellkontext;
class Portfoliofenster;

// The window's content while the store is open: the main window for the game's portfolio, and
// before that, on the very first start, the portfolio's creation with its waiting and failure
// views.
class PortfolioAnsicht : public QWidget {
    Q_OBJECT
public:
    explicit PortfolioAnsicht(Modellkontext& kontext, QWidget* eltern = nullptr);

    // The main window while a portfolio is shown; null before.
    Portfoliofenster* portfoliofenster() const { return fenster_; }
    Portfolioanlage::Zustand zustand() const { return anlage_.zustand(); }

protected:
    bool event(QEvent* ereignis) override;

private:
    QWidget* baueVorbereitung();
    // 780 × 520, or wider where the main window needs more at the font it has.
    void passeMinimumAn();
    QWidget* baueFehleransicht();
    void aktualisiere();

    Portfolioanlage anlage_;
    Modellbeobachter* beobachter_;
    QStackedLayout* stapel_;
    QWidget* vorbereitung_;
    QWidget* fehleransicht_;
    QLabel* fehlertext_ = nullptr;
    Portfoliofenster* fenster_ = nullptr;
    QWidget* gezeigt_ = nullptr;
};

} // namespace qb
