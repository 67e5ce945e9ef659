#pragma once

#include <QStyledItemDelegate>

namespace qb {

struct Positionszeile;

// Draws a row of the positions list as two lines per column: the class's name; the position's
// name over its caption line (identifier, "ohne Vergleichskurs", quotation), or "noch offen";
// the quantity over its value at purchase, or a plus. The first lines of all columns share one
// baseline. Colours come from the palette when painting, so light and dark follow by themselves.
class PositionenDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* maler, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void maleKlasse(QPainter* maler, const QStyleOptionViewItem& option, const Positionszeile& zeile,
                    const QRect& flaeche) const;
    void malePosition(QPainter* maler, const QStyleOptionViewItem& option, const Positionszeile& zeile,
                      const QRect& flaeche) const;
    void maleBestand(QPainter* maler, const QStyleOptionViewItem& option, const Positionszeile& zeile,
                     const QRect& flaeche) const;
};

} // namespace qb
