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
    if (isChecked() && hasFocus()) {
        // The style marks the focus in the highlight colour, which the chosen segment is filled
        // with: a ring in the text colour on the fill keeps the keyboard's place in sight.
        maler.setRenderHint(QPainter::Antialiasing);
        maler.setPen(QPen(option.palette.color(QPalette::HighlightedText), 1.5));
        maler.setBrush(Qt::NoBrush);
        maler.drawRoundedRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5), 2, 2);
    }
}

} // namespace qb
