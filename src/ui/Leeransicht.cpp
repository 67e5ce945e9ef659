#include "ui/Leeransicht.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Schriftstil.h"
#include "ui/Symbol.h"
#include "ui/Vordergrund.h"

namespace qb {

Leeransicht::Leeransicht(const QString& symbol, const QString& titel, const QString& text, QWidget* eltern)
    : QWidget(eltern) {
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(24, 24, 24, 24);
    spalte->setSpacing(10);
    spalte->addStretch(1);

    symbol_ = new Symbol(symbol, this);
    symbol_->setObjectName(QStringLiteral("symbol"));
    symbol_->setFixedSize(44, 44);
    Vordergrund::setze(symbol_, Vordergrund::sekundaer());
    spalte->addWidget(symbol_, 0, Qt::AlignHCenter);

    titel_ = new QLabel(titel, this);
    titel_->setObjectName(QStringLiteral("titel"));
    titel_->setTextFormat(Qt::PlainText);
    titel_->setAlignment(Qt::AlignHCenter);
    titel_->setFont(Schriftstil::ueberschrift(titel_->font()));
    spalte->addWidget(titel_);

    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("text"));
    text_->setTextFormat(Qt::PlainText);
    text_->setAlignment(Qt::AlignHCenter);
    text_->setWordWrap(true);
    // A long explanation wraps into a readable column instead of one line across the window.
    // Centred by stretches, not by alignment: an aligned label gets its one-line size hint
    // and cuts the rest of the text.
    text_->setMaximumWidth(460);
    Vordergrund::setze(text_, Vordergrund::sekundaer());
    auto* mitte = new QHBoxLayout;
    mitte->addStretch(1);
    mitte->addWidget(text_, 4);
    mitte->addStretch(1);
    spalte->addLayout(mitte);

    aktion_ = new QPushButton(this);
    aktion_->setObjectName(QStringLiteral("aktion"));
    aktion_->setAutoDefault(false);
    aktion_->hide();
    spalte->addSpacing(4);
    spalte->addWidget(aktion_, 0, Qt::AlignHCenter);
    spalte->addStretch(1);
}

void Leeransicht::setze(const QString& symbol, const QString& titel, const QString& text) {
    if (symbol != symbol_->name()) {
        auto* neu = new Symbol(symbol, this);
        neu->setObjectName(QStringLiteral("symbol"));
        neu->setFixedSize(symbol_->size());
        Vordergrund::setze(neu, Vordergrund::sekundaer());
        // The layout hands back the item that held the old symbol; it is ours to delete.
        delete layout()->replaceWidget(symbol_, neu);
        delete symbol_;
        symbol_ = neu;
    }
    titel_->setText(titel);
    text_->setText(text);
}

void Leeransicht::setzeAktion(const QString& text, const QString& barrierefreierName) {
    aktion_->setText(text);
    aktion_->setAccessibleName(barrierefreierName.isEmpty() ? text : barrierefreierName);
    aktion_->setVisible(!text.isEmpty());
}

} // namespace qb
