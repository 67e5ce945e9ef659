#include "reference-dates/StichtageAnsicht.h"

#include <algorithm>
#include <utility>

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/Datumsfeld.h"
#include "ui/Dialoge.h"
#include "ui/Hinweiszeile.h"
#include "ui/Leeransicht.h"
#include "ui/Modellbeobachter.h"
#include "ui/Radwache.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Symbol.h"
#include "ui/Tageswechsel.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "foundation/Formatierer.h"
#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "reference-dates/PreisKorrigierenDialog.h"
#include "reference-dates/StichtagDetail.h"
#include "reference-dates/Stichtagslistenfeld.h"
#include "reference-dates/StichtagErfassenDialog.h"
#include "reference-dates/Stichtagsliste.h"
#include "sources/Kursdienst.h"

namespace qb {

namespace {

constexpr int idRolle = Qt::UserRole + 1;

// The list column's note in place of the list: a headline with its symbol, the explanation
// below, both at the column's leading edge.
QWidget* leerhinweis(QWidget* eltern, const QString& name, const QString& titel, const QString& symbol,
                     const QString& text) {
    auto* block = new QWidget(eltern);
    block->setObjectName(name);
    auto* spalte = new QVBoxLayout(block);
    spalte->setContentsMargins(12, 12, 12, 12);
    spalte->setSpacing(8);
    auto* kopf = new Hinweiszeile(titel, symbol, block);
    kopf->setObjectName(QStringLiteral("titel"));
    kopf->setFont(Schriftstil::ueberschrift(kopf->font()));
    auto* erklaerung = new QLabel(text, block);
    erklaerung->setObjectName(QStringLiteral("text"));
    erklaerung->setTextFormat(Qt::PlainText);
    erklaerung->setWordWrap(true);
    erklaerung->setFont(Schriftstil::hervorhebung(erklaerung->font()));
    Vordergrund::setze(erklaerung, Vordergrund::sekundaer());
    spalte->addWidget(kopf);
    spalte->addWidget(erklaerung);
    spalte->addStretch();
    return block;
}

QDate alsDatum(Zeitpunkt t, const Kalender& kalender) {
    const Datumsteile teile = kalender.teile(t);
    return QDate(teile.jahr, teile.monat, teile.tag);
}

// One row of the list: the date, and the total value with the return, or the missing prices.
QWidget* stichtagszeile(QWidget* eltern, const Stichtagsliste::Zeilentexte& texte, bool ausgewaehlt) {
    auto* zeile = new QWidget(eltern);
    auto* spalte = new QVBoxLayout(zeile);
    spalte->setContentsMargins(6, 2, 6, 2);
    spalte->setSpacing(3);
    auto* datum = new QLabel(qtText(texte.datum), zeile);
    datum->setObjectName(QStringLiteral("datum"));
    datum->setTextFormat(Qt::PlainText);
    QFont fett = datum->font();
    fett.setWeight(QFont::Medium);
    datum->setFont(fett);
    spalte->addWidget(datum);
    const QFont klein = Schriftstil::beschriftung(datum->font());
    if (!texte.wert) {
        auto* fehlt = new QLabel(QObject::tr("Kurse unvollständig"), zeile);
        fehlt->setObjectName(QStringLiteral("unvollstaendig"));
        fehlt->setFont(klein);
        Vordergrund::setze(fehlt, ausgewaehlt ? Vordergrund::primaer() : Vordergrund(Signalfarbe::warnung));
        spalte->addWidget(fehlt);
        return zeile;
    }
    auto* reihe = new QHBoxLayout;
    reihe->setSpacing(8);
    auto* wert = new QLabel(qtText(*texte.wert), zeile);
    wert->setObjectName(QStringLiteral("wert"));
    wert->setFont(Schriftstil::festbreite(klein));
    reihe->addWidget(wert);
    if (texte.rendite) {
        auto* rendite = new QLabel(qtText(*texte.rendite), zeile);
        rendite->setObjectName(QStringLiteral("rendite"));
        rendite->setFont(Schriftstil::festbreite(klein));
        Vordergrund stil = Vordergrund::sekundaer();
        if (ausgewaehlt) {
            stil = Vordergrund::primaer();
        } else if (texte.richtung == Stichtagsliste::Richtung::gewinn) {
            stil = Signalfarbe::gewinn;
        } else if (texte.richtung == Stichtagsliste::Richtung::verlust) {
            stil = Signalfarbe::verlust;
        }
        Vordergrund::setze(rendite, stil);
        reihe->addWidget(rendite);
    }
    reihe->addStretch();
    spalte->addLayout(reihe);
    return zeile;
}

} // namespace

StichtageAnsicht::StichtageAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                                   QWidget* eltern)
    : StichtageAnsicht(std::move(portfolio), beobachter, Kursdienst::standard(), eltern) {}

StichtageAnsicht::StichtageAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                                   Kursdienst dienst, QWidget* eltern)
    : QWidget(eltern), portfolio_(std::move(portfolio)), beobachter_(beobachter), dienst_(std::move(dienst)) {
    setObjectName(QStringLiteral("stichtageAnsicht"));
    auto* aussen = new QHBoxLayout(this);
    aussen->setContentsMargins(0, 0, 0, 0);
    auto* teiler = new QSplitter(Qt::Horizontal, this);
    teiler->setChildrenCollapsible(false);
    aussen->addWidget(teiler);

    spalte_ = new QWidget(teiler);
    auto* spalte = spalte_;
    spalte->setMinimumWidth(240);
    auto* spaltenLayout = new QVBoxLayout(spalte);
    spaltenLayout->setContentsMargins(0, 0, 0, 0);
    spaltenLayout->setSpacing(0);

    kopf_ = new QWidget(spalte);
    auto* kopf = kopf_;
    auto* kopfLayout = new QVBoxLayout(kopf);
    kopfLayout->setContentsMargins(12, 12, 12, 12);
    kopfLayout->setSpacing(8);
    auto* datumsreihe = new QHBoxLayout;
    auto* datumstitel = new QLabel(tr("Stichtag"), kopf);
    datumswahl_ = new Datumsfeld(kopf);
    datumswahl_->setObjectName(QStringLiteral("datumswahl"));
    datumswahl_->setAccessibleName(tr("Stichtag"));
    datumstitel->setBuddy(datumswahl_);
    datumsreihe->addWidget(datumstitel);
    datumsreihe->addWidget(datumswahl_);
    datumsreihe->addStretch();
    kopfLayout->addLayout(datumsreihe);
    kopfLayout->addWidget(datumswahl_->hinweiszeile());
    auto* knopfreihe = new QHBoxLayout;
    anlegen_ = new QPushButton(kopf);
    anlegen_->setObjectName(QStringLiteral("stichtagAnlegen"));
    anlegen_->setAutoDefault(false);
    knopfreihe->addWidget(anlegen_);
    knopfreihe->addStretch();
    kopfLayout->addLayout(knopfreihe);
    erklaerung_ = new QLabel(kopf);
    erklaerung_->setObjectName(QStringLiteral("erklaerung"));
    erklaerung_->setWordWrap(true);
    erklaerung_->setFont(Schriftstil::beschriftung(erklaerung_->font()));
    Vordergrund::setze(erklaerung_, Vordergrund::sekundaer());
    kopfLayout->addWidget(erklaerung_);
    spaltenLayout->addWidget(kopf);

    listenteil_ = new QStackedWidget(spalte);
    keinePositionen_ = leerhinweis(listenteil_, QStringLiteral("keinePositionen"), tr("Noch keine Positionen"),
                                   QStringLiteral("tray"),
                                   tr("Lege zuerst im Bereich Portfolio deine fünf Positionen an."));
    keinStichtag_ = leerhinweis(
        listenteil_, QStringLiteral("keinStichtag"), tr("Noch kein Stichtag"), QStringLiteral("calendar.badge.plus"),
        tr("Vor jeder Vorlesungsstunde einen Stichtag anlegen und die Bloomberg-Kurse eintragen. Vergessen? Dann "
           "oben das Datum zurückstellen und die Kurse von damals nachtragen."));
    liste_ = new Stichtagslistenfeld(listenteil_);
    liste_->setObjectName(QStringLiteral("stichtagsliste"));
    listenteil_->addWidget(keinePositionen_);
    listenteil_->addWidget(keinStichtag_);
    listenteil_->addWidget(liste_);
    spaltenLayout->addWidget(listenteil_, 1);

    detailseite_ = new QStackedWidget(teiler);
    keinDetail_ = new Leeransicht(QStringLiteral("hand.tap"), tr("Kein Stichtag ausgewählt"),
                                  tr("Links einen Stichtag auswählen, um die einzelnen Kurse zu sehen."), detailseite_);
    keinDetail_->setObjectName(QStringLiteral("keinDetail"));
    // On the empty side only: the detail asks for the width its rows need, which a minimum on
    // the stack would override.
    keinDetail_->setMinimumWidth(420);
    detailseite_->addWidget(keinDetail_);
    teiler->addWidget(spalte);
    teiler->addWidget(detailseite_);
    teiler->setStretchFactor(1, 1);

    // The field owns the day: the button follows what the user picks, steps to or types, and
    // what a new range makes of it.
    connect(datumswahl_, &Datumsfeld::datumGeaendert, this, [this] {
        if (!stelltFeld_) {
            zeigeTag();
        }
    });
    connect(datumswahl_, &Datumsfeld::gueltigGeaendert, this, &StichtageAnsicht::schalteAnlegen);
    connect(datumswahl_, &Datumsfeld::eingabeGenommen, this, &StichtageAnsicht::tagGenommen);
    connect(anlegen_, &QPushButton::clicked, this, &StichtageAnsicht::stichtagAnlegen);
    // A click or the arrow keys select; the rows are rebuilt without signals, so only the user
    // moves the selection.
    connect(liste_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto gewaehlt = liste_->selectedItems();
        if (gewaehlt.isEmpty()) {
            return;
        }
        ausgewaehlt_ = gewaehlt.front()->data(idRolle).value<qint64>();
        // Rebuilt after the event returns: the row's own widgets change colour.
        QMetaObject::invokeMethod(this, &StichtageAnsicht::zeige, Qt::QueuedConnection);
    });
    connect(liste_, &QWidget::customContextMenuRequested, this, &StichtageAnsicht::zeilenmenue);
    connect(&beobachter_, &Modellbeobachter::geaendert, this, &StichtageAnsicht::zeige);
    tageswechsel_ = new Tageswechsel(this);
    connect(tageswechsel_, &Tageswechsel::neuerTag, this, &StichtageAnsicht::zeige);
    // The calendar offers the days up to the today of the moment it opens.
    connect(datumswahl_, &Datumsfeld::kalenderOeffnetSich, tageswechsel_, &Tageswechsel::pruefe);
    // The wheel over the date field scrolls past it unless the field has the focus.
    Radwache::schuetze(this);
    zeige();
}

StichtageAnsicht::~StichtageAnsicht() = default;

StichtagErfassenDialog* StichtageAnsicht::erfassung() const {
    return erfassung_;
}

StichtagDetail* StichtageAnsicht::detail() const {
    return detail_;
}

void StichtageAnsicht::zeige() {
    const Kalender kalender = Kalender::aktuell();
    const Zeitpunkt nun = jetzt();
    const QDate heute = alsDatum(nun, kalender);
    {
        const QScopedValueRollback stellt(stelltFeld_, true);
        // Until the user gives a past day, the field shows today, and moves on with it when the
        // date changes; a past day taken or a text still being typed stays, and the field judges
        // it against the new range.
        const bool folgtHeute = !heute_.isValid() || datumswahl_->datum() == heute_;
        datumswahl_->setzeBereich(
            alsDatum(Stichtagsliste::fruehesterTag(*portfolio_, nun, kalender), kalender), heute);
        if (folgtHeute) {
            datumswahl_->setzeDatum(heute);
        }
        heute_ = heute;
    }
    zeigeTag();
    zeigeListe();
    zeigeDetail();
}

void StichtageAnsicht::tagGenommen() {
    // Today is that of the moment the day is taken, also after a night that passed unseen: today
    // taken then is no pinned day, a day taken that has just become yesterday is a past one.
    tageswechsel_->pruefe();
    if (datumswahl_->istGueltig() && datumswahl_->datum() == alsDatum(jetzt(), Kalender::aktuell())) {
        datumswahl_->gibEingabeFrei();
    }
}

Zeitpunkt StichtageAnsicht::gewaehlterTag(const Kalender& kalender, Zeitpunkt nun) const {
    const QDate datum = datumswahl_->datum();
    const auto tag = kalender.zeitpunkt(Datumsteile{datum.year(), datum.month(), datum.day(), 12, 0, 0});
    return Stichtagsliste::wirksamerTag(*portfolio_, tag.value_or(nun), nun, kalender);
}

void StichtageAnsicht::zeigeTag() {
    const Kalender kalender = Kalender::aktuell();
    const Zeitpunkt nun = jetzt();
    const bool nachtrag = Stichtagsliste::istNachtrag(gewaehlterTag(kalender, nun), nun, kalender);
    anlegen_->setText(qtText(Stichtagsliste::knopftext(nachtrag)));
    if (nachtrag != nachtrag_ || anlegen_->icon().isNull()) {
        nachtrag_ = nachtrag;
        zeigeKnopfsymbol();
    }
    begrenzeSpalte();
    schalteAnlegen();
    erklaerung_->setText(qtText(Stichtagsliste::erklaerung(nachtrag)));
}

void StichtageAnsicht::zeigeListe() {
    if (!Stichtagsliste::hatVollstaendigePositionen(*portfolio_)) {
        listenteil_->setCurrentWidget(keinePositionen_);
    } else if (portfolio_->bewertungen().empty()) {
        listenteil_->setCurrentWidget(keinStichtag_);
    } else {
        listenteil_->setCurrentWidget(liste_);
    }
    const QSignalBlocker sperre(liste_);
    liste_->clear();
    const Formatierer format;
    const Zeitzone zone = Zeitzone::aktuell();
    for (const auto& bewertung : Stichtagsliste::neuesteZuerst(*portfolio_)) {
        const bool gewaehlt = ausgewaehlt_ == bewertung->id();
        const auto texte = Stichtagsliste::zeile(*portfolio_, *bewertung, format, zone);
        auto* eintrag = new QListWidgetItem(liste_);
        eintrag->setData(idRolle, QVariant::fromValue<qint64>(bewertung->id()));
        QString bedienhilfe = qtText(texte.datum);
        if (texte.wert) {
            bedienhilfe += QStringLiteral(", ") + qtText(*texte.wert);
            if (texte.rendite) bedienhilfe += QStringLiteral(", ") + qtText(*texte.rendite);
        } else {
            bedienhilfe += QStringLiteral(", ") + tr("Kurse unvollständig");
        }
        eintrag->setData(Qt::AccessibleTextRole, bedienhilfe);
        auto* zeile = stichtagszeile(liste_, texte, gewaehlt);
        zeile->setObjectName(QStringLiteral("zeile-%1").arg(bewertung->id()));
        eintrag->setSizeHint(zeile->sizeHint());
        liste_->setItemWidget(eintrag, zeile);
        if (gewaehlt) {
            liste_->setCurrentItem(eintrag);
        }
        if (zuLoeschen_ == bewertung->id()) {
            liste_->markiere(eintrag);
        }
    }
}

void StichtageAnsicht::zeigeDetail() {
    auto bewertung = Stichtagsliste::angezeigt(*portfolio_, ausgewaehlt_);
    if (bewertung == detailBewertung_ && (bewertung == nullptr || detail_)) {
        return;
    }
    detailBewertung_ = bewertung;
    if (detail_) {
        detailseite_->removeWidget(detail_);
        detail_->deleteLater();
    }
    if (!bewertung) {
        detailseite_->setCurrentWidget(keinDetail_);
        return;
    }
    detail_ = new StichtagDetail(portfolio_, bewertung, beobachter_, dienst_, detailseite_);
    detail_->setObjectName(QStringLiteral("stichtagDetail"));
    detailseite_->addWidget(detail_);
    detailseite_->setCurrentWidget(detail_);
}

void StichtageAnsicht::schalteAnlegen() {
    // A typed text that is no day of the range is not the day the button would take.
    anlegen_->setEnabled(Stichtagsliste::hatVollstaendigePositionen(*portfolio_) &&
                         datumswahl_->istGueltig());
}

void StichtageAnsicht::stichtagAnlegen() {
    if (erfassung_) {
        return;
    }
    // A day that passed unseen (a suspend, a clock set by hand) moves the field first; the field
    // then shows the day taken, or refuses a typed one the new range no longer holds.
    tageswechsel_->pruefe();
    if (!anlegen_->isEnabled()) {
        return;
    }
    const Kalender kalender = Kalender::aktuell();
    const Zeitpunkt nun = jetzt();
    const auto wahl = Stichtagsliste::wahl(gewaehlterTag(kalender, nun), nun, kalender);
    // The sheet dates today's reference date at the moment it opens, which is that of the
    // press, and a past day's at the 17:00 that is also its day to fetch comparisons for.
    erfassung_ = new StichtagErfassenDialog(portfolio_, beobachter_, dienst_, wahl.abruftag, this);
    erfassung_->setObjectName(QStringLiteral("stichtagErfassen"));
    erfassung_->setAttribute(Qt::WA_DeleteOnClose);
    connect(erfassung_, &StichtagErfassenDialog::angelegt, this, &StichtageAnsicht::nachDemAnlegen);
    erfassung_->open();
}

void StichtageAnsicht::nachDemAnlegen(const Bewertungserfassung::Ergebnis& ergebnis) {
    if (ergebnis.bewertung) {
        ausgewaehlt_ = ergebnis.bewertung->id();
    }
    if (const auto text = Stichtagsliste::verworfenMeldung(ergebnis.verworfen)) {
        meldung_ = qtText(*text);
        // After the sheet has closed.
        QMetaObject::invokeMethod(this, &StichtageAnsicht::zeigeMeldung, Qt::QueuedConnection);
    }
    zeige();
}

void StichtageAnsicht::zeilenmenue(const QPoint& stelle) {
    QListWidgetItem* eintrag = liste_->itemAt(stelle);
    if (!eintrag) {
        return;
    }
    const DatensatzId id = eintrag->data(idRolle).value<qint64>();
    auto* menue = new QMenu(this);
    menue->setObjectName(QStringLiteral("zeilenmenue"));
    menue->setAttribute(Qt::WA_DeleteOnClose);
    QAction* loeschen = menue->addAction(tr("Stichtag löschen"));
    loeschen->setObjectName(QStringLiteral("stichtagLoeschen"));
    connect(loeschen, &QAction::triggered, this, [this, id] { frageLoeschen(id); });
    liste_->zeigeMenue(menue, eintrag, stelle);
}

void StichtageAnsicht::frageLoeschen(DatensatzId id) {
    if (zuLoeschen_) {
        return;
    }
    zuLoeschen_ = id;
    // The row asked about stays marked while the question is open; the selection stays as it is.
    for (int i = 0; i < liste_->count(); ++i) {
        if (liste_->item(i)->data(idRolle).value<qint64>() == id) {
            liste_->markiere(liste_->item(i));
        }
    }
    QMessageBox* box = neueMeldung(this, tr("Stichtag wirklich löschen?"),
                                   tr("Die Kurse dieses Stichtags werden mit entfernt. Das lässt sich nicht "
                                      "widerrufen."),
                                   QStringLiteral("loeschfrage"));
    QPushButton* loeschen = box->addButton(tr("Löschen"), QMessageBox::DestructiveRole);
    loeschen->setObjectName(QStringLiteral("loeschen"));
    QPushButton* abbrechen = box->addButton(tr("Abbrechen"), QMessageBox::RejectRole);
    abbrechen->setObjectName(QStringLiteral("abbrechen"));
    box->setDefaultButton(abbrechen);
    box->setEscapeButton(abbrechen);
    connect(box, &QDialog::finished, this, [this, box, loeschen] {
        if (box->clickedButton() == loeschen) {
            stichtagLoeschen();
        }
        zuLoeschen_.reset();
        liste_->markiere(nullptr);
    });
    box->open();
}

void StichtageAnsicht::stichtagLoeschen() {
    if (!zuLoeschen_) {
        return;
    }
    for (const auto& bewertung : portfolio_->bewertungen()) {
        if (bewertung->id() == *zuLoeschen_) {
            if (const auto fehler = Bewertungserfassung::entfernen(bewertung, beobachter_.kontext())) {
                meldung_ = qtText(*fehler);
                zeigeMeldung();
            }
            break;
        }
    }
    zuLoeschen_.reset();
    zeige();
}

void StichtageAnsicht::zeigeMeldung() {
    if (!meldung_ || !isEnabled() || offeneMeldung_) {
        return;
    }
    QMessageBox* box = neueMeldung(this, tr("Hinweis zum Stichtag"), *meldung_, QStringLiteral("hinweisZumStichtag"));
    QPushButton* ok = box->addButton(tr("OK"), QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    box->setEscapeButton(ok);
    connect(box, &QDialog::finished, this, [this] { meldung_.reset(); });
    offeneMeldung_ = box;
    box->open();
}

void StichtageAnsicht::zeigeKnopfsymbol() {
    const QString name = nachtrag_ ? QStringLiteral("clock.arrow.circlepath") : QStringLiteral("plus");
    const int seite = anlegen_->fontMetrics().height();
    anlegen_->setIconSize(QSize(seite, seite));
    // In the text's colour of each state, whichever the button is in now.
    QIcon symbol;
    for (const auto& [gruppe, art] :
         {std::pair{QPalette::Active, QIcon::Normal}, {QPalette::Disabled, QIcon::Disabled}}) {
        symbol.addPixmap(Symbol::bild(name, anlegen_->palette().color(gruppe, QPalette::ButtonText), seite,
                                      anlegen_->devicePixelRatioF()),
                         art);
    }
    anlegen_->setIcon(symbol);
}

void StichtageAnsicht::begrenzeSpalte() {
    // Narrow as it is, the column is never narrower than its date row and button in the user's
    // font, which would cut the date in the field.
    spalte_->setMaximumWidth(std::max(280, kopf_->minimumSizeHint().width()));
}

void StichtageAnsicht::changeEvent(QEvent* ereignis) {
    QWidget::changeEvent(ereignis);
    if (ereignis->type() == QEvent::EnabledChange && isEnabled()) {
        zeigeMeldung();
    } else if (ereignis->type() == QEvent::PaletteChange) {
        zeigeKnopfsymbol();
    } else if (ereignis->type() == QEvent::FontChange || ereignis->type() == QEvent::StyleChange) {
        begrenzeSpalte();
    }
}

} // namespace qb
