#include "positions/PositionenModell.h"

#include <utility>

#include "ui/Modellbeobachter.h"
#include "model/Portfolio.h"
#include "model/Position.h"

namespace qb {

PositionenModell::PositionenModell(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, QObject* eltern)
    : QAbstractTableModel(eltern), portfolio_(std::move(portfolio)), dienst_(Kursdienst::standard()),
      zeilen_(berechne()) {
    connect(&beobachter, &Modellbeobachter::geaendert, this, &PositionenModell::aktualisiere);
}

std::array<Positionszeile, alleAssetklassen.size()> PositionenModell::berechne() const {
    std::array<Positionszeile, alleAssetklassen.size()> zeilen;
    for (std::size_t i = 0; i < alleAssetklassen.size(); ++i) {
        const std::shared_ptr<Position> position = portfolio_->position(alleAssetklassen[i]);
        zeilen[i] = Positionszeile::aus(alleAssetklassen[i], position.get(), dienst_);
    }
    return zeilen;
}

void PositionenModell::aktualisiere() {
    // A reset deletes the portfolio; the window that shows it goes away with it.
    if (portfolio_->istGeloescht()) {
        return;
    }
    auto neu = berechne();
    for (std::size_t i = 0; i < neu.size(); ++i) {
        if (neu[i] == zeilen_[i]) {
            continue;
        }
        zeilen_[i] = std::move(neu[i]);
        const int reihe = static_cast<int>(i);
        emit dataChanged(index(reihe, 0), index(reihe, spaltenanzahl - 1));
    }
}

int PositionenModell::rowCount(const QModelIndex& eltern) const {
    return eltern.isValid() ? 0 : static_cast<int>(zeilen_.size());
}

int PositionenModell::columnCount(const QModelIndex& eltern) const {
    return eltern.isValid() ? 0 : spaltenanzahl;
}

QModelIndex PositionenModell::indexVon(Assetklasse klasse, int spalte) const {
    for (std::size_t i = 0; i < alleAssetklassen.size(); ++i) {
        if (alleAssetklassen[i] == klasse) {
            return index(static_cast<int>(i), spalte);
        }
    }
    return {};
}

Qt::ItemFlags PositionenModell::flags(const QModelIndex& index) const {
    if (!index.isValid() || !checkIndex(index)) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QVariant PositionenModell::data(const QModelIndex& index, int rolle) const {
    if (!index.isValid() || !checkIndex(index)) {
        return {};
    }
    const Positionszeile& z = zeile(index.row());
    switch (rolle) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case klasseSpalte:
            return z.bezeichnung;
        case positionSpalte:
            return z.titel;
        default:
            return z.menge;
        }
    case Qt::ToolTipRole:
        if (index.column() == bestandSpalte && !z.zusammenfassung.isEmpty()) {
            return z.zusammenfassung;
        }
        return {};
    case Qt::AccessibleTextRole:
        return z.barrierefreiName;
    case Qt::AccessibleDescriptionRole:
        return Positionszeile::barrierefreiHinweis();
    case Qt::TextAlignmentRole:
        return Qt::Alignment(index.column() == bestandSpalte ? Qt::AlignRight | Qt::AlignTop
                                                             : Qt::AlignLeft | Qt::AlignTop).toInt();
    case klasseRolle:
        return static_cast<int>(z.klasse);
    default:
        return {};
    }
}

} // namespace qb
