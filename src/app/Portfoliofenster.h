#pragma once

#include <memory>

#include <QWidget>

#include "app/Bereich.h"

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QStackedWidget;
class QToolButton;

namespace qb {

class Einzeiler;
class Modellbeobachter;
class Portfolio;
class Tabellendokument;

// The main window's content for the game's portfolio: the toolbar with the tab picker and the
// export, the header with group name, entry date and starting capital, and the four tabs. All
// four pages live as long as the window, so each keeps its state and its running work while
// another is shown; the pages not shown are disabled.
class Portfoliofenster : public QWidget {
    Q_OBJECT
public:
    Portfoliofenster(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                     QWidget* eltern = nullptr);

    const std::shared_ptr<Portfolio>& portfolio() const { return portfolio_; }
    Bereich bereich() const { return bereich_; }
    void waehle(Bereich bereich);
    QWidget* seite(Bereich bereich) const;

protected:
    void changeEvent(QEvent* ereignis) override;

private:
    QWidget* baueWerkzeugleiste();
    QWidget* baueKopf();
    void baueSeiten(Modellbeobachter& beobachter);
    void blendeUeber(QWidget* alteSeite);
    void aktualisiereKopf();
    void aktualisiereExportsymbol();
    void exportiere();
    void schreibe(const Tabellendokument& dokument, const QString& pfad);

    std::shared_ptr<Portfolio> portfolio_;
    Bereich bereich_ = Bereich::portfolio;
    QButtonGroup* auswahl_ = nullptr;
    QToolButton* exportKnopf_ = nullptr;
    QStackedWidget* seiten_ = nullptr;
    Einzeiler* gruppe_ = nullptr;
    QLabel* eingestiegenAm_ = nullptr;
    QLabel* startkapital_ = nullptr;
};

} // namespace qb
