#include "app/Portfoliofenster.h"

#include <algorithm>

#include <QAccessibleWidget>
#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/Dialoge.h"
#include "app/EinstellungenAnsicht.h"
#include "ui/Einzeiler.h"
#include "app/Fensterkopf.h"
#include "ui/Modellbeobachter.h"
#include "ui/Schriftstil.h"
#include "ui/Segmentknopf.h"
#include "app/Startueberlagerung.h"
#include "ui/Symbol.h"
#include "app/Tabellendokument.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "model/Portfolio.h"
#include "performance/EntwicklungAnsicht.h"
#include "positions/PositionBearbeitenDialog.h"
#include "positions/PositionenListe.h"
#include "reference-dates/StichtageAnsicht.h"
#include "sources/Kursdienst.h"

namespace qb {

namespace {

// The header's values: a title size above the body text.
QFont titelschrift(QFont schrift, QFont::Weight gewicht) {
    if (schrift.pointSizeF() > 0) {
        schrift.setPointSizeF(schrift.pointSizeF() * 1.4);
    } else if (schrift.pixelSize() > 0) {
        schrift.setPixelSize(qRound(schrift.pixelSize() * 1.4));
    }
    schrift.setWeight(gewicht);
    return schrift;
}

// One item of the header: its title small and secondary above its value.
QVBoxLayout* kopfeintrag(const QString& titel, QWidget* wert, Qt::Alignment ausrichtung, QWidget* eltern) {
    auto* spalte = new QVBoxLayout;
    spalte->setSpacing(4);
    auto* beschriftung = new QLabel(titel, eltern);
    beschriftung->setFont(Schriftstil::beschriftung(beschriftung->font()));
    Vordergrund::setze(beschriftung, Vordergrund::sekundaer());
    spalte->addWidget(beschriftung, 0, ausrichtung);
    spalte->addWidget(wert, 0, ausrichtung);
    return spalte;
}

// The stack of the four tab pages. Assistive technology meets the page shown and no other: the
// pages hidden from the eye keep their state and their running work, but are hidden from it
// too, down to the items of their lists.
class Seitenstapel : public QStackedWidget {
public:
    using QStackedWidget::QStackedWidget;
};

class Seitenstapelzugang : public QAccessibleWidget {
public:
    explicit Seitenstapelzugang(QWidget* stapel) : QAccessibleWidget(stapel, QAccessible::LayeredPane) {}

    int childCount() const override { return gezeigt() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && gezeigt() != nullptr ? QAccessible::queryAccessibleInterface(gezeigt())
                                                  : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* kind) const override {
        return kind != nullptr && gezeigt() != nullptr && kind->object() == gezeigt() ? 0 : -1;
    }

private:
    QWidget* gezeigt() const { return static_cast<const QStackedWidget*>(widget())->currentWidget(); }
};

QAccessibleInterface* seitenstapelzugang(const QString& klasse, QObject* objekt) {
    if (klasse == QLatin1String("QStackedWidget") && dynamic_cast<Seitenstapel*>(objekt) != nullptr) {
        return new Seitenstapelzugang(static_cast<QWidget*>(objekt));
    }
    return nullptr;
}

} // namespace

Portfoliofenster::Portfoliofenster(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                                   QWidget* eltern)
    : QWidget(eltern), portfolio_(std::move(portfolio)), beobachter_(beobachter) {
    setObjectName(QStringLiteral("portfoliofenster"));
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);
    spalte->addWidget(baueWerkzeugleiste());
    spalte->addWidget(baueKopf());
    auto* linie = new QFrame(this);
    linie->setFrameShape(QFrame::HLine);
    linie->setFrameShadow(QFrame::Sunken);
    spalte->addWidget(linie);
    static const bool zugangEingerichtet = [] {
        QAccessible::installFactory(&seitenstapelzugang);
        return true;
    }();
    (void)zugangEingerichtet;
    seiten_ = new Seitenstapel(this);
    seiten_->setObjectName(QStringLiteral("seiten"));
    spalte->addWidget(seiten_, 1);
    seiten_->addWidget(baueSeite(Bereich::portfolio));

    connect(&beobachter, &Modellbeobachter::geaendert, this, &Portfoliofenster::aktualisiereKopf);
    aktualisiereKopf();
    waehle(Bereich::portfolio);
}

QWidget* Portfoliofenster::baueWerkzeugleiste() {
    auto* leiste = new QToolBar(this);
    leiste->setObjectName(QStringLiteral("werkzeugleiste"));
    leiste->setMovable(false);
    leiste->setFloatable(false);

    auto* zeile = new QWidget(leiste);
    auto* reihe = new QHBoxLayout(zeile);
    reihe->setContentsMargins(8, 4, 8, 4);

    exportKnopf_ = new QToolButton(zeile);
    exportKnopf_->setObjectName(QStringLiteral("tabelleExportieren"));
    exportKnopf_->setText(tr("Tabelle exportieren"));
    exportKnopf_->setToolTip(tr("Exportiert die Tabelle im Layout des Aufgabenblatts"));
    exportKnopf_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(exportKnopf_, &QToolButton::clicked, this, &Portfoliofenster::exportiere);
    aktualisiereExportsymbol();

    // The picker sits in the middle of the window: the space on its left is as wide as the
    // export button on its right, and both sides stretch alike.
    links_ = new QWidget(zeile);
    links_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    rechts_ = new QWidget(zeile);
    rechts_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* rechtsReihe = new QHBoxLayout(rechts_);
    rechtsReihe->setContentsMargins(0, 0, 0, 0);
    rechtsReihe->addStretch();
    rechtsReihe->addWidget(exportKnopf_);

    auto* auswahl = new QWidget(zeile);
    auswahl->setObjectName(QStringLiteral("bereichsauswahl"));
    auswahl->setAccessibleName(tr("Bereich"));
    auto* segmente = new QHBoxLayout(auswahl);
    segmente->setContentsMargins(0, 0, 0, 0);
    segmente->setSpacing(0);
    auswahl_ = new QButtonGroup(this);
    auswahl_->setExclusive(true);
    for (Bereich bereich : alleBereiche) {
        auto* segment = new Segmentknopf(tr(titel(bereich)), auswahl);
        segment->setObjectName(QStringLiteral("bereich-") + qtText(rohwert(bereich)));
        segment->setAutoDefault(false);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segmente->addWidget(segment);
        auswahl_->addButton(segment, static_cast<int>(bereich));
    }
    // Whatever checks a segment shows its page: a click, the keyboard, or a screen reader's
    // press or toggle action (the last one checks the button without clicking it).
    connect(auswahl_, &QButtonGroup::idToggled, this, [this](int id, bool gewaehlt) {
        if (gewaehlt && static_cast<Bereich>(id) != bereich_) {
            waehle(static_cast<Bereich>(id));
        }
    });

    reihe->addWidget(links_, 1);
    reihe->addWidget(auswahl, 0);
    reihe->addWidget(rechts_, 1);
    zeile->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    leiste->addWidget(zeile);
    passeSeitenbreiteAn();
    return leiste;
}

QWidget* Portfoliofenster::baueKopf() {
    auto* kopf = new QWidget(this);
    kopf->setObjectName(QStringLiteral("kopf"));
    auto* reihe = new QHBoxLayout(kopf);
    reihe->setContentsMargins(20, 14, 20, 14);
    reihe->setSpacing(36);

    gruppe_ = new Einzeiler(kopf);
    gruppe_->setObjectName(QStringLiteral("gruppe"));
    eingestiegenAm_ = new QLabel(kopf);
    eingestiegenAm_->setObjectName(QStringLiteral("eingestiegenAm"));
    startkapital_ = new QLabel(kopf);
    startkapital_->setObjectName(QStringLiteral("startkapital"));
    const QFont wertschrift = titelschrift(font(), QFont::DemiBold);
    for (QLabel* wert : {eingestiegenAm_, startkapital_}) {
        wert->setTextFormat(Qt::PlainText);
        wert->setFont(wertschrift);
    }

    reihe->addLayout(kopfeintrag(tr("Gruppe"), gruppe_, Qt::AlignLeft, kopf), 0);
    reihe->addLayout(kopfeintrag(tr("Eingestiegen am"), eingestiegenAm_, Qt::AlignLeft, kopf), 0);
    reihe->addStretch(1);
    reihe->addLayout(kopfeintrag(tr("Startkapital"), startkapital_, Qt::AlignRight, kopf), 0);
    return kopf;
}

QWidget* Portfoliofenster::baueSeite(Bereich bereich) {
    switch (bereich) {
    case Bereich::portfolio: {
        auto* liste = new PositionenListe(portfolio_, beobachter_, seiten_);
        connect(liste, &PositionenListe::bearbeiten, this, [this](Assetklasse klasse) {
            // The sheet deletes itself when it closes.
            auto* blatt = new PositionBearbeitenDialog(klasse, portfolio_, beobachter_, Kursdienst::standard(), this);
            blatt->open();
        });
        return liste;
    }
    case Bereich::stichtage:
        return new StichtageAnsicht(portfolio_, beobachter_, seiten_);
    case Bereich::entwicklung:
        return new EntwicklungAnsicht(portfolio_, beobachter_, {}, seiten_);
    case Bereich::einstellungen:
        return new EinstellungenAnsicht(portfolio_, beobachter_, seiten_);
    }
    return nullptr;
}

void Portfoliofenster::baueAlleSeiten() {
    for (auto i = static_cast<std::size_t>(seiten_->count()); i < alleBereiche.size(); ++i) {
        QWidget* seite = baueSeite(alleBereiche[i]);
        seite->setEnabled(alleBereiche[i] == bereich_);
        seiten_->addWidget(seite);
    }
}

void Portfoliofenster::paintEvent(QPaintEvent* ereignis) {
    QWidget::paintEvent(ereignis);
    if (!restGeplant_) {
        restGeplant_ = true;
        // Queued: the frame being painted reaches the screen before the pages are built.
        QMetaObject::invokeMethod(this, &Portfoliofenster::baueAlleSeiten, Qt::QueuedConnection);
    }
}

QWidget* Portfoliofenster::seite(Bereich bereich) {
    baueAlleSeiten();
    return seiten_->widget(static_cast<int>(bereich));
}

void Portfoliofenster::waehle(Bereich bereich) {
    if (bereich != bereich_) {
        baueAlleSeiten();
        blendeUeber(seite(bereich_));
    }
    bereich_ = bereich;
    auswahl_->button(static_cast<int>(bereich))->setChecked(true);
    // Disabled first, so that a page never sees itself shown together with another.
    for (int i = 0; i < seiten_->count(); ++i) {
        if (i != static_cast<int>(bereich)) {
            seiten_->widget(i)->setEnabled(false);
        }
    }
    seiten_->widget(static_cast<int>(bereich))->setEnabled(true);
    seiten_->setCurrentIndex(static_cast<int>(bereich));
}

void Portfoliofenster::blendeUeber(QWidget* alteSeite) {
    if (!isVisible() || Startueberlagerung::bewegungReduziert(this)) {
        return;
    }
    // The old page as a picture over the new one, fading out: a cross-fade that repaints
    // neither page on every frame.
    auto* bild = new QLabel(seiten_);
    bild->setObjectName(QStringLiteral("ueberblendung"));
    bild->setPixmap(alteSeite->grab());
    bild->setGeometry(seiten_->rect());
    bild->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* deckkraft = new QGraphicsOpacityEffect(bild);
    bild->setGraphicsEffect(deckkraft);
    bild->show();
    bild->raise();
    auto* ablauf = new QPropertyAnimation(deckkraft, "opacity", bild);
    ablauf->setDuration(180);
    ablauf->setStartValue(1.0);
    ablauf->setEndValue(0.0);
    ablauf->setEasingCurve(QEasingCurve::InOutQuad);
    connect(ablauf, &QPropertyAnimation::finished, bild, &QObject::deleteLater);
    ablauf->start();
}

void Portfoliofenster::aktualisiereKopf() {
    if (portfolio_->istGeloescht()) {
        return;
    }
    const Fensterkopf kopf = Fensterkopf::aus(*portfolio_, Formatierer(), Zeitzone::aktuell());
    if (kopf.gruppenname) {
        gruppe_->setFont(titelschrift(font(), QFont::DemiBold));
        gruppe_->setzeText(qtText(*kopf.gruppenname));
        Vordergrund::setze(gruppe_, Vordergrund::primaer());
    } else {
        gruppe_->setFont(titelschrift(font(), QFont::Normal));
        gruppe_->setzeText(tr("noch kein Name"));
        Vordergrund::setze(gruppe_, Vordergrund::sekundaer());
    }
    eingestiegenAm_->setText(qtText(kopf.eingestiegenAm));
    startkapital_->setText(qtText(kopf.startkapital));
}

void Portfoliofenster::aktualisiereExportsymbol() {
    exportKnopf_->setIcon(
        QIcon(Symbol::bild(QStringLiteral("square.and.arrow.up"), palette().color(QPalette::ButtonText), 16,
                           devicePixelRatioF())));
}

void Portfoliofenster::changeEvent(QEvent* ereignis) {
    QWidget::changeEvent(ereignis);
    if (ereignis->type() == QEvent::PaletteChange && exportKnopf_ != nullptr) {
        aktualisiereExportsymbol();
    } else if (ereignis->type() == QEvent::FontChange && exportKnopf_ != nullptr) {
        passeSeitenbreiteAn();
    }
}

void Portfoliofenster::passeSeitenbreiteAn() {
    // The picker is at least 360 wide, and wide enough for every segment's title at the font it
    // has; the export button's width stands on both sides of it.
    int auswahlbreite = 0;
    for (const QAbstractButton* segment : auswahl_->buttons()) {
        auswahlbreite += segment->sizeHint().width();
    }
    auswahl_->buttons().front()->parentWidget()->setMinimumWidth(std::max(360, auswahlbreite));
    for (QWidget* seite : {links_, rechts_}) {
        seite->setMinimumWidth(exportKnopf_->sizeHint().width());
    }
}

void Portfoliofenster::exportiere() {
    // The sheet as the records are now, the ones on screen; a fresh bundle of sources each time.
    const Tabellendokument dokument(Tabellendokument::tabelle(*portfolio_, Kursdienst::standard()));

    auto* dialog = new QFileDialog(this);
    dialog->setObjectName(QStringLiteral("exportDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // Qt's own dialog: German like the rest of the window, whatever the desktop's language.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setNameFilters({tr("CSV-Dateien (*.csv)"), tr("Alle Dateien (*)")});
    const QString dokumente = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog->setDirectory(QDir(dokumente).exists() ? dokumente : QDir::homePath());
    dialog->selectFile(qtText(Tabellendokument::dateiname(*portfolio_)));
    // Cancelling is no failure: only a chosen file leads anywhere.
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, dokument](const QString& pfad) { schreibe(dokument, pfad); });
    dialog->open();
}

void Portfoliofenster::schreibe(const Tabellendokument& dokument, const QString& pfad) {
    if (auto fehler = dokument.schreibe(pfad)) {
        zeigeMeldung(this, tr("Der Export hat nicht funktioniert"), qtText(*fehler),
                     QStringLiteral("exportFehler"));
    }
}

} // namespace qb
