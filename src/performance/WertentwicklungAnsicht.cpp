#include "performance/WertentwicklungAnsicht.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QSpacerItem>

#include "ui/Hinweiszeile.h"
#include "ui/Kennzahlenzeile.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "performance/Lageplakette.h"
#include "performance/Wertdiagramm.h"

namespace qb {

namespace {

constexpr int randBlock = 16;
constexpr int abstandStapel = 8;
// In a row the stand line and the badge each keep 20 from a flexible gap of at least 12.
constexpr int mindestLuecke = 20 + 12 + 20;

} // namespace

WertentwicklungAnsicht::WertentwicklungAnsicht(const Wertentwicklung& daten, QWidget* eltern)
    : QWidget(eltern), kopf_(new QBoxLayout(QBoxLayout::LeftToRight)),
      kopfabstand_(new QSpacerItem(mindestLuecke, 0, QSizePolicy::Expanding, QSizePolicy::Minimum)),
      standzeile_(new QLabel(this)), plakette_(new Lageplakette(daten.lage(), this)),
      diagramm_(new Wertdiagramm(daten, this)),
      hinweis_(new Hinweiszeile(QString(), QStringLiteral("questionmark.circle"), this)),
      kennzahlen_(new Kennzahlenzeile(daten.stand(), std::nullopt, daten.veraenderung(), std::nullopt, this)),
      fussnote_(new QLabel(this)) {
    setObjectName(QStringLiteral("wertentwicklung"));
    standzeile_->setObjectName(QStringLiteral("standzeile"));
    standzeile_->setTextFormat(Qt::PlainText);
    Vordergrund::setze(standzeile_, Vordergrund::sekundaer());
    hinweis_->setObjectName(QStringLiteral("ausgelassenHinweis"));
    Vordergrund::setze(hinweis_, Signalfarbe::warnung);
    fussnote_->setObjectName(QStringLiteral("fussnote"));
    fussnote_->setTextFormat(Qt::PlainText);
    fussnote_->setWordWrap(true);
    fussnote_->setContentsMargins(20, 0, 20, 12);
    Vordergrund::setze(fussnote_, Vordergrund::sekundaer());

    kopf_->setContentsMargins(0, 0, 0, 0);
    kopf_->setSpacing(0);
    kopf_->addWidget(standzeile_, 0, Qt::AlignLeft | Qt::AlignVCenter);
    kopf_->addSpacerItem(kopfabstand_);
    kopf_->addWidget(plakette_, 0, Qt::AlignLeft | Qt::AlignVCenter);

    auto* block = new QVBoxLayout;
    block->setContentsMargins(randBlock, randBlock, randBlock, randBlock);
    block->setSpacing(12);
    block->addLayout(kopf_);
    block->addWidget(diagramm_, 1);
    block->addWidget(hinweis_);

    auto* trenner = new QFrame(this);
    trenner->setFrameShape(QFrame::HLine);
    trenner->setFrameShadow(QFrame::Sunken);

    auto* ansicht = new QVBoxLayout(this);
    ansicht->setContentsMargins(0, 0, 0, 0);
    ansicht->setSpacing(0);
    ansicht->addLayout(block, 1);
    ansicht->addWidget(trenner);
    ansicht->addWidget(kennzahlen_);
    ansicht->addWidget(fussnote_);

    setzeSchriften();
    zeige(daten);
}

void WertentwicklungAnsicht::zeige(const Wertentwicklung& daten) {
    standzeile_->setText(qtText(daten.standzeile()));
    plakette_->setzeLage(daten.lage());
    diagramm_->zeige(daten);
    const std::optional<std::string> hinweis = daten.hinweistext();
    hinweis_->setzeText(hinweis ? qtText(*hinweis) : QString());
    hinweis_->setVisible(hinweis.has_value());
    kennzahlen_->setze(daten.stand(), std::nullopt, daten.veraenderung(), std::nullopt);
    fussnote_->setText(daten.fussnote() ? qtText(*daten.fussnote()) : QString());
    fussnote_->setVisible(daten.fussnote().has_value());
    ordneKopf();
}

void WertentwicklungAnsicht::setzeSchriften() {
    standzeile_->setFont(Schriftstil::hervorhebung(font()));
    hinweis_->setFont(Schriftstil::beschriftung(font()));
    fussnote_->setFont(Schriftstil::beschriftung(font()));
}

void WertentwicklungAnsicht::ordneKopf() {
    const int verfuegbar = width() - 2 * randBlock;
    const int nebeneinander = standzeile_->sizeHint().width() + mindestLuecke + plakette_->sizeHint().width();
    const bool zeile = nebeneinander <= verfuegbar;
    const auto richtung = zeile ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (kopf_->direction() == richtung) {
        return;
    }
    kopf_->setDirection(richtung);
    kopf_->setSpacing(zeile ? 0 : abstandStapel);
    // In a row the spacer keeps the badge at the trailing edge; in a stack it must take no room.
    if (zeile) {
        kopfabstand_->changeSize(mindestLuecke, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    } else {
        kopfabstand_->changeSize(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    kopf_->invalidate();
}

void WertentwicklungAnsicht::resizeEvent(QResizeEvent* ereignis) {
    QWidget::resizeEvent(ereignis);
    ordneKopf();
}

void WertentwicklungAnsicht::changeEvent(QEvent* ereignis) {
    if (ereignis->type() == QEvent::FontChange) {
        setzeSchriften();
        ordneKopf();
    }
    QWidget::changeEvent(ereignis);
}

} // namespace qb
