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
// another is shown; the pages not shown are disabled. The first page is built with the window,
// the other three right after the window's first frame (or as soon as anyone asks for one), so
// that the window shows up without waiting for pages nobody sees yet.
class Portfoliofenster : public QWidget {
    Q_OBJECT
public:
    Portfoliofenster(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                     QWidget* eltern = nullptr);

    const std::shared_ptr<Portfolio>& portfolio() const { return portfolio_; }
    Bereich bereich() const { return bereich_; }
    void waehle(Bereich bereich);
    // Builds the pages not built yet first.
    QWidget* seite(Bereich bereich);

protected:
    void changeEvent(QEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;

private:
    QWidget* baueWerkzeugleiste();
    QWidget* baueKopf();
    QWidget* baueSeite(Bereich bereich);
    void baueAlleSeiten();
    void blendeUeber(QWidget* alteSeite);
    void aktualisiereKopf();
    void aktualisiereExportsymbol();
    void passeSeitenbreiteAn();
    void exportiere();
    void schreibe(const Tabellendokument& dokument, const QString& pfad);

    std::shared_ptr<Portfolio> portfolio_;
    Modellbeobachter& beobachter_;
    bool restGeplant_ = false;
    Bereich bereich_ = Bereich::portfolio;
    QButtonGroup* auswahl_ = nullptr;
    QToolButton* exportKnopf_ = nullptr;
    QWidget* links_ = nullptr;
    QWidget* rechts_ = nullptr;
    QStackedWidget* seiten_ = nullptr;
    Einzeiler* gruppe_ = nullptr;
    QLabel* eingestiegenAm_ = nullptr;
    QLabel* startkapital_ = nullptr;
};

} // namespace qb
