#include "reference-dates/StichtagDetail.h"

#include <algorithm>

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "ui/Fokussicht.h"
#include "ui/Hinweiszeile.h"
#include "ui/Kennzahlenzeile.h"
#include "ui/Modellbeobachter.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "foundation/Formatierer.h"
#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "reference-dates/PreisKorrigierenDialog.h"
#include "reference-dates/Stichtagdetailzeile.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Stichtagsverlauf.h"

namespace qb {

namespace {

QLabel* etikett(const QString& text, QWidget* eltern) {
    auto* label = new QLabel(text, eltern);
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

Symbol* zeichen(const char* name, const QString& tipp, QWidget* eltern) {
    auto* symbol = new Symbol(QString::fromLatin1(name), eltern);
    symbol->setObjectName(QString::fromLatin1(name));
    symbol->setToolTip(tipp);
    symbol->setFixedSize(14, 14);
    return symbol;
}

// A flat button that takes the size of the labels laid out on it: QPushButton measures only
// its own text, which it has none of, and would clip a source line that wraps. A flat button
// shows no focus of its own, so the row draws it: a highlighted frame around the whole row.
class Zeilenknopf : public QPushButton {
public:
    using QPushButton::QPushButton;

    void paintEvent(QPaintEvent* ereignis) override {
        QPushButton::paintEvent(ereignis);
        if (!hasFocus()) {
            return;
        }
        QPainter maler(this);
        maler.setRenderHint(QPainter::Antialiasing);
        QColor flaeche = palette().color(QPalette::Highlight);
        flaeche.setAlphaF(0.12f);
        maler.setBrush(flaeche);
        maler.setPen(QPen(palette().color(QPalette::Highlight), 2));
        maler.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
    }

    QSize sizeHint() const override { return layout() ? layout()->totalSizeHint() : QPushButton::sizeHint(); }
    QSize minimumSizeHint() const override {
        return layout() ? layout()->totalMinimumSize() : QPushButton::minimumSizeHint();
    }
    bool hasHeightForWidth() const override { return layout() ? layout()->hasHeightForWidth() : false; }
    int heightForWidth(int breite) const override {
        return layout() ? layout()->totalHeightForWidth(breite) : QPushButton::heightForWidth(breite);
    }
};

// One row: a flat button whose labels let the click through.
QPushButton* baueZeile(const Stichtagdetailzeile& z, QWidget* eltern) {
    auto* knopf = new Zeilenknopf(eltern);
    knopf->setObjectName(QStringLiteral("zeile-") + qtText(z.klassenname()));
    knopf->setFlat(true);
    // As high as its content needs at the width it gets, never squeezed to one line.
    knopf->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    knopf->setAutoDefault(false);
    knopf->setAccessibleName(qtText(z.bedienhilfeText()));
    knopf->setAccessibleDescription(QObject::tr("Zum Korrigieren des Kurses öffnen"));
    auto* reihe = new QHBoxLayout(knopf);
    reihe->setContentsMargins(8, 6, 8, 6);
    reihe->setSpacing(16);

    auto* namen = new QVBoxLayout();
    namen->setSpacing(2);
    auto* klasse = etikett(qtText(z.klassenname()), knopf);
    klasse->setFont(Schriftstil::hervorhebung(klasse->font()));
    auto* name = etikett(qtText(z.name()), knopf);
    name->setFont(Schriftstil::beschriftung(name->font()));
    Vordergrund::setze(name, Vordergrund::sekundaer());
    namen->addWidget(klasse);
    namen->addWidget(name);
    auto* namensspalte = new QWidget(knopf);
    namensspalte->setAttribute(Qt::WA_TransparentForMouseEvents);
    namensspalte->setMinimumWidth(140);
    namensspalte->setLayout(namen);
    namen->setContentsMargins(0, 0, 0, 0);
    reihe->addWidget(namensspalte, 0, Qt::AlignTop);

    if (!z.hatNotiz()) {
        auto* fehlt = new QWidget(knopf);
        fehlt->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* fehltReihe = new QHBoxLayout(fehlt);
        fehltReihe->setContentsMargins(0, 0, 0, 0);
        fehltReihe->addWidget(zeichen("questionmark.circle", {}, fehlt));
        auto* text = etikett(QObject::tr("Kurs fehlt"), fehlt);
        text->setObjectName("kursFehlt");
        fehltReihe->addWidget(text);
        Vordergrund::setze(fehlt, Signalfarbe::warnung);
        reihe->addWidget(fehlt, 0, Qt::AlignTop);
        reihe->addStretch(1);
        auto* eintragen = etikett(QObject::tr("eintragen"), knopf);
        eintragen->setFont(Schriftstil::beschriftung(eintragen->font()));
        Vordergrund::setze(eintragen, Vordergrund::sekundaer());
        reihe->addWidget(eintragen, 0, Qt::AlignTop);
        return knopf;
    }

    auto* preisspalte = new QVBoxLayout();
    preisspalte->setSpacing(2);
    auto* preisreihe = new QHBoxLayout();
    preisreihe->setSpacing(6);
    auto* preis = etikett(qtText(z.preisText()), knopf);
    preis->setObjectName("preis");
    preis->setFont(Schriftstil::festbreite(preis->font()));
    preisreihe->addWidget(preis);
    if (z.vonHand()) {
        auto* symbol = zeichen("hand.raised", QObject::tr("Von Hand eingetragen"), knopf);
        Vordergrund::setze(symbol, Vordergrund::akzent());
        preisreihe->addWidget(symbol);
    }
    if (z.ohneBezahltenKurs()) {
        auto* symbol = zeichen("exclamationmark.circle", QObject::tr("Kein bezahlter Kurs"), knopf);
        Vordergrund::setze(symbol, Signalfarbe::warnung);
        preisreihe->addWidget(symbol);
    }
    if (z.duennerHandel()) {
        auto* symbol = zeichen("drop", QObject::tr("Sehr wenig Handel an diesem Tag, der Kurs ist entsprechend unsicher"),
                               knopf);
        Vordergrund::setze(symbol, Signalfarbe::warnung);
        preisreihe->addWidget(symbol);
    }
    preisreihe->addStretch(1);
    preisspalte->addLayout(preisreihe);
    auto* quelle = etikett(qtText(z.quellenzeile()), knopf);
    quelle->setObjectName("quellenzeile");
    quelle->setWordWrap(true);
    quelle->setFont(Schriftstil::beschriftung(quelle->font()));
    Vordergrund::setze(quelle, Vordergrund::sekundaer());
    preisspalte->addWidget(quelle);
    if (z.hinweis()) {
        auto* hinweis = new Hinweiszeile(qtText(*z.hinweis()), QStringLiteral("exclamationmark.circle"), knopf);
        hinweis->setObjectName("kennungshinweis");
        hinweis->setAttribute(Qt::WA_TransparentForMouseEvents);
        hinweis->setFont(Schriftstil::beschriftung(hinweis->font()));
        Vordergrund::setze(hinweis, Signalfarbe::warnung);
        preisspalte->addWidget(hinweis);
    }
    reihe->addLayout(preisspalte, 1);

    auto* wertspalte = new QVBoxLayout();
    wertspalte->setSpacing(2);
    if (z.wertText()) {
        auto* wert = etikett(qtText(*z.wertText()), knopf);
        wert->setObjectName("wert");
        wert->setFont(Schriftstil::festbreite(wert->font()));
        wertspalte->addWidget(wert, 0, Qt::AlignRight);
    }
    if (z.gewinnText() && z.renditeText()) {
        auto* gewinn = etikett(qtText(*z.gewinnText() + "  " + *z.renditeText()), knopf);
        gewinn->setObjectName("gewinn");
        gewinn->setFont(Schriftstil::festbreite(Schriftstil::beschriftung(gewinn->font())));
        switch (z.richtung()) {
        case Stichtagdetailzeile::Richtung::gewinn: Vordergrund::setze(gewinn, Signalfarbe::gewinn); break;
        case Stichtagdetailzeile::Richtung::verlust: Vordergrund::setze(gewinn, Signalfarbe::verlust); break;
        case Stichtagdetailzeile::Richtung::neutral: Vordergrund::setze(gewinn, Vordergrund::sekundaer()); break;
        }
        wertspalte->addWidget(gewinn, 0, Qt::AlignRight);
    }
    reihe->addLayout(wertspalte);
    return knopf;
}

QFrame* trennlinie(QWidget* eltern) {
    auto* linie = new QFrame(eltern);
    linie->setFrameShape(QFrame::HLine);
    return linie;
}

} // namespace

StichtagDetail::StichtagDetail(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
                               Modellbeobachter& beobachter, Kursdienst dienst, QWidget* eltern)
    : QWidget(eltern), portfolio_(std::move(portfolio)), bewertung_(std::move(bewertung)), beobachter_(beobachter),
      dienst_(std::move(dienst)) {
    setObjectName("stichtagDetail");
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);
    auto* kopf = new QVBoxLayout();
    kopf->setContentsMargins(16, 16, 16, 16);
    kopf->setSpacing(2);
    datum_ = etikett({}, this);
    datum_->setObjectName("datum");
    datum_->setFont(Schriftstil::ueberschrift(datum_->font()));
    uhrzeit_ = etikett({}, this);
    uhrzeit_->setObjectName("uhrzeit");
    uhrzeit_->setFont(Schriftstil::beschriftung(uhrzeit_->font()));
    Vordergrund::setze(uhrzeit_, Vordergrund::sekundaer());
    kopf->addWidget(datum_);
    kopf->addWidget(uhrzeit_);
    spalte->addLayout(kopf);
    spalte->addWidget(trennlinie(this));

    rollen_ = new QScrollArea(this);
    rollen_->setWidgetResizable(true);
    rollen_->setFrameShape(QFrame::NoFrame);
    // The rows are the stops for Tab; the page around them shows no focus and has no name.
    rollen_->setFocusPolicy(Qt::NoFocus);
    Fokussicht::folge(rollen_);
    liste_ = new QWidget(rollen_);
    zeilen_ = new QVBoxLayout(liste_);
    zeilen_->setContentsMargins(8, 8, 8, 8);
    rollen_->setWidget(liste_);
    spalte->addWidget(rollen_, 1);
    spalte->addWidget(trennlinie(this));

    zeige();
    connect(&beobachter_, &Modellbeobachter::geaendert, this, &StichtagDetail::zeige);
}

QSize StichtagDetail::minimumSizeHint() const {
    return QWidget::minimumSizeHint().expandedTo(QSize(420, 0));
}

std::optional<Wertveraenderung> StichtagDetail::veraenderung() const {
    const Portfoliostand stand(*portfolio_, bewertung_.get());
    return Stichtagsverlauf(*portfolio_).veraenderung(bewertung_->datum(), stand.gesamtwert());
}

void StichtagDetail::zeige() {
    // A reference date removed meanwhile: the list replaces this view, nothing to show until then.
    if (!bewertung_->portfolio()) {
        return;
    }
    const Formatierer format;
    const Zeitzone zone = Zeitzone::aktuell();
    datum_->setText(qtText(format.datumMitWochentag(bewertung_->datum(), zone)));
    uhrzeit_->setText(qtText(format.uhrzeit(bewertung_->datum(), zone)));

    const Portfoliostand stand(*portfolio_, bewertung_.get());
    // The rows are built anew: the cursor stays on the row of the same class, also when a
    // correction saved from its row closes.
    const QWidget* fokus = window()->focusWidget();
    const QString fokuszeile =
        fokus != nullptr && liste_->isAncestorOf(fokus) ? fokus->objectName() : QString();
    while (auto* eintrag = zeilen_->takeAt(0)) {
        delete eintrag->widget();
        delete eintrag;
    }
    for (const auto& element : stand.positionen()) {
        if (!element.istFestgelegt) {
            continue;
        }
        const auto position = portfolio_->position(element.assetklasse);
        const auto notiz = position ? bewertung_->notiz(*position) : nullptr;
        std::optional<std::string> hinweis;
        if (position && notiz) {
            hinweis = Stichtagdetailzeile::kennungshinweis(*notiz, position->kennung());
        }
        const Stichtagdetailzeile zeile(element, notiz.get(),
                                        position ? position->notierung() : Notierungsart::stueckpreis, hinweis,
                                        format, zone);
        auto* knopf = baueZeile(zeile, liste_);
        const Assetklasse klasse = element.assetklasse;
        connect(knopf, &QPushButton::clicked, this, [this, klasse] { oeffneKorrektur(klasse); });
        zeilen_->addWidget(knopf);
        if (knopf->objectName() == fokuszeile) {
            knopf->show(); // a hidden widget takes no focus
            knopf->setFocus(Qt::OtherFocusReason);
        }
    }
    zeilen_->addStretch(1);
    // The rows scroll up and down, never sideways: the detail asks for the width its widest
    // row needs at the font it has, and the window follows.
    int breite = 0;
    for (const QPushButton* knopf : liste_->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        breite = std::max(breite, knopf->minimumSizeHint().width());
    }
    const QMargins rand = zeilen_->contentsMargins();
    rollen_->setMinimumWidth(breite + rand.left() + rand.right() +
                             rollen_->verticalScrollBar()->sizeHint().width());

    if (kennzahlen_) {
        kennzahlen_->setze(stand, std::nullopt, veraenderung());
    } else {
        kennzahlen_ = new Kennzahlenzeile(stand, std::nullopt, veraenderung(), std::nullopt, this);
        kennzahlen_->setObjectName("kennzahlen");
        layout()->addWidget(kennzahlen_);
    }
}

void StichtagDetail::oeffneKorrektur(Assetklasse klasse) {
    if (korrektur_) {
        return;
    }
    korrektur_ = new PreisKorrigierenDialog(portfolio_, bewertung_, klasse, beobachter_.kontext(), dienst_, this);
    korrektur_->open();
}

} // namespace qb
