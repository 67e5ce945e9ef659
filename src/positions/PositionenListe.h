#pragma once

#include <memory>

#include <QWidget>

#include "model/Assetklasse.h"
#include "positions/Positionsfusszeile.h"
#include "positions/Positionszeile.h"

class QTableView;

namespace qb {

class Kennzahlenzeile;
class Modellbeobachter;
class Portfolio;
class PositionenModell;

// The "Portfolio" tab: the five asset classes with their positions, and below them the key
// figures of the latest complete reference date, or of the purchase while there is none. It
// reads the records and writes nothing; every change of the records updates the rows and the
// figures in place, so the selected row stays selected.
class PositionenListe : public QWidget {
    Q_OBJECT
public:
    using Zeile = Positionszeile;
    using Fusszeile = Positionsfusszeile;

    PositionenListe(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, QWidget* eltern = nullptr);

    const std::shared_ptr<Portfolio>& portfolio() const { return portfolio_; }
    PositionenModell* modell() const { return modell_; }

signals:
    // A row was clicked, or chosen with Return or Space: the editor of that class should open.
    void bearbeiten(qb::Assetklasse klasse);

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;

private:
    QTableView* baueTabelle();
    void aktualisiereFusszeile();
    void waehle(const QModelIndex& index);

    std::shared_ptr<Portfolio> portfolio_;
    PositionenModell* modell_;
    QTableView* tabelle_;
    Kennzahlenzeile* kennzahlen_;
};

} // namespace qb
