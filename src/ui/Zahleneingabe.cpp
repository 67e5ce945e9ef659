#include "ui/Zahleneingabe.h"

#include <algorithm>

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/Schriftstil.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "model/Waehrungscode.h"

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
    feld_->setAccessibleName(titel);
    feld_->setAccessibleDescription(einheit.value_or(QString()));

    reihe_ = new QHBoxLayout;
    reihe_->setSpacing(6);
    reihe_->addStretch(1);
    reihe_->addWidget(feld_, 100); // up to its maximum width, then the space goes to the left
    if (einheit) {
        einheit_ = *einheit;
        einheitsplatz_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        reihe_->addItem(einheitsplatz_);
        passeEinheitsbreiteAn();
    }
    auto* stapel = new QVBoxLayout(this);
    stapel->setContentsMargins(0, 0, 0, 0);
    stapel->setSpacing(3);
    stapel->addLayout(reihe_);
    stapel->addWidget(hinweis_);
    stapel->addWidget(gelesenAls_);

    // Every change of the text but the one from the bound value is the user's: typing, pasting,
    // undo, and text that assistive technology sets (which QLineEdit does not count as edited).
    // Filling the text from the bound value goes through setzeWert and never writes it back.
    connect(feld_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!schreibt_) {
            getippt(text);
        }
    });
    leser_.beimErscheinen(wert_);
    zeige(false, false);
    setFocusProxy(feld_);
}

void Zahleneingabe::setzeWert(const Dezimal& wert) {
    const bool warUnlesbar = leser_.istUnlesbar();
    const bool hatteText = leser_.hatText();
    wert_ = wert;
    if (leser_.wertGeaendert(wert)) {
        schreibt_ = true;
        feld_->setText(leser_.text());
        schreibt_ = false;
        zeige(warUnlesbar, hatteText);
    }
}

void Zahleneingabe::setzeTitel(const QString& titel, const std::optional<QString>& name) {
    titel_ = titel;
    if (feld_->accessibleName() != name.value_or(titel)) {
        feld_->setAccessibleName(name.value_or(titel));
    }
}

void Zahleneingabe::setzeEinheit(const QString& einheit) {
    if (einheit_ && *einheit_ != einheit) {
        einheit_ = einheit;
        passeEinheitsbreiteAn();
        update();
    }
    if (feld_->accessibleDescription() != einheit) {
        feld_->setAccessibleDescription(einheit);
    }
}

void Zahleneingabe::changeEvent(QEvent* ereignis) {
    QWidget::changeEvent(ereignis);
    if (ereignis->type() == QEvent::FontChange && einheit_) {
        passeEinheitsbreiteAn();
    }
}

void Zahleneingabe::paintEvent(QPaintEvent* ereignis) {
    QWidget::paintEvent(ereignis);
    if (!einheit_) {
        return;
    }
    QPainter maler(this);
    maler.setPen(Vordergrund::sekundaer().fuer(palette()));
    maler.drawText(einheitsfeld(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, *einheit_);
}

QRect Zahleneingabe::einheitsfeld() const {
    // The row sets no spacing beside a spacer: the room holds the gap after the field.
    return einheitsplatz_ != nullptr ? einheitsplatz_->geometry().adjusted(reihe_->spacing(), 0, 0, 0)
                                     : QRect();
}

void Zahleneingabe::passeEinheitsbreiteAn() {
    // The unit takes at least the room of the widest currency code, so that the fields of a form
    // end in one line whether their unit is "€", "%" or "USD".
    const QFontMetrics masse = fontMetrics();
    int breite = std::max(einheitsbreite(), einheitsbreite_);
    for (const Waehrungscode& code : Waehrungscode::auswahl()) {
        breite = std::max(breite, masse.horizontalAdvance(qtText(code.wert())));
    }
    einheitsplatz_->changeSize(reihe_->spacing() + breite, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    reihe_->invalidate();
}

int Zahleneingabe::einheitsbreite() const {
    return einheit_ ? fontMetrics().horizontalAdvance(*einheit_) : 0;
}

void Zahleneingabe::setzeEinheitsbreite(int breite) {
    if (einheit_ && breite != einheitsbreite_) {
        einheitsbreite_ = breite;
        passeEinheitsbreiteAn();
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
    emit getipptGeaendert();
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
