#include "reference-dates/StichtagErfassenDialog.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStringList>
#include <QVBoxLayout>

#include "ui/Dialoge.h"
#include "ui/Blattbreite.h"
#include "ui/Fenstergroesse.h"
#include "ui/Fliesstext.h"
#include "ui/Fokussicht.h"
#include "ui/Hinweiszeile.h"
#include "ui/Modellbeobachter.h"
#include "ui/Radwache.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "foundation/Formatierer.h"
#include "model/Portfolio.h"
#include "ui/Grenzhinweis.h"
#include "reference-dates/Rueckfrage.h"
#include "reference-dates/StichtagskursFelder.h"

namespace qb {

namespace {

QString klassenliste(const std::vector<Assetklasse>& klassen) {
    QStringList namen;
    for (const Assetklasse klasse : klassen) {
        namen << qtText(bezeichnung(klasse));
    }
    return namen.join(QStringLiteral(", "));
}

QString zeilenkopf(const Stichtagsentwurf::Zeile& zeile) {
    QStringList teile;
    for (const std::string_view teil : {bezeichnung(zeile.klasse), std::string_view(zeile.name), std::string_view(zeile.kennung)}) {
        if (!teil.empty()) {
            teile << qtText(teil);
        }
    }
    return teile.join(QStringLiteral(" · "));
}


} // namespace

StichtagErfassenDialog::StichtagErfassenDialog(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter, Kursdienst dienst,
                                   std::optional<Zeitpunkt> abruftag, QWidget* eltern)
    : QDialog(eltern),
      portfolio_(std::move(portfolio)),
      beobachter_(beobachter),
      dienst_(std::move(dienst)),
      wahl_{abruftag.value_or(jetzt()), abruftag},
      entwurf_(*portfolio_, abruftag),
      bindung_(
          this, dienst_, [this]() -> Stichtagsentwurf& { return entwurf_; }, [this] { zeige(); }) {
    setObjectName(QStringLiteral("stichtagErfassen"));
    setWindowModality(Qt::WindowModal);
    Radwache::schuetze(this);
    setWindowTitle(titel(wahl_));

    auto* stapel = new QVBoxLayout(this);
    stapel->setContentsMargins(0, 0, 0, 0);
    stapel->setSpacing(0);

    auto* flaeche = new QScrollArea(this);
    flaeche->setWidgetResizable(true);
    flaeche->setFrameShape(QFrame::NoFrame);
    // The page itself takes no focus: the sheet opens with the cursor in its first field.
    flaeche->setFocusPolicy(Qt::NoFocus);
    Fokussicht::folge(flaeche);
    auto* formular = new QWidget(flaeche);
    auto* abschnitte = new QVBoxLayout(formular);
    abschnitte->setContentsMargins(16, 16, 16, 16);
    abschnitte->setSpacing(8);

    auto* kopf = fliesstext(titel(wahl_), formular);
    kopf->setObjectName(QStringLiteral("titel"));
    kopf->setFont(Schriftstil::ueberschrift(kopf->font()));
    abschnitte->addWidget(kopf);
    auto* hinweis = fliesstext(
        wahl_.istNachtrag()
            ? tr("Trag die Bloomberg-Schlusskurse dieses Tages ein, in der Währung, in der Bloomberg sie zeigt. Zum "
                 "Vergleich holt die App die Kurse jenes Tages von der Börse Frankfurt und der EZB. Findest du keinen "
                 "Bloomberg-Kurs mehr, kannst du den Vergleichskurs übernehmen; er wird dann mit seiner Quelle "
                 "gespeichert.")
            : tr("Trag die Kurse so ein, wie Bloomberg sie zeigt, in der Währung, in der Bloomberg sie zeigt. Zum "
                 "Vergleich holt die App die Kurse der Börse Frankfurt und der EZB und fragt nach, wenn ein Wert "
                 "stark abweicht."),
        formular);
    hinweis->setObjectName(QStringLiteral("hinweis"));
    hinweis->setFont(Schriftstil::hervorhebung(hinweis->font()));
    Vordergrund::setze(hinweis, Vordergrund::sekundaer());
    abschnitte->addWidget(hinweis);

    for (const auto& zeile : entwurf_.zeilen()) {
        abschnitte->addSpacing(12);
        auto* zeilenTitel = fliesstext(zeilenkopf(zeile), formular);
        zeilenTitel->setFont(Schriftstil::ueberschrift(zeilenTitel->font()));
        abschnitte->addWidget(zeilenTitel);
        auto* felder = new StichtagskursFelder(
            entwurf_, zeile.klasse, dienst_,
            [this](const std::function<void(Stichtagsentwurf&)>& aenderung) { bindung_.aendere(aenderung); }, formular);
        felder->setObjectName(QStringLiteral("zeile_") + qtText(rohwert(zeile.klasse)));
        abschnitte->addWidget(felder);
        zeilen_.push_back(felder);
    }
    abschnitte->addStretch(1);
    flaeche->setWidget(formular);
    formular_ = formular;
    stapel->addWidget(flaeche, 1);

    auto* trenner = new QFrame(this);
    trenner->setFrameShape(QFrame::HLine);
    trenner->setFrameShadow(QFrame::Sunken);
    stapel->addWidget(trenner);

    auto* fuss = new QWidget(this);
    auto* fussSpalte = new QVBoxLayout(fuss);
    fussSpalte->setContentsMargins(16, 16, 16, 16);
    fussSpalte->setSpacing(8);
    fehlerZeile_ = new Hinweiszeile(QString(), QStringLiteral("exclamationmark.triangle"), fuss);
    fehlerZeile_->setObjectName(QStringLiteral("fehler"));
    fehlerZeile_->setFont(Schriftstil::hervorhebung(fehlerZeile_->font()));
    Vordergrund::setze(fehlerZeile_, Signalfarbe::verlust);
    for (auto* text : fehlerZeile_->findChildren<QLabel*>()) {
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    fussSpalte->addWidget(fehlerZeile_);
    neueAbweichung_ = new Grenzhinweis(qtText(Speicherablauf::nichtGespeichertText), fuss);
    neueAbweichung_->setObjectName(QStringLiteral("neueAbweichung"));
    fussSpalte->addWidget(neueAbweichung_);
    unvollstaendig_ = new Grenzhinweis(QString(), fuss);
    unvollstaendig_->setObjectName(QStringLiteral("unvollstaendig"));
    fussSpalte->addWidget(unvollstaendig_);
    ohneKurs_ = fliesstext(QString(), fuss);
    ohneKurs_->setObjectName(QStringLiteral("ohneKurs"));
    ohneKurs_->setFont(Schriftstil::beschriftung(ohneKurs_->font()));
    Vordergrund::setze(ohneKurs_, Vordergrund::sekundaer());
    fussSpalte->addWidget(ohneKurs_);
    auto* knoepfe = new QHBoxLayout();
    knoepfe->addStretch(1);
    auto* abbrechen = new QPushButton(tr("Abbrechen"), fuss);
    abbrechen->setObjectName(QStringLiteral("abbrechen"));
    abbrechen->setAutoDefault(false);
    connect(abbrechen, &QPushButton::clicked, this, &StichtagErfassenDialog::reject);
    knoepfe->addWidget(abbrechen);
    speichern_ = new QPushButton(tr("Stichtag speichern"), fuss);
    speichern_->setObjectName(QStringLiteral("speichern"));
    speichern_->setAutoDefault(false);
    connect(speichern_, &QPushButton::clicked, this, &StichtagErfassenDialog::speichernGetippt);
    knoepfe->addWidget(speichern_);
    fussSpalte->addLayout(knoepfe);
    stapel->addWidget(fuss);

    bindung_.aendere([](Stichtagsentwurf&) {});
    // Measured as the sheet opens, with what it shows then.
    breite_ = new Blattbreite(this, flaeche);
    passeAn(Fenstergroesse::verfuegbar(*this));
    // The group types the prices from its terminal row by row: the sheet opens with the cursor
    // in the first row's price field, not on the row's currency picker before it.
    if (!zeilen_.empty()) {
        zeilen_.front()->fokussiereKurs();
    }
}

StichtagErfassenDialog::~StichtagErfassenDialog() {
    bindung_.stoppe();
}

void StichtagErfassenDialog::passeAn(QSize verfuegbar) {
    // As high as its rows need at the width it opens with, so that a larger font shows them
    // all where the screen has room, and not one at a time; beyond the screen they scroll.
    const QSize wunsch(560, 620);
    const QSize minimum(520, 440);
    const int breite = breite_->fuer(verfuegbar, wunsch, minimum).anfang.width();
    const int noetig = noetigeHoehe(breite);
    const Fenstergroesse groesse = breite_->fuer(verfuegbar, QSize(breite, std::max(wunsch.height(), noetig)), minimum);
    setMinimumSize(groesse.minimum);
    resize(groesse.anfang);
    verfuegbar_ = verfuegbar;
    gebraucht_ = noetig;
    formular_->installEventFilter(this);
}

bool StichtagErfassenDialog::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == formular_ && ereignis->type() == QEvent::LayoutRequest && !waechstGleich_) {
        // Once the layouts have taken in what changed; many requests of one turn are one.
        waechstGleich_ = true;
        QMetaObject::invokeMethod(this, &StichtagErfassenDialog::wachse, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(objekt, ereignis);
}

void StichtagErfassenDialog::wachse() {
    waechstGleich_ = false;
    const int noetig = noetigeHoehe(width());
    const bool mehr = noetig > gebraucht_;
    gebraucht_ = noetig;
    if (!mehr || !isVisible()) {
        return;
    }
    const int hoehe = Fenstergroesse::fuer(verfuegbar_, QSize(width(), noetig), minimumSize()).anfang.height();
    if (hoehe <= height()) {
        return;
    }
    resize(width(), hoehe);
    // Grown downwards; raised where its lower edge would leave the screen, with the buttons.
    if (const QScreen* bildschirm = screen()) {
        const QRect frei = bildschirm->availableGeometry();
        const QRect rahmen = frameGeometry();
        if (rahmen.bottom() > frei.bottom()) {
            move(x(), std::max(frei.top(), y() - (rahmen.bottom() - frei.bottom())));
        }
    }
}

int StichtagErfassenDialog::noetigeHoehe(int breite) const {
    // A layout takes in a part shown or hidden only once it is activated again, which for a
    // sheet not shown yet has not happened: until then a row still counts the parts it hid.
    // Innermost first, so that each layout reads the figures of the ones inside it.
    const QList<QWidget*> teile = findChildren<QWidget*>();
    for (auto teil = teile.rbegin(); teil != teile.rend(); ++teil) {
        if ((*teil)->layout() != nullptr) {
            (*teil)->layout()->activate();
        }
    }
    const auto hoeheBei = [](const QWidget* teil, int b) {
        return teil->hasHeightForWidth() ? teil->heightForWidth(b) : teil->sizeHint().height();
    };
    const QMargins raender = layout()->contentsMargins();
    int hoehe = raender.top() + raender.bottom();
    for (int i = 0; i < layout()->count(); ++i) {
        const QWidget* teil = layout()->itemAt(i)->widget();
        if (teil == nullptr || teil->isHidden()) {
            continue;
        }
        // The scrolled part as high as all of its content, not as the few lines it asks for.
        const auto* flaeche = qobject_cast<const QScrollArea*>(teil);
        hoehe += flaeche != nullptr ? hoeheBei(flaeche->widget(), breite - 2 * flaeche->frameWidth()) +
                                          2 * flaeche->frameWidth()
                                    : hoeheBei(teil, breite);
    }
    return hoehe;
}

QString StichtagErfassenDialog::titel(const Bewertungserfassung::Stichtagswahl& wahl) {
    const QString tag = qtText(Formatierer().datumLang(wahl.datum, Zeitzone::aktuell()));
    return wahl.istNachtrag() ? tr("Kurse vom %1 nachtragen").arg(tag) : tr("Stichtag am %1").arg(tag);
}

void StichtagErfassenDialog::zeige() {
    for (auto* zeile : zeilen_) {
        zeile->zeige(entwurf_);
    }
    zeigeFuss();
    ordneTabfolge(this);
}

void StichtagErfassenDialog::zeigeFuss() {
    fehlerZeile_->setVisible(fehler_.has_value());
    fehlerZeile_->setzeText(fehler_.value_or(QString()));
    neueAbweichung_->setVisible(ablauf_.neueAbweichung());

    const auto kurse = entwurf_.stichtagskurse();
    const auto pruefen = entwurf_.pruefeEingaben();
    const auto ohne = entwurf_.ohneKurs();
    unvollstaendig_->setVisible(!pruefen.empty());
    ohneKurs_->setVisible(pruefen.empty() && !kurse.empty() && !ohne.empty());
    if (!pruefen.empty()) {
        unvollstaendig_->setzeText(tr("Noch nicht vollständig: %1. Ergänze den Kurs oder leere das Feld.")
                                       .arg(klassenliste(pruefen)));
    } else if (!kurse.empty() && !ohne.empty()) {
        ohneKurs_->setText(tr("Ohne Kurs bleiben: %1. Du kannst sie später im Stichtag eintragen.").arg(klassenliste(ohne)));
    }
    speichern_->setEnabled(!kurse.empty() && pruefen.empty());
}

void StichtagErfassenDialog::speichernGetippt() {
    if (const auto kurse = ablauf_.speichern(entwurf_)) {
        zeigeFuss();
        speichere(*kurse);
        return;
    }
    zeigeFuss();
    zeigeRueckfrage();
}

void StichtagErfassenDialog::zeigeRueckfrage() {
    if (!ablauf_.rueckfrage()) {
        return;
    }
    rueckfrage_ = rueckfrageDialog(this, *ablauf_.rueckfrage(), entwurf_, [this](bool trotzdem) {
        rueckfrage_ = nullptr;
        if (geschlossen_) {
            return;
        }
        if (trotzdem) {
            const auto kurse = ablauf_.trotzdemSpeichern(entwurf_);
            zeigeFuss();
            if (kurse) {
                speichere(*kurse);
            }
            return;
        }
        ablauf_.schliesseRueckfrage();
        zeigeFuss();
    });
}

void StichtagErfassenDialog::speichere(const Speicherablauf::Kurse& kurse) {
    const auto ausgang = Bewertungserfassung::erfassen(*portfolio_, wahl_.datum, kurse, beobachter_.kontext());
    if (const auto* ergebnis = ausgang.angelegt()) {
        emit angelegt(*ergebnis);
        done(QDialog::Accepted);
        return;
    }
    if (const auto* gruende = ausgang.keinKurs()) {
        fehler_ = tr("Es wurde kein Stichtag angelegt. ") + qtText(assetklasseMeldungszeilen(*gruende, " "));
    } else if (const auto* meldung = ausgang.fehler()) {
        // The store's text names the failed save already.
        fehler_ = qtText(*meldung);
    }
    zeigeFuss();
}

void StichtagErfassenDialog::reject() {
    if (entwurf_.hatEingaben()) {
        frageVerwerfen();
        return;
    }
    done(QDialog::Rejected);
}

void StichtagErfassenDialog::frageVerwerfen() {
    QMessageBox* box = neueMeldung(this, tr("Eingetragene Kurse verwerfen?"),
                                   tr("Der Stichtag wird nicht angelegt, und die eingetragenen Kurse gehen verloren."),
                                   QStringLiteral("verwerfenFrage"));
    QPushButton* verwerfen = box->addButton(tr("Verwerfen"), QMessageBox::DestructiveRole);
    verwerfen->setObjectName(QStringLiteral("verwerfen"));
    QPushButton* weiter = box->addButton(tr("Weiter eintragen"), QMessageBox::RejectRole);
    weiter->setObjectName(QStringLiteral("weiterEintragen"));
    box->setDefaultButton(weiter);
    box->setEscapeButton(weiter);
    verwerfen_ = box;
    connect(box, &QDialog::finished, this, [this, box, verwerfen] {
        verwerfen_ = nullptr;
        if (box->clickedButton() == verwerfen && !geschlossen_) {
            done(QDialog::Rejected);
        }
    });
    box->open();
}

void StichtagErfassenDialog::done(int ergebnis) {
    // Nothing fetched after this point reaches the draft or the store.
    geschlossen_ = true;
    bindung_.stoppe();
    for (const QPointer<QMessageBox>& box : {rueckfrage_, verwerfen_}) {
        if (box) {
            box->close();
        }
    }
    QDialog::done(ergebnis);
}

void StichtagErfassenDialog::keyPressEvent(QKeyEvent* ereignis) {
    if (ereignis->key() == Qt::Key_Return || ereignis->key() == Qt::Key_Enter) {
        ereignis->accept();
        return;
    }
    QDialog::keyPressEvent(ereignis);
}

} // namespace qb
