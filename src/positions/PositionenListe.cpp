#include "positions/PositionenListe.h"

#include <utility>

#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>

#include "ui/Kennzahlenzeile.h"
#include "ui/Modellbeobachter.h"
#include "model/Portfolio.h"
#include "positions/PositionenDelegate.h"
#include "positions/PositionenModell.h"

namespace qb {

PositionenListe::PositionenListe(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, QWidget* eltern)
    : QWidget(eltern), portfolio_(std::move(portfolio)), modell_(new PositionenModell(portfolio_, beobachter, this)) {
    setObjectName(QStringLiteral("positionenListe"));
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);

    tabelle_ = baueTabelle();
    auto* rahmen = new QVBoxLayout();
    rahmen->setContentsMargins(16, 12, 16, 12);
    rahmen->addWidget(tabelle_);
    spalte->addLayout(rahmen, 1);

    auto* trenner = new QFrame(this);
    trenner->setFrameShape(QFrame::HLine);
    trenner->setFrameShadow(QFrame::Sunken);
    spalte->addWidget(trenner);

    const Fusszeile fuss = Fusszeile::aus(*portfolio_);
    kennzahlen_ = new Kennzahlenzeile(fuss.stand, fuss.bezug, fuss.veraenderung, fuss.offenerStichtag, this);
    spalte->addWidget(kennzahlen_);

    connect(&beobachter, &Modellbeobachter::geaendert, this, &PositionenListe::aktualisiereFusszeile);
}

QTableView* PositionenListe::baueTabelle() {
    auto* tabelle = new QTableView(this);
    tabelle->setObjectName(QStringLiteral("positionen"));
    tabelle->setAccessibleName(tr("Positionen"));
    tabelle->setModel(modell_);
    tabelle->setItemDelegate(new PositionenDelegate(tabelle));
    tabelle->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabelle->setSelectionMode(QAbstractItemView::SingleSelection);
    tabelle->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabelle->setTabKeyNavigation(false);
    tabelle->setShowGrid(false);
    tabelle->setWordWrap(false);
    tabelle->setCornerButtonEnabled(false);
    tabelle->horizontalHeader()->hide();
    tabelle->verticalHeader()->hide();
    tabelle->horizontalHeader()->setSectionResizeMode(PositionenModell::klasseSpalte, QHeaderView::ResizeToContents);
    tabelle->horizontalHeader()->setSectionResizeMode(PositionenModell::positionSpalte, QHeaderView::Stretch);
    tabelle->horizontalHeader()->setSectionResizeMode(PositionenModell::bestandSpalte, QHeaderView::ResizeToContents);
    tabelle->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(tabelle, &QTableView::clicked, this, &PositionenListe::waehle);
    // A list of rows, not a grid of cells: the current item is always a row's first cell, so
    // that the keyboard and assistive technology move from row to row.
    connect(tabelle->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [tabelle](const QModelIndex& aktuell) {
                if (aktuell.isValid() && aktuell.column() != PositionenModell::klasseSpalte) {
                    tabelle->selectionModel()->setCurrentIndex(aktuell.siblingAtColumn(PositionenModell::klasseSpalte),
                                                               QItemSelectionModel::NoUpdate);
                }
            });
    tabelle->installEventFilter(this);
    return tabelle;
}

bool PositionenListe::eventFilter(QObject* objekt, QEvent* ereignis) {
    // The rows act like buttons: the keyboard opens the current one as a click does.
    if (objekt == tabelle_ && ereignis->type() == QEvent::KeyPress) {
        const int taste = static_cast<QKeyEvent*>(ereignis)->key();
        if ((taste == Qt::Key_Return || taste == Qt::Key_Enter || taste == Qt::Key_Space) &&
            tabelle_->currentIndex().isValid()) {
            waehle(tabelle_->currentIndex());
            return true;
        }
        // Up and down walk the rows; there is nothing beside a row to go to.
        if (taste == Qt::Key_Left || taste == Qt::Key_Right) {
            return true;
        }
        if (taste == Qt::Key_Home || taste == Qt::Key_End) {
            const int reihe = taste == Qt::Key_Home ? 0 : modell_->rowCount() - 1;
            tabelle_->setCurrentIndex(modell_->index(reihe, PositionenModell::klasseSpalte));
            return true;
        }
    }
    return QWidget::eventFilter(objekt, ereignis);
}

void PositionenListe::waehle(const QModelIndex& index) {
    if (index.isValid()) {
        emit bearbeiten(static_cast<Assetklasse>(index.data(PositionenModell::klasseRolle).toInt()));
    }
}

void PositionenListe::aktualisiereFusszeile() {
    if (portfolio_->istGeloescht()) {
        return;
    }
    const Fusszeile fuss = Fusszeile::aus(*portfolio_);
    kennzahlen_->setze(fuss.stand, fuss.bezug, fuss.veraenderung, fuss.offenerStichtag);
}

} // namespace qb
