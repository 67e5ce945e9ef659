#pragma once

#include <QLayout>
#include <QList>

namespace qb {

// A grid of equal columns that puts as many items side by side as the width allows and
// wraps the rest onto further rows. A column is never narrower than the given minimum nor
// than the widest item, so no item is ever cut; the items stand at the leading edge of their
// cell, centred in the height of their row. Hidden widgets take no cell.
class Kachelraster : public QLayout {
public:
    Kachelraster(int mindestbreite, int spaltenabstand, int zeilenabstand, QWidget* eltern = nullptr);
    ~Kachelraster() override;

    void addItem(QLayoutItem* element) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int breite) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rechteck) override;

    // How many columns fit into a width.
    int spalten(int breite) const;

private:
    // Lays out the visible items in a width starting at a point; gives the height used.
    int ordne(const QRect& rechteck, bool setzen) const;
    QList<QLayoutItem*> sichtbare() const;
    int spaltenbreite() const;

    QList<QLayoutItem*> elemente_;
    int mindestbreite_;
    int spaltenabstand_;
    int zeilenabstand_;
};

} // namespace qb
