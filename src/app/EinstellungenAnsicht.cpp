#include "app/EinstellungenAnsicht.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include "ui/Datumsfeld.h"
#include "ui/Fokussicht.h"
#include "ui/Dialoge.h"
#include "ui/Hinweiszeile.h"
#include "ui/Modellbeobachter.h"
#include "ui/Radwache.h"
#include "ui/Schriftstil.h"
#include "ui/Symbol.h"
#include "ui/Tageswechsel.h"
#include "ui/Vordergrund.h"
#include "ui/Zahleneingabe.h"
#include "foundation/Bundle.h"

namespace qb {

namespace {

QLabel* text(const QString& inhalt, const QFont& schrift, const Vordergrund& stil) {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setText(inhalt);
    label->setFont(schrift);
    Vordergrund::setze(label, stil);
    return label;
}

// A row with the button at its trailing end.
QHBoxLayout* knopfzeile(QPushButton* knopf) {
    auto* zeile = new QHBoxLayout;
    zeile->addStretch(1);
    zeile->addWidget(knopf);
    return zeile;
}

QPushButton* knopf(const QString& titel, const QString& objektname) {
    auto* knopf = new QPushButton(titel);
    knopf->setObjectName(objektname);
    knopf->setAutoDefault(false);
    return knopf;
}

Hinweiszeile* warnzeile(const QString& objektname) {
    auto* zeile = new Hinweiszeile(QString(), QStringLiteral("exclamationmark.triangle"));
    zeile->setObjectName(objektname);
    zeile->setFont(Schriftstil::hervorhebung(zeile->font()));
    Vordergrund::setze(zeile, Signalfarbe::warnung);
    zeile->hide();
    return zeile;
}

void zeigeWarnung(Hinweiszeile* zeile, const std::optional<QString>& warnung) {
    zeile->setzeText(warnung.value_or(QString()));
    zeile->setVisible(warnung.has_value());
}

QDate tagVon(Zeitpunkt zeitpunkt) {
    const Datumsteile teile = Kalender::aktuell().teile(zeitpunkt);
    return {teile.jahr, teile.monat, teile.tag};
}

} // namespace

EinstellungenAnsicht::EinstellungenAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                                           QWidget* eltern)
    : QScrollArea(eltern), einstellungen_(std::move(portfolio), beobachter.kontext()) {
    setObjectName(QStringLiteral("einstellungen"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    // The page itself is no Tab stop: it has nothing to show the focus on; the focused field
    // scrolls into view of its own, and the wheel scrolls the page.
    setFocusPolicy(Qt::NoFocus);

    auto* inhalt = new QWidget(this);
    auto* mitte = new QHBoxLayout(inhalt);
    mitte->setContentsMargins(12, 12, 12, 12);
    auto* saeule = new QWidget(inhalt);
    saeule->setMaximumWidth(620);
    mitte->addWidget(saeule, 1, Qt::AlignTop);

    spalte_ = new QVBoxLayout(saeule);
    spalte_->setContentsMargins(0, 0, 0, 0);
    spalte_->setSpacing(24);
    auto* formular = new QVBoxLayout;
    formular->setSpacing(12);
    for (QGroupBox* abschnitt : {baueGruppe(), baueEinstieg(), baueStartkapital(), baueStand(), baueNeuesSpiel()}) {
        formular->addWidget(abschnitt);
    }
    spalte_->addLayout(formular);
    spalte_->addWidget(baueMeldungszeile());
    spalte_->addWidget(baueFusszeile());
    spalte_->addStretch(1);
    setWidget(inhalt);
    Radwache::schuetze(this);
    Fokussicht::folge(this);

    connect(&beobachter, &Modellbeobachter::geaendert, this, &EinstellungenAnsicht::aktualisiere);
    // The entry date's range ends today.
    tageswechsel_ = new Tageswechsel(this);
    connect(tageswechsel_, &Tageswechsel::neuerTag, this, &EinstellungenAnsicht::aktualisiere);
    // The calendar offers the days up to the today of the moment it opens.
    connect(einstieg_, &Datumsfeld::kalenderOeffnetSich, tageswechsel_, &Tageswechsel::pruefe);
    aktualisiere();
}

QGroupBox* EinstellungenAnsicht::baueGruppe() {
    auto* abschnitt = new QGroupBox(tr("Gruppe"));
    auto* stapel = new QVBoxLayout(abschnitt);
    auto* form = new QFormLayout;
    gruppenname_ = new QLineEdit;
    gruppenname_->setObjectName(QStringLiteral("gruppenname"));
    gruppenname_->setPlaceholderText(tr("zum Beispiel Gruppe 3"));
    form->addRow(tr("Name der Gruppe"), gruppenname_);
    stapel->addLayout(form);
    stapel->addWidget(text(tr("Erscheint im Kopf des Fensters und im Dateinamen des Exports."),
                           Schriftstil::beschriftung(font()), Vordergrund::sekundaer()));
    gruppennameUebernehmen_ = knopf(tr("Gruppenname übernehmen"), QStringLiteral("gruppennameUebernehmen"));
    stapel->addLayout(knopfzeile(gruppennameUebernehmen_));

    connect(gruppenname_, &QLineEdit::textEdited, this, [this](const QString& name) {
        einstellungen_.setzeGruppenname(name);
        aktualisiere();
    });
    connect(gruppenname_, &QLineEdit::returnPressed, this, &EinstellungenAnsicht::gruppennameUebernehmen);
    connect(gruppennameUebernehmen_, &QPushButton::clicked, this, &EinstellungenAnsicht::gruppennameUebernehmen);
    return abschnitt;
}

QGroupBox* EinstellungenAnsicht::baueEinstieg() {
    auto* abschnitt = new QGroupBox(tr("Einstieg"));
    auto* stapel = new QVBoxLayout(abschnitt);
    auto* form = new QFormLayout;
    einstieg_ = new Datumsfeld;
    einstieg_->setObjectName(QStringLiteral("einstieg"));
    einstieg_->setAccessibleName(tr("Eingestiegen am"));
    // Why a typed day is not taken, right under the field.
    auto* feld = new QVBoxLayout;
    feld->setSpacing(3);
    feld->addWidget(einstieg_);
    feld->addWidget(einstieg_->hinweiszeile());
    form->addRow(tr("Eingestiegen am"), feld);
    stapel->addLayout(form);
    stapel->addWidget(text(tr("Der Tag, an dem die Gruppe investiert hat. Er steht im Export als Einstiegsdatum. "
                              "Erst mit „Einstiegsdatum übernehmen“ gilt er, und zwar vor dem Anlegen der "
                              "Positionen: Ihre Kaufkurse holt die App für diesen Tag."),
                           Schriftstil::beschriftung(font()), Vordergrund::sekundaer()));
    einstiegswarnung_ = warnzeile(QStringLiteral("einstiegswarnung"));
    stapel->addWidget(einstiegswarnung_);
    einstiegUebernehmen_ = knopf(tr("Einstiegsdatum übernehmen"), QStringLiteral("einstiegUebernehmen"));
    stapel->addLayout(knopfzeile(einstiegUebernehmen_));

    // The field owns the day: whatever moves it, the user or a new range, the edited entry date
    // follows.
    connect(einstieg_, &Datumsfeld::datumGeaendert, this, [this](const QDate& tag) {
        if (fuellt_) {
            return;
        }
        einstellungen_.waehleTag(tag.year(), tag.month(), tag.day());
        aktualisiere();
    });
    connect(einstieg_, &Datumsfeld::gueltigGeaendert, this, &EinstellungenAnsicht::aktualisiere);
    connect(einstiegUebernehmen_, &QPushButton::clicked, this, [this] {
        // The range ends today: a day that passed unseen may have moved it under the field.
        tageswechsel_->pruefe();
        if (!einstiegUebernehmen_->isEnabled()) {
            return;
        }
        einstellungen_.einstiegsdatumUebernehmen();
        zeigeErgebnis();
    });
    return abschnitt;
}

QGroupBox* EinstellungenAnsicht::baueStartkapital() {
    auto* abschnitt = new QGroupBox(tr("Startkapital"));
    auto* stapel = new QVBoxLayout(abschnitt);
    auto* form = new QFormLayout;
    startkapital_ = new Zahleneingabe(tr("Startkapital in Euro"), Zahleneingabe::Art::betrag, 160);
    startkapital_->setObjectName(QStringLiteral("startkapital"));
    // No unit beside it (the row says "in Euro"), but described like every number field.
    startkapital_->setzeEinheit(QStringLiteral("€"));
    form->addRow(startkapital_->titel(), startkapital_);
    stapel->addLayout(form);
    startkapitalwarnung_ = warnzeile(QStringLiteral("startkapitalwarnung"));
    stapel->addWidget(startkapitalwarnung_);
    startkapitalUebernehmen_ = knopf(tr("Startkapital übernehmen"), QStringLiteral("startkapitalUebernehmen"));
    stapel->addLayout(knopfzeile(startkapitalUebernehmen_));

    connect(startkapital_, &Zahleneingabe::wertGeaendert, this, [this](const Dezimal& betrag) {
        einstellungen_.setzeStartkapital(betrag);
        aktualisiere();
    });
    connect(startkapitalUebernehmen_, &QPushButton::clicked, this, [this] {
        einstellungen_.startkapitalUebernehmen();
        zeigeErgebnis();
    });
    return abschnitt;
}

QGroupBox* EinstellungenAnsicht::baueStand() {
    auto* abschnitt = new QGroupBox(tr("Stand"));
    auto* form = new QFormLayout(abschnitt);
    const auto wert = [](const QString& objektname) {
        auto* label = new QLabel;
        label->setObjectName(objektname);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    };
    positionen_ = wert(QStringLiteral("standPositionen"));
    stichtage_ = wert(QStringLiteral("standStichtage"));
    investiert_ = wert(QStringLiteral("standInvestiert"));
    barbestand_ = wert(QStringLiteral("standBarbestand"));
    form->addRow(tr("Positionen"), positionen_);
    form->addRow(tr("Stichtage"), stichtage_);
    form->addRow(tr("Investiert"), investiert_);
    form->addRow(tr("Barbestand"), barbestand_);
    return abschnitt;
}

QGroupBox* EinstellungenAnsicht::baueNeuesSpiel() {
    auto* abschnitt = new QGroupBox(tr("Neues Spiel"));
    auto* stapel = new QVBoxLayout(abschnitt);
    stapel->addWidget(text(tr("Löscht alle Positionen und Stichtage. Gruppe, Einstiegsdatum und Startkapital bleiben "
                              "stehen, damit du sie für das neue Spiel anpassen kannst."),
                           Schriftstil::hervorhebung(font()), Vordergrund::sekundaer()));
    zuruecksetzen_ = knopf(tr("Spiel zurücksetzen"), QStringLiteral("spielZuruecksetzen"));
    stapel->addLayout(knopfzeile(zuruecksetzen_));
    connect(zuruecksetzen_, &QPushButton::clicked, this, &EinstellungenAnsicht::fragZuruecksetzen);
    return abschnitt;
}

QWidget* EinstellungenAnsicht::baueMeldungszeile() {
    meldungszeile_ = new QWidget;
    auto* zeile = new QHBoxLayout(meldungszeile_);
    zeile->setContentsMargins(20, 0, 20, 0);
    zeile->setSpacing(6);
    auto* symbol = new Symbol(QStringLiteral("exclamationmark.triangle"), meldungszeile_);
    // A failed save's text comes from the store: shown as it is, and the user may copy it.
    meldung_ = new QLabel(meldungszeile_);
    meldung_->setObjectName(QStringLiteral("meldung"));
    meldung_->setTextFormat(Qt::PlainText);
    meldung_->setWordWrap(true);
    meldung_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    zeile->addWidget(symbol, 0, Qt::AlignTop);
    zeile->addWidget(meldung_, 1);
    meldungszeile_->setFont(Schriftstil::hervorhebung(font()));
    Vordergrund::setze(meldungszeile_, Signalfarbe::verlust);
    meldungszeile_->hide();
    return meldungszeile_;
}

QWidget* EinstellungenAnsicht::baueFusszeile() {
    auto* fuss = new QWidget;
    auto* stapel = new QVBoxLayout(fuss);
    stapel->setContentsMargins(0, 4, 0, 16);
    stapel->setSpacing(4);
    const QFont klein = Schriftstil::beschriftung(font());
    QLabel* version = text(Einstellungen::versionszeile(QB_VERSION), klein, Vordergrund::sekundaer());
    version->setObjectName(QStringLiteral("versionszeile"));
    QLabel* rechte = text(Einstellungen::rechtevermerk(Bundle::copyright), klein, Vordergrund::tertiaer());
    rechte->setObjectName(QStringLiteral("rechtevermerk"));
    for (QLabel* zeile : {version, rechte}) {
        zeile->setAlignment(Qt::AlignHCenter);
        stapel->addWidget(zeile);
    }
    fuss->setAccessibleName(version->text() + QStringLiteral(", ") + rechte->text());
    return fuss;
}

void EinstellungenAnsicht::showEvent(QShowEvent* ereignis) {
    QScrollArea::showEvent(ereignis);
    if (!einstellungen_.istGeladen()) {
        einstellungen_.werteLaden();
        fuelleFelder();
        aktualisiere();
    }
}

void EinstellungenAnsicht::fuelleFelder() {
    fuellt_ = true;
    gruppenname_->setText(einstellungen_.gruppenname());
    einstieg_->setzeBereich(einstieg_->untergrenze(), tagVon(einstellungen_.obergrenze(jetzt())));
    // A stored day after today (a clock set back, a game from another machine) is shown as it
    // is, marked as outside the range.
    einstieg_->setzeDatum(tagVon(einstellungen_.einstieg()));
    startkapital_->setzeWert(einstellungen_.startkapital());
    fuellt_ = false;
}

void EinstellungenAnsicht::aktualisiere() {
    // The field tells what its new range makes of its text while the range is set: the day it
    // takes moves the bound again, so the range is set until it stays.
    if (aktualisiert_) {
        nochmal_ = true;
        return;
    }
    {
        const QScopedValueRollback laeuft(aktualisiert_, true);
        do {
            nochmal_ = false;
            einstieg_->setzeBereich(einstieg_->untergrenze(), tagVon(einstellungen_.obergrenze(jetzt())));
        } while (nochmal_);
    }

    schalte(gruppennameUebernehmen_, einstellungen_.gruppennameUebernehmbar(), gruppenname_);
    zeigeWarnung(einstiegswarnung_, einstellungen_.einstiegswarnung());
    // A typed text that is not the field's date holds the button back, whatever day came before.
    schalte(einstiegUebernehmen_, einstellungen_.einstiegUebernehmbar() && einstieg_->istGueltig(), einstieg_);
    zeigeWarnung(startkapitalwarnung_, einstellungen_.startkapitalwarnung());
    schalte(startkapitalUebernehmen_, einstellungen_.startkapitalUebernehmbar(), startkapital_);
    positionen_->setText(einstellungen_.positionenText());
    stichtage_->setText(einstellungen_.stichtageText());
    investiert_->setText(einstellungen_.investiertText());
    barbestand_->setText(einstellungen_.barbestandText());
    schalte(zuruecksetzen_, einstellungen_.zuruecksetzenMoeglich(), gruppenname_);
    meldung_->setText(einstellungen_.meldung().value_or(QString()));
    meldungszeile_->setVisible(einstellungen_.meldung().has_value());
}

void EinstellungenAnsicht::schalte(QPushButton* knopf, bool aktiv, QWidget* danach) {
    // Qt would hand the focus of a button that turns itself off to the next field in the tab
    // order with all its text selected, so that the next key replaced a setting. The field the
    // button belongs to takes it instead, with the cursor after its text: a key typed now edits
    // it in sight, and nothing is replaced.
    if (!aktiv && knopf->hasFocus()) {
        danach->setFocus(Qt::OtherFocusReason);
        auto* zeile = qobject_cast<QLineEdit*>(danach);
        if (zeile == nullptr) {
            zeile = danach->findChild<QLineEdit*>();
        }
        if (zeile != nullptr) {
            zeile->deselect();
            zeile->end(false);
        }
    }
    knopf->setEnabled(aktiv);
}

void EinstellungenAnsicht::zeigeErgebnis() {
    aktualisiere();
    if (!einstellungen_.meldung()) {
        return;
    }
    // The message stands under the form, far below the button at the top of the page: the page
    // scrolls to it, so that a failure never goes by unseen. The lines just shown make the page
    // taller, and a wrapped line has its height only at its final width: the page is laid out
    // and given its new height first, which the scroll area would otherwise do only later, and
    // the scroll then stops short of the message.
    widget()->layout()->activate();
    QEvent neueHoehe(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &neueHoehe);
    ensureWidgetVisible(meldungszeile_, 0, 12);
}

void EinstellungenAnsicht::gruppennameUebernehmen() {
    einstellungen_.gruppennameUebernehmen();
    // The field shows the name as it was taken over, trimmed.
    if (gruppenname_->text() != einstellungen_.gruppenname()) {
        gruppenname_->setText(einstellungen_.gruppenname());
    }
    zeigeErgebnis();
}

void EinstellungenAnsicht::fragZuruecksetzen() {
    // One question at a time; a closed one may still wait for its deletion.
    if (bestaetigung_ && bestaetigung_->isVisible()) {
        return;
    }
    bestaetigung_ = neueMeldung(this, tr("Spiel wirklich zurücksetzen?"),
                                tr("Alle fünf Positionen und alle Stichtage werden entfernt. Das lässt sich nicht "
                                   "widerrufen."),
                                QStringLiteral("zuruecksetzenBestaetigen"));
    QPushButton* loeschen = bestaetigung_->addButton(tr("Alles löschen"), QMessageBox::DestructiveRole);
    loeschen->setObjectName(QStringLiteral("allesLoeschen"));
    QPushButton* abbrechen = bestaetigung_->addButton(tr("Abbrechen"), QMessageBox::RejectRole);
    abbrechen->setObjectName(QStringLiteral("abbrechen"));
    // Return must not delete the game: the safe answer is the default.
    bestaetigung_->setDefaultButton(abbrechen);
    bestaetigung_->setEscapeButton(abbrechen);
    connect(loeschen, &QPushButton::clicked, this, [this] {
        einstellungen_.spielZuruecksetzen();
        zeigeErgebnis();
    });
    bestaetigung_->open();
}

} // namespace qb
