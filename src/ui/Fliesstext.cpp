#include "ui/Fliesstext.h"

#include <QLabel>

namespace qb {

QLabel* fliesstext(const QString& text, QWidget* eltern) {
    auto* label = new QLabel(eltern);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(text);
    return label;
}

} // namespace qb
