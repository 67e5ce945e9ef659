#pragma once

#include <QPushButton>

namespace qb {

// One segment of a segmented picker: a checkable button that the style draws, the chosen one in
// the palette's highlight colours. Styles mark a checked button only by a slightly darker face,
// which on a dark palette is barely visible. The colours are taken at paint time, so they follow
// a palette change, light or dark, by themselves; so does the ring that marks the chosen
// segment's focus.
class Segmentknopf : public QPushButton {
public:
    Segmentknopf(const QString& text, QWidget* eltern);

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace qb
