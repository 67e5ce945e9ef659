#pragma once

#include <array>
#include <memory>

#include <QAbstractTableModel>

#include "model/Assetklasse.h"
#include "positions/Positionszeile.h"
#include "sources/Kursdienst.h"

namespace qb {

class Modellbeobachter;
class Portfolio;

// The five rows of the positions list, one per asset class in class order, whether or not the
// portfolio holds a position of it. Each row is keyed by its class and the record it shows.
// After every change of the records the rows are worked out anew and only those whose content
// changed report it, so that a view keeps its selection and current row; the model never resets.
class PositionenModell : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Spalte { klasseSpalte = 0, positionSpalte = 1, bestandSpalte = 2, spaltenanzahl = 3 };
    // The row's asset class (as its int value), in every column.
    static constexpr int klasseRolle = Qt::UserRole + 1;

    PositionenModell(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, QObject* eltern = nullptr);

    int rowCount(const QModelIndex& eltern = QModelIndex()) const override;
    int columnCount(const QModelIndex& eltern = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int rolle = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const Positionszeile& zeile(int reihe) const { return zeilen_.at(static_cast<std::size_t>(reihe)); }
    QModelIndex indexVon(Assetklasse klasse, int spalte = klasseSpalte) const;

    // Works the rows out from the records and reports the ones that changed.
    void aktualisiere();

private:
    std::array<Positionszeile, alleAssetklassen.size()> berechne() const;

    std::shared_ptr<Portfolio> portfolio_;
    // Only the identifier check of each row: a pure function of the text, no request.
    Kursdienst dienst_;
    // What each row showed last, so that only real changes are reported.
    std::array<Positionszeile, alleAssetklassen.size()> zeilen_;
};

} // namespace qb
