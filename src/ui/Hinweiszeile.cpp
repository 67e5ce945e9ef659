#include "ui/Hinweiszeile.h"

#include <QHBoxLayout>
#include <QLabel>

#include "ui/Symbol.h"

namespace qb {

Hinweiszeile::Hinweiszeile(const QString& text, const QString& symbol, QWidget* eltern)
    : QWidget(eltern), symbol_(new Symbol(symbol, this)), text_(new QLabel(this)) {
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setText(text);
    auto* zeile = new QHBoxLayout(this);
    zeile->setContentsMargins(0, 0, 0, 0);
    zeile->setSpacing(6);
    zeile->addWidget(symbol_, 0, Qt::AlignTop);
    zeile->addWidget(text_, 1);
    // One element for a screen reader: the symbol says nothing the text does not.
    symbol_->setAccessibleName(QString());
    setAccessibleName(text);
}

void Hinweiszeile::setzeText(const QString& text) {
    text_->setText(text);
    setAccessibleName(text);
}

QString Hinweiszeile::text() const {
    return text_->text();
}

} // namespace qb
