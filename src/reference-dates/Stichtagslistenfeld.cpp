#include "reference-dates/Stichtagslistenfeld.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace qb {

Stichtagslistenfeld::Stichtagslistenfeld(QWidget* eltern) : QListWidget(eltern) {
    setAccessibleName(tr("Stichtage"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void Stichtagslistenfeld::zeigeMenue(QMenu* menue, QListWidgetItem* eintrag, const QPoint& stelle) {
    menuezeile_ = indexFromItem(eintrag);
    viewport()->update();
    connect(menue, &QMenu::aboutToHide, this, [this] {
        menuezeile_ = QPersistentModelIndex();
        viewport()->update();
    });
    menue->popup(viewport()->mapToGlobal(stelle));
}

QListWidgetItem* Stichtagslistenfeld::menuezeile() const {
    return menuezeile_.isValid() ? itemFromIndex(menuezeile_) : nullptr;
}

void Stichtagslistenfeld::markiere(QListWidgetItem* eintrag) {
    markiert_ = eintrag != nullptr ? QPersistentModelIndex(indexFromItem(eintrag)) : QPersistentModelIndex();
    viewport()->update();
}

// A right click only asks for the row's menu: it neither selects the row nor moves the current
// one, so the menu acts on the row under the pointer and the detail stays with the chosen date.
void Stichtagslistenfeld::mousePressEvent(QMouseEvent* ereignis) {
    if (ereignis->button() == Qt::RightButton) {
        ereignis->accept();
        return;
    }
    QListWidget::mousePressEvent(ereignis);
}

void Stichtagslistenfeld::mouseReleaseEvent(QMouseEvent* ereignis) {
    if (ereignis->button() == Qt::RightButton) {
        ereignis->accept();
        return;
    }
    QListWidget::mouseReleaseEvent(ereignis);
}

void Stichtagslistenfeld::focusInEvent(QFocusEvent* ereignis) {
    QListWidget::focusInEvent(ereignis);
    viewport()->update();
}

void Stichtagslistenfeld::focusOutEvent(QFocusEvent* ereignis) {
    QListWidget::focusOutEvent(ereignis);
    viewport()->update();
}

void Stichtagslistenfeld::paintEvent(QPaintEvent* ereignis) {
    QListWidget::paintEvent(ereignis);
    QPainter maler(viewport());
    maler.setRenderHint(QPainter::Antialiasing);
    maler.setBrush(Qt::NoBrush);
    // A ring inside the row: in the highlight's text colour on a chosen row, which the highlight
    // fills, else in the highlight colour itself; light and dark alike.
    const auto ring = [&](const QModelIndex& index) {
        if (!index.isValid()) {
            return;
        }
        const bool gewaehlt = selectionModel() != nullptr && selectionModel()->isSelected(index);
        maler.setPen(QPen(palette().color(gewaehlt ? QPalette::HighlightedText : QPalette::Highlight), 2));
        maler.drawRoundedRect(QRectF(visualRect(index)).adjusted(2, 2, -2, -2), 4, 4);
    };
    if (hasFocus()) {
        ring(currentIndex());
    }
    ring(menuezeile_);
    if (markiert_ != menuezeile_) {
        ring(markiert_);
    }
}

} // namespace qb
