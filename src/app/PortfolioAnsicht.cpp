#include "app/PortfolioAnsicht.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "ui/Modellbeobachter.h"
#include "app/Portfoliofenster.h"
#include "ui/Schriftstil.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "model/Portfolio.h"

namespace qb {

namespace {

QFont vergroessert(QFont schrift, qreal faktor) {
    if (schrift.pointSizeF() > 0) {
        schrift.setPointSizeF(schrift.pointSizeF() * faktor);
    } else if (schrift.pixelSize() > 0) {
        schrift.setPixelSize(qRound(schrift.pixelSize() * faktor));
    }
    return schrift;
}

} // namespace

PortfolioAnsicht::PortfolioAnsicht(Modellkontext& kontext, QWidget* eltern)
    : QWidget(eltern), anlage_(kontext), beobachter_(new Modellbeobachter(kontext, this)),
      stapel_(new QStackedLayout(this)) {
    setObjectName(QStringLiteral("portfolioAnsicht"));
    passeMinimumAn();
    vorbereitung_ = baueVorbereitung();
    fehleransicht_ = baueFehleransicht();
    stapel_->addWidget(vorbereitung_);
    stapel_->addWidget(fehleransicht_);
    connect(beobachter_, &Modellbeobachter::geaendert, this, &PortfolioAnsicht::aktualisiere);
    aktualisiere();
}

bool PortfolioAnsicht::event(QEvent* ereignis) {
    const bool behandelt = QWidget::event(ereignis);
    // A tab page built later, a larger font or longer texts ask the layout for more room.
    if (ereignis->type() == QEvent::LayoutRequest) {
        passeMinimumAn();
    }
    return behandelt;
}

void PortfolioAnsicht::passeMinimumAn() {
    // As wide as the main window needs to cut no label: the tab picker's segments, the export,
    // the reference-date detail. With a larger desktop font that is more than the usual
    // smallest size. In height every page scrolls what it cannot show.
    QSize minimum(780, 520);
    if (fenster_ != nullptr) {
        minimum.setWidth(std::max(minimum.width(), fenster_->minimumSizeHint().width()));
    }
    if (minimumSize() != minimum) {
        setMinimumSize(minimum);
    }
}

QWidget* PortfolioAnsicht::baueVorbereitung() {
    auto* seite = new QWidget(this);
    seite->setObjectName(QStringLiteral("vorbereitung"));
    auto* spalte = new QVBoxLayout(seite);
    spalte->addStretch();
    auto* balken = new QProgressBar(seite);
    balken->setRange(0, 0); // no steps to count: just busy
    balken->setTextVisible(false);
    balken->setFixedWidth(160);
    spalte->addWidget(balken, 0, Qt::AlignHCenter);
    auto* text = new QLabel(tr("Portfolio wird vorbereitet"), seite);
    Vordergrund::setze(text, Vordergrund::sekundaer());
    spalte->addWidget(text, 0, Qt::AlignHCenter);
    spalte->addStretch();
    return seite;
}

QWidget* PortfolioAnsicht::baueFehleransicht() {
    auto* seite = new QWidget(this);
    seite->setObjectName(QStringLiteral("anlagefehler"));
    // A column of limited width in the middle, so that a long message wraps instead of
    // stretching across the window.
    auto* inhalt = new QWidget(seite);
    inhalt->setMaximumWidth(520);
    auto* reihe = new QHBoxLayout;
    reihe->addStretch();
    reihe->addWidget(inhalt, 1);
    reihe->addStretch();
    auto* aussen = new QVBoxLayout(seite);
    aussen->addStretch();
    aussen->addLayout(reihe);
    aussen->addStretch();

    auto* spalte = new QVBoxLayout(inhalt);
    spalte->setSpacing(10);
    auto* symbol = new Symbol(QStringLiteral("exclamationmark.triangle"), inhalt);
    symbol->setFixedSize(44, 44);
    Vordergrund::setze(symbol, Vordergrund::sekundaer());
    spalte->addWidget(symbol, 0, Qt::AlignHCenter);

    auto* titel = new QLabel(tr("Portfolio nicht angelegt"), inhalt);
    titel->setFont(Schriftstil::ueberschrift(vergroessert(titel->font(), 1.5)));
    titel->setAlignment(Qt::AlignHCenter);
    titel->setWordWrap(true);
    spalte->addWidget(titel);

    // The save function's message, as it came: never read as markup.
    fehlertext_ = new QLabel(inhalt);
    fehlertext_->setObjectName(QStringLiteral("anlagefehlerText"));
    fehlertext_->setTextFormat(Qt::PlainText);
    fehlertext_->setWordWrap(true);
    fehlertext_->setAlignment(Qt::AlignHCenter);
    fehlertext_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Vordergrund::setze(fehlertext_, Vordergrund::sekundaer());
    spalte->addWidget(fehlertext_);

    auto* knopf = new QPushButton(tr("Erneut versuchen"), inhalt);
    knopf->setObjectName(QStringLiteral("erneutVersuchen"));
    connect(knopf, &QPushButton::clicked, this, [this] {
        anlage_.erneutVersuchen();
        aktualisiere();
    });
    spalte->addSpacing(6);
    spalte->addWidget(knopf, 0, Qt::AlignHCenter);
    return seite;
}

void PortfolioAnsicht::aktualisiere() {
    // A main window whose portfolio is gone (or no longer the first) goes with it.
    auto portfolio = anlage_.portfolio();
    if (fenster_ != nullptr && fenster_->portfolio() != portfolio) {
        stapel_->removeWidget(fenster_);
        fenster_->deleteLater();
        fenster_ = nullptr;
    }
    QWidget* ziel = nullptr;
    switch (anlage_.zustand()) {
    case Portfolioanlage::Zustand::fehlgeschlagen:
        fehlertext_->setText(qtText(anlage_.anlagefehler().value_or(std::string())));
        ziel = fehleransicht_;
        break;
    case Portfolioanlage::Zustand::bereit:
        if (fenster_ == nullptr) {
            fenster_ = new Portfoliofenster(portfolio, *beobachter_, this);
            stapel_->addWidget(fenster_);
            passeMinimumAn();
        }
        ziel = fenster_;
        break;
    case Portfolioanlage::Zustand::vorbereitung:
        ziel = vorbereitung_;
        break;
    }
    if (ziel == gezeigt_) {
        return;
    }
    gezeigt_ = ziel;
    stapel_->setCurrentWidget(ziel);
    if (ziel == vorbereitung_) {
        // The creation belongs to the waiting view: it starts each time that view comes up,
        // after the view is on screen.
        QMetaObject::invokeMethod(
            this,
            [this] {
                anlage_.legePortfolioAn();
                aktualisiere();
            },
            Qt::QueuedConnection);
    }
}

} // namespace qb
