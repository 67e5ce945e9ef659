#include "ui/Segmentknopf.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace qb {

Segmentknopf::Segmentknopf(const QString& text, QWidget* eltern) : QPushButton(text, eltern) {
    setCheckable(true);
}

void Segmentknopf::paintEvent(QPaintEvent*) {
    QStylePainter maler(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (isChecked()) {
        for (const auto gruppe : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            option.palette.setColor(gruppe, QPalette::Button, option.palette.color(gruppe, QPalette::Highlight));
            option.palette.setColor(gruppe, QPalette::ButtonText, option.palette.color(gruppe, QPalette::HighlightedText));
        }
    }
    maler.drawControl(QStyle::CE_PushButton, option);
}

} // namespace qb
