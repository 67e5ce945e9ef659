#include "app/Zahleneingabe.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/Schriftstil.h"
#include "app/Vordergrund.h"

namespace qb {

namespace {

QLabel* zeile(QWidget* eltern, const QString& objektname, const Vordergrund& stil) {
    auto* label = new QLabel(eltern);
    label->setObjectName(objektname);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFont(Schriftstil::beschriftung(label->font()));
    Vordergrund::setze(label, stil);
    label->hide();
    return label;
}

} // namespace

Zahleneingabe::Zahleneingabe(const QString& titel, Art art, int breite, std::optional<QString> einheit,
                             QWidget* eltern)
    : QWidget(eltern), titel_(titel), leser_(art), feld_(new QLineEdit(this)),
      hinweis_(zeile(this, QStringLiteral("hinweis"), Signalfarbe::warnung)),
      gelesenAls_(zeile(this, QStringLiteral("gelesenAls"), Vordergrund::sekundaer())) {
    feld_->setObjectName(QStringLiteral("zahl"));
    feld_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    feld_->setMaximumWidth(breite);
    feld_->setAccessibleName(einheit.value_or(titel));

    auto* oben = new QHBoxLayout;
    oben->setSpacing(6);
    oben->addStretch(1);
    oben->addWidget(feld_, 100); // up to its maximum width, then the space goes to the left
    if (einheit) {
        auto* einheitText = new QLabel(*einheit, this);
        einheitText->setObjectName(QStringLiteral("einheit"));
        einheitText->setTextFormat(Qt::PlainText);
        Vordergrund::setze(einheitText, Vordergrund::sekundaer());
        oben->addWidget(einheitText);
    }
    auto* stapel = new QVBoxLayout(this);
    stapel->setContentsMargins(0, 0, 0, 0);
    stapel->setSpacing(3);
    stapel->addLayout(oben);
    stapel->addWidget(hinweis_);
    stapel->addWidget(gelesenAls_);

    // textEdited comes from the user only (typing, pasting, undo); filling the text from the
    // bound value goes through setzeWert and never writes the value back.
    connect(feld_, &QLineEdit::textEdited, this, &Zahleneingabe::getippt);
    leser_.beimErscheinen(wert_);
    zeige(false, false);
    setFocusProxy(feld_);
}

void Zahleneingabe::setzeWert(const Dezimal& wert) {
    const bool warUnlesbar = leser_.istUnlesbar();
    const bool hatteText = leser_.hatText();
    wert_ = wert;
    if (leser_.wertGeaendert(wert)) {
        feld_->setText(leser_.text());
        zeige(warUnlesbar, hatteText);
    }
}

void Zahleneingabe::getippt(const QString& text) {
    const bool warUnlesbar = leser_.istUnlesbar();
    const bool hatteText = leser_.hatText();
    const Dezimal neu = leser_.textGeaendert(text);
    zeige(warUnlesbar, hatteText);
    if (neu != wert_) {
        wert_ = neu;
        emit wertGeaendert(wert_);
    }
}

void Zahleneingabe::zeige(bool warUnlesbar, bool hatteText) {
    hinweis_->setText(leser_.hinweis().value_or(QString()));
    hinweis_->setVisible(leser_.hinweis().has_value());
    gelesenAls_->setText(leser_.gelesenAls() ? tr("Gelesen als %1").arg(*leser_.gelesenAls()) : QString());
    gelesenAls_->setVisible(leser_.gelesenAls().has_value());
    if (leser_.istUnlesbar() != warUnlesbar) {
        emit unlesbarGeaendert(leser_.istUnlesbar());
    }
    if (leser_.hatText() != hatteText) {
        emit mitTextGeaendert(leser_.hatText());
    }
}

} // namespace qb
