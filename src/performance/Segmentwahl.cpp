#include "performance/Segmentwahl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace qb {

namespace {

// A segment that the style draws as a button, the chosen one in the highlight colours. A style
// marks a checked button only by a slightly darker face, which on a dark palette is barely
// visible; the colours are taken at paint time, so they follow a palette change by themselves.
class Segment : public QPushButton {
public:
    Segment(const QString& text, QWidget* eltern) : QPushButton(text, eltern) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter maler(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        if (isChecked()) {
            for (const auto gruppe : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                option.palette.setColor(gruppe, QPalette::Button, option.palette.color(gruppe, QPalette::Highlight));
                option.palette.setColor(gruppe, QPalette::ButtonText,
                                        option.palette.color(gruppe, QPalette::HighlightedText));
            }
        }
        maler.drawControl(QStyle::CE_PushButton, option);
    }
};

} // namespace

Segmentwahl::Segmentwahl(QWidget* eltern) : QWidget(eltern), gruppe_(new QButtonGroup(this)) {
    setMaximumWidth(breite);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* reihe = new QHBoxLayout(this);
    reihe->setContentsMargins(0, 0, 0, 0);
    reihe->setSpacing(0);
    gruppe_->setExclusive(true);
}

QAbstractButton* Segmentwahl::fuegeHinzu(const QString& text, const QString& name, int id) {
    auto* segment = new Segment(text, this);
    segment->setObjectName(name);
    segment->setCheckable(true);
    segment->setAutoDefault(false);
    segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout()->addWidget(segment);
    gruppe_->addButton(segment, id);
    return segment;
}

QSize Segmentwahl::sizeHint() const {
    return {breite, QWidget::sizeHint().height()};
}

QSize Segmentwahl::minimumSizeHint() const {
    // The full width as the least one too: a row that runs short takes the room from items that
    // can do with less (the loading line coming and going) and leaves the picker as it is.
    return sizeHint();
}

} // namespace qb
