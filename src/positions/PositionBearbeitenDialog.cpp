#include "positions/PositionBearbeitenDialog.h"

#include <functional>

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/Dialoge.h"
#include "ui/Blattbreite.h"
#include "ui/Fenstergroesse.h"
#include "ui/Fokussicht.h"
#include "ui/Hinweiszeile.h"
#include "ui/Kursabrufadapter.h"
#include "ui/Modellbeobachter.h"
#include "ui/Radwache.h"
#include "ui/Schriftstil.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "model/Portfolio.h"
#include "positions/Positionsformular.h"

namespace qb {

namespace {

QPushButton* knopf(const QString& titel, const QString& objektname) {
    auto* knopf = new QPushButton(titel);
    knopf->setObjectName(objektname);
    // Return presses "Speichern" alone, never whichever button last had the focus.
    knopf->setAutoDefault(false);
    return knopf;
}

// A question over the sheet with an action and "Zurück zur Eingabe"; Return and Escape take the
// way back, so that only a deliberate click goes on.
QMessageBox* rueckfrage(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname,
                        const QString& aktion, QMessageBox::ButtonRole rolle, const QString& aktionsname,
                        const QString& zurueck) {
    QMessageBox* box = neueMeldung(eltern, titel, meldung, objektname);
    QPushButton* weiter = box->addButton(aktion, rolle);
    weiter->setObjectName(aktionsname);
    QPushButton* nein = box->addButton(zurueck, QMessageBox::RejectRole);
    nein->setObjectName(QStringLiteral("zurueck"));
    box->setDefaultButton(nein);
    box->setEscapeButton(nein);
    return box;
}

// "Zurück zur Eingabe", by click, Return or Escape, puts the cursor back into the field the
// question is about. The sheet would give it to its first field: the check before the question
// locked the form and so took it from the field.
void zurueckIn(QMessageBox* box, QWidget* blatt, std::function<void()> fokussiere) {
    QObject::connect(box, &QMessageBox::finished, blatt, [box, fokussiere = std::move(fokussiere)] {
        if (box->clickedButton() == box->findChild<QPushButton*>(QStringLiteral("zurueck"))) {
            fokussiere();
        }
    });
}

} // namespace

PositionBearbeitenDialog::PositionBearbeitenDialog(Assetklasse klasse, std::shared_ptr<Portfolio> portfolio,
                                                   Modellbeobachter& beobachter, Kursdienst dienst, QWidget* eltern)
    : QDialog(eltern), editor_(klasse, std::move(portfolio), beobachter.kontext(), dienst),
      abruf_(new Kursabrufadapter(dienst, this)), pruefung_(this), rahmen_(new QScrollArea(this)),
      formular_(new Positionsformular(editor_, *abruf_)) {
    setObjectName(QStringLiteral("positionBearbeiten"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    Radwache::schuetze(this);
    setWindowTitle(qtText(bezeichnung(klasse)));

    rahmen_->setObjectName(QStringLiteral("formular"));
    rahmen_->setWidgetResizable(true);
    rahmen_->setFrameShape(QFrame::NoFrame);
    // The page itself takes no focus, so that the sheet opens with the cursor in its first field
    // and a group that starts typing writes the name; it still scrolls to the field in focus.
    rahmen_->setFocusPolicy(Qt::NoFocus);
    Fokussicht::folge(rahmen_);
    rahmen_->setWidget(formular_);

    auto* linie = new QFrame(this);
    linie->setFrameShape(QFrame::HLine);
    linie->setFrameShadow(QFrame::Sunken);
    auto* leiste = new QWidget(this);
    leiste->setObjectName(QStringLiteral("aktionsleiste"));
    baueAktionsleiste(leiste);

    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);
    spalte->addWidget(rahmen_, 1);
    spalte->addWidget(linie);
    spalte->addWidget(leiste);

    connect(formular_, &Positionsformular::entwurfGeaendert, this, &PositionBearbeitenDialog::aktualisiere);
    connect(abruf_, &Kursabrufadapter::standGeaendert, this, &PositionBearbeitenDialog::aktualisiere);
    // The budget counts the other classes and the fetch day follows the entry date: both may
    // change elsewhere while the sheet is open. The draft stays as typed.
    connect(&beobachter, &Modellbeobachter::geaendert, this, [this] {
        formular_->aktualisiere();
        aktualisiere();
    });
    aktualisiere();
    // Measured as the sheet opens, with what it shows then.
    breite_ = new Blattbreite(this, rahmen_);
    passeAn(Fenstergroesse::verfuegbar(*this));
}

void PositionBearbeitenDialog::passeAn(QSize verfuegbar) {
    setMinimumSize(breite_->fuer(verfuegbar, QSize(460, 520), QSize(460, 520)).minimum);
}

PositionBearbeitenDialog::~PositionBearbeitenDialog() {
    pruefungAbbrechen();
}

void PositionBearbeitenDialog::baueAktionsleiste(QWidget* leiste) {
    auto* spalte = new QVBoxLayout(leiste);
    spalte->setContentsMargins(16, 16, 16, 16);
    spalte->setSpacing(12);
    // The budget line stands over the buttons, outside the scrolled form: when it is why
    // "Speichern" is off, the reason is in sight at any size of the sheet.
    budgetwarnung_ = new Hinweiszeile(QString(), QStringLiteral("exclamationmark.triangle"), leiste);
    budgetwarnung_->setObjectName(QStringLiteral("budgetwarnung"));
    Vordergrund::setze(budgetwarnung_, Signalfarbe::verlust);
    budgetwarnung_->hide();
    spalte->addWidget(budgetwarnung_);
    auto* zeile = new QHBoxLayout;
    zeile->setContentsMargins(0, 0, 0, 0);
    spalte->addLayout(zeile);

    entfernen_ = knopf(tr("Position entfernen"), QStringLiteral("entfernen"));
    connect(entfernen_, &QPushButton::clicked, this, &PositionBearbeitenDialog::frageEntfernen);
    zeile->addWidget(entfernen_);

    speicherfehler_ = new Hinweiszeile(QString(), QStringLiteral("exclamationmark.triangle"), leiste);
    speicherfehler_->setObjectName(QStringLiteral("speicherfehler"));
    speicherfehler_->setFont(Schriftstil::hervorhebung(speicherfehler_->font()));
    Vordergrund::setze(speicherfehler_, Signalfarbe::verlust);
    if (auto* text = speicherfehler_->findChild<QLabel*>()) {
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    zeile->addWidget(speicherfehler_, 1);
    zeile->addStretch(0);

    prueftAnzeige_ = new QProgressBar(leiste);
    prueftAnzeige_->setObjectName(QStringLiteral("prueftAnzeige"));
    prueftAnzeige_->setRange(0, 0);
    prueftAnzeige_->setTextVisible(false);
    prueftAnzeige_->setFixedSize(32, 8);
    prueftText_ = new QLabel(tr("Kaufkurs wird mit der Quelle verglichen"), leiste);
    prueftText_->setObjectName(QStringLiteral("prueftText"));
    prueftText_->setFont(Schriftstil::beschriftung(prueftText_->font()));
    Vordergrund::setze(prueftText_, Vordergrund::sekundaer());
    zeile->addWidget(prueftAnzeige_);
    zeile->addWidget(prueftText_);

    abbrechen_ = knopf(tr("Abbrechen"), QStringLiteral("abbrechen"));
    connect(abbrechen_, &QPushButton::clicked, this, &QDialog::reject);
    zeile->addWidget(abbrechen_);
    speichern_ = knopf(tr("Speichern"), QStringLiteral("speichern"));
    speichern_->setDefault(true);
    connect(speichern_, &QPushButton::clicked, this, &PositionBearbeitenDialog::speichernGedrueckt);
    zeile->addWidget(speichern_);
}

void PositionBearbeitenDialog::aktualisiere() {
    const bool prueft = pruefung_.laeuft();
    // The draft stays as it was checked: no field takes input until the check has ended.
    formular_->setEnabled(!prueft);
    entfernen_->setVisible(editor_.gespeichertePosition() != nullptr);
    entfernen_->setEnabled(!prueft);
    const auto& fehler = editor_.speicherfehler();
    if (fehler && speicherfehler_->text() != *fehler) {
        speicherfehler_->setzeText(*fehler);
    }
    speicherfehler_->setVisible(fehler.has_value());
    const auto budget = editor_.budgetwarnung();
    if (budget && budgetwarnung_->text() != *budget) {
        budgetwarnung_->setzeText(*budget);
    }
    budgetwarnung_->setVisible(budget.has_value());
    prueftAnzeige_->setVisible(prueft);
    prueftText_->setVisible(prueft);
    speichern_->setEnabled(editor_.kannSpeichern() && !prueft && !abruf_->stand().istLaufend());
    ordneTabfolge(this);
}

void PositionBearbeitenDialog::done(int ergebnis) {
    pruefungAbbrechen();
    QDialog::done(ergebnis);
}

void PositionBearbeitenDialog::speichernGedrueckt() {
    if (!speichern_->isEnabled()) {
        return;
    }
    const std::optional<int> stichtage = editor_.speichernGedrueckt();
    aktualisiere();
    if (stichtage) {
        frageKennung(*stichtage);
        return;
    }
    starteKaufkurspruefung();
}

void PositionBearbeitenDialog::frageKennung(int stichtage) {
    QMessageBox* box = rueckfrage(this, tr("Kennung ändern?"), PositionBearbeiten::kennungsfrage(stichtage),
                                  QStringLiteral("kennungsfrage"), tr("Trotzdem speichern"), QMessageBox::AcceptRole,
                                  QStringLiteral("trotzdem"), tr("Zurück zur Eingabe"));
    connect(box->findChild<QPushButton*>(QStringLiteral("trotzdem")), &QPushButton::clicked, this,
            &PositionBearbeitenDialog::starteKaufkurspruefung);
    zurueckIn(box, this, [this] { formular_->fokussiereKennung(); });
    box->open();
}

void PositionBearbeitenDialog::starteKaufkurspruefung() {
    if (pruefung_.laeuft()) {
        return;
    }
    const PositionBearbeiten::Entwurf& entwurf = editor_.entwurf();
    const std::optional<Preisangabe> preis = entwurf.preis();
    if (!preis) {
        return;
    }
    // The check works on what stands now; the form is locked until it ends.
    Kaufpreispruefung pruefung(editor_.dienst(), {editor_.klasse(), *preis, entwurf.kennung, entwurf.notierung,
                                                  entwurf.nennwert, editor_.abruftag()});
    const std::uint64_t nummer = ++pruefnummer_;
    pruefung_.starte(
        [pruefung = std::move(pruefung)](std::stop_token stop) { return pruefung.fuehreAus(stop); },
        [this, nummer](Kaufpreispruefung::Ergebnis ergebnis) { pruefungAbschliessen(nummer, ergebnis); },
        // A check that could not be made is an unchecked save, like one whose source failed.
        [](std::string meldung) { return Kaufpreispruefung::Ergebnis::ungeprueft(std::move(meldung)); });
    aktualisiere();
}

void PositionBearbeitenDialog::pruefungAbschliessen(std::uint64_t nummer, const Kaufpreispruefung::Ergebnis& ergebnis) {
    if (nummer != pruefnummer_ || ergebnis.istAbgebrochen()) {
        aktualisiere();
        return;
    }
    aktualisiere();
    if (const auto* abweichungen = ergebnis.abweichungen()) {
        zeigeAbweichungen(*abweichungen);
    } else if (const std::string* grund = ergebnis.grund()) {
        if (editor_.speichere()) {
            zeigeUngeprueft(*grund);
        }
        aktualisiere();
    } else {
        speichereUndSchliesse();
    }
}

void PositionBearbeitenDialog::pruefungAbbrechen() {
    ++pruefnummer_;
    pruefung_.stoppe();
}

void PositionBearbeitenDialog::speichereUndSchliesse() {
    if (editor_.speichere()) {
        accept();
        return;
    }
    aktualisiere();
}

void PositionBearbeitenDialog::zeigeAbweichungen(const std::vector<Kurspruefung::Abweichung>& abweichungen) {
    QMessageBox* box = rueckfrage(this, tr("Der Kaufkurs weicht stark von der Quelle ab"),
                                  editor_.abweichungsmeldung(abweichungen), QStringLiteral("abweichungsfrage"),
                                  tr("Trotzdem speichern"), QMessageBox::AcceptRole, QStringLiteral("trotzdem"),
                                  tr("Zurück zur Eingabe"));
    connect(box->findChild<QPushButton*>(QStringLiteral("trotzdem")), &QPushButton::clicked, this,
            &PositionBearbeitenDialog::speichereUndSchliesse);
    // The first deviation the message names.
    const auto gegenstand =
        abweichungen.empty() ? Kurspruefung::Abweichung::Gegenstand::kurs : abweichungen.front().gegenstand;
    zurueckIn(box, this, [this, gegenstand] { formular_->fokussiere(gegenstand); });
    box->open();
}

void PositionBearbeitenDialog::zeigeUngeprueft(const std::string& grund) {
    QMessageBox* box = zeigeMeldung(this, tr("Gespeichert, aber nicht geprüft"),
                                    PositionBearbeiten::ungeprueftMeldung(grund), QStringLiteral("ungeprueft"));
    // The position is saved; the alert only says why its price is unchecked, then the sheet goes.
    connect(box, &QMessageBox::finished, this, &QDialog::accept);
}

void PositionBearbeitenDialog::frageEntfernen() {
    QMessageBox* box = rueckfrage(this, tr("Position wirklich entfernen?"),
                                  tr("Damit verschwinden auch alle Kurse dieser Position aus allen Stichtagen."),
                                  QStringLiteral("entfernenfrage"), tr("Entfernen"), QMessageBox::DestructiveRole,
                                  QStringLiteral("entfernenBestaetigt"), tr("Abbrechen"));
    box->findChild<QPushButton*>(QStringLiteral("zurueck"))->setObjectName(QStringLiteral("behalten"));
    connect(box->findChild<QPushButton*>(QStringLiteral("entfernenBestaetigt")), &QPushButton::clicked, this, [this] {
        pruefungAbbrechen();
        if (editor_.entfernen()) {
            accept();
            return;
        }
        aktualisiere();
    });
    box->open();
}

} // namespace qb
