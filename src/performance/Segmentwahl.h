#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;

namespace qb {

// A segmented picker: checkable buttons side by side in an exclusive group, 240 wide; narrower
// only when the row cannot give even its least width to each of its items. The chosen segment
// is filled with the palette's highlight, so that it stands out as clearly on a dark desktop as
// on a light one.
class Segmentwahl : public QWidget {
    Q_OBJECT
public:
    static constexpr int breite = 240;

    explicit Segmentwahl(QWidget* eltern = nullptr);

    // One more segment at the trailing end, with its object name and its id in the group.
    QAbstractButton* fuegeHinzu(const QString& text, const QString& name, int id);
    QButtonGroup* gruppe() const { return gruppe_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    void passeTabfolgeAn();

    QButtonGroup* gruppe_;
};

} // namespace qb
