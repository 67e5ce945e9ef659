#include "ui/KurseingabeFelder.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/Formularraster.h"
#include "ui/Schriftstil.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "ui/Zahleneingabe.h"
#include "ui/Grenzhinweis.h"
#include "ui/EigeneReferenzzeile.h"
#include "ui/Referenzzeile.h"

namespace qb {

namespace {

// Kurseingabe's own equality leaves out what only the fields care about; here all of it counts.
bool gleich(const Kurseingabe& a, const Kurseingabe& b) {
    return a == b && a.mitText == b.mitText && a.ezbVorbelegung == b.ezbVorbelegung;
}

void markiere(std::set<Kurseingabe::Feld>& marken, Kurseingabe::Feld feld, bool an) {
    if (an) {
        marken.insert(feld);
    } else {
        marken.erase(feld);
    }
}

QLabel* nebentext(const QString& objektname, bool umbrechen, QWidget* eltern) {
    auto* label = new QLabel(eltern);
    label->setObjectName(objektname);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(umbrechen);
    label->setFont(Schriftstil::beschriftung(label->font()));
    Vordergrund::setze(label, Vordergrund::sekundaer());
    return label;
}

QWidget* platz(const QString& objektname, QWidget* eltern) {
    auto* widget = new QWidget(eltern);
    widget->setObjectName(objektname);
    auto* spalte = new QVBoxLayout(widget);
    spalte->setContentsMargins(0, 0, 0, 0);
    return widget;
}

} // namespace

KurseingabeFelder::KurseingabeFelder(Angaben angaben, const Kurseingabe& eingabe, std::optional<Zeitpunkt> referenztag,
                                     Kursdienst dienst, std::optional<EzbAusVergleich> ezbAusVergleich,
                                     QWidget* eltern)
    : QWidget(eltern), angaben_(std::move(angaben)), eingabe_(eingabe), referenztag_(referenztag),
      dienst_(std::move(dienst)), ezbAusVergleich_(std::move(ezbAusVergleich)), formular_(new Formularraster(this)) {
    baueFelder();
    schreibeInFelder();
    zeigeAufbau();
}

void KurseingabeFelder::baueFelder() {
    formular_->setContentsMargins(0, 0, 0, 0);
    formular_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

    waehrung_ = new QComboBox(this);
    waehrung_->setObjectName(QStringLiteral("handelswaehrung"));
    // Only the user's pick changes the input; filling or selecting from the input does not.
    connect(waehrung_, &QComboBox::activated, this, &KurseingabeFelder::waehrungGewaehlt);
    formular_->addRow(tr("Handelswährung"), waehrung_);

    kursTitel_ = new QLabel(this);
    kursTitel_->setObjectName(QStringLiteral("kursTitel"));
    kursPlatz_ = platz(QStringLiteral("kursPlatz"), this);
    formular_->addRow(kursTitel_, kursPlatz_);
    umrechnungTitel_ = new QLabel(this);
    umrechnungTitel_->setObjectName(QStringLiteral("umrechnungTitel"));
    umrechnungPlatz_ = platz(QStringLiteral("umrechnungPlatz"), this);
    formular_->addRow(umrechnungTitel_, umrechnungPlatz_);
    ersetzeFeld(Feld::kurs);
    ersetzeFeld(Feld::umrechnung);

    // The rate row and the preview belong to the field above them: they stand in its column.
    ezbPlatz_ = platz(QStringLiteral("ezbPlatz"), this);
    formular_->setWidget(formular_->rowCount(), QFormLayout::FieldRole, ezbPlatz_);
    vorschau_ = nebentext(QStringLiteral("vorschau"), false, this);
    formular_->setWidget(formular_->rowCount(), QFormLayout::FieldRole, vorschau_);

    grenzhinweis_ = new Grenzhinweis(QString(), this);
    grenzhinweis_->setObjectName(QStringLiteral("grenzhinweis"));
    formular_->addRow(grenzhinweis_);
    hilfe_ = nebentext(QStringLiteral("hilfetext"), true, this);
    formular_->addRow(hilfe_);
}

Zahleneingabe* KurseingabeFelder::neuesFeld(Feld art) {
    const KurseingabeInhalt inhalt(angaben_);
    const auto beschreibung = art == Feld::kurs ? inhalt.kursfeld() : inhalt.umrechnungsfeld();
    const KurseingabeInhalt::Zahlfeld angabe = beschreibung.value_or(KurseingabeInhalt::Zahlfeld{});
    auto* zahl = new Zahleneingabe(angabe.titel, Zahleneingabe::Art::kurs, 130, angabe.einheit);
    zahl->setzeTitel(angabe.titel, inhalt.zugangsname(angabe.titel));
    zahl->setObjectName(art == Feld::kurs ? QStringLiteral("kurs") : QStringLiteral("umrechnung"));
    // Connected after the field's own reading of the text, so the field has its value and
    // marks when this runs: one change per keystroke.
    connect(zahl, &Zahleneingabe::getipptGeaendert, this, [this, art] { getippt(art); });
    return zahl;
}

void KurseingabeFelder::ersetzeFeld(Feld art) {
    Zahleneingabe*& zahl = feld(art);
    QWidget* ort = art == Feld::kurs ? kursPlatz_ : umrechnungPlatz_;
    if (zahl) {
        // Perhaps still inside one of its own signals: it goes once control is back.
        zahl->disconnect(this);
        zahl->feld()->disconnect(this);
        zahl->hide();
        ort->layout()->removeWidget(zahl);
        zahl->setParent(nullptr); // out of the tree at once, for lookups by name too
        zahl->deleteLater();
    }
    zahl = neuesFeld(art);
    ort->layout()->addWidget(zahl);
    (art == Feld::kurs ? kursTitel_ : umrechnungTitel_)->setBuddy(zahl);
}

void KurseingabeFelder::setzeEingabe(const Kurseingabe& eingabe) {
    eingabe_ = eingabe;
    schreibeInFelder();
    zeigeTexte();
    // A mark that the fields' text does not bear out goes back to the caller corrected.
    if (!gleich(eingabe_, eingabe)) {
        emit eingabeGeaendert(eingabe_);
    }
}

void KurseingabeFelder::setzeAngaben(const Angaben& angaben) {
    if (angaben == angaben_) {
        return;
    }
    angaben_ = angaben;
    zeigeAufbau();
}

void KurseingabeFelder::setzeReferenztag(std::optional<Zeitpunkt> tag) {
    referenztag_ = tag;
    zeigeEzbZeile();
}

void KurseingabeFelder::setzeEzbAusVergleich(std::optional<EzbAusVergleich> ezb) {
    ezbAusVergleich_ = std::move(ezb);
    zeigeEzbZeile();
}

void KurseingabeFelder::fokussiereKurs() {
    Zahleneingabe* zahl = formular_->isRowVisible(kursPlatz_) ? kurs_ : umrechnung_;
    zahl->feld()->setFocus(Qt::OtherFocusReason);
}

void KurseingabeFelder::fokussiereUmrechnung() {
    Zahleneingabe* zahl = formular_->isRowVisible(umrechnungPlatz_) ? umrechnung_ : kurs_;
    zahl->feld()->setFocus(Qt::OtherFocusReason);
}

void KurseingabeFelder::getippt(Feld art) {
    const Kurseingabe vorher = eingabe_;
    liesFeld(art);
    melde(vorher);
}

void KurseingabeFelder::waehrungGewaehlt(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= optionen_.size()) {
        return;
    }
    const Kurseingabe vorher = eingabe_;
    eingabe_.bereinigeUmrechnung(utf8(optionen_[static_cast<std::size_t>(index)].code));
    schreibeInFelder();
    melde(vorher);
}

void KurseingabeFelder::vonZeile(const Kurseingabe& eingabe) {
    const Kurseingabe vorher = eingabe_;
    // The row writes only these two; the rest of its copy may lag behind the fields.
    eingabe_.umrechnung = eingabe.umrechnung;
    eingabe_.ezbVorbelegung = eingabe.ezbVorbelegung;
    schreibeInFelder();
    melde(vorher);
}

void KurseingabeFelder::melde(const Kurseingabe& vorher) {
    if (gleich(eingabe_, vorher)) {
        return;
    }
    zeigeTexte();
    emit eingabeGeaendert(eingabe_);
}

void KurseingabeFelder::schreibeInFelder() {
    for (Feld art : {Feld::kurs, Feld::umrechnung}) {
        Zahleneingabe* zahl = feld(art);
        const Dezimal& wert = art == Feld::kurs ? eingabe_.kurs : eingabe_.umrechnung;
        const bool mitTextGebunden = art == Feld::umrechnung;
        const bool markiert = eingabe_.unlesbar.contains(art) || (mitTextGebunden && eingabe_.mitText.contains(art));
        // A field reads text that gives 0 as its own write of 0, so setting 0 would keep it.
        // When the input says the field is empty, the field starts over empty.
        if (wert.istNull() && !markiert && (zahl->istUnlesbar() || (mitTextGebunden && zahl->hatText()))) {
            ersetzeFeld(art);
        } else {
            zahl->setzeWert(wert);
        }
        liesFeld(art);
    }
}

void KurseingabeFelder::liesFeld(Feld art) {
    const Zahleneingabe* zahl = feld(art);
    (art == Feld::kurs ? eingabe_.kurs : eingabe_.umrechnung) = zahl->wert();
    markiere(eingabe_.unlesbar, art, zahl->istUnlesbar());
    if (art == Feld::umrechnung) {
        markiere(eingabe_.mitText, art, zahl->hatText());
    }
}

void KurseingabeFelder::zeigeAufbau() {
    const KurseingabeInhalt inhalt(angaben_);
    formular_->setRowVisible(waehrung_, inhalt.mitWaehrungswahl());
    const std::pair<Feld, std::optional<KurseingabeInhalt::Zahlfeld>> felder[] = {
        {Feld::kurs, inhalt.kursfeld()}, {Feld::umrechnung, inhalt.umrechnungsfeld()}};
    for (const auto& [art, angabe] : felder) {
        Zahleneingabe* zahl = feld(art);
        formular_->setRowVisible(art == Feld::kurs ? kursPlatz_ : umrechnungPlatz_, angabe.has_value());
        if (!angabe) {
            continue;
        }
        (art == Feld::kurs ? kursTitel_ : umrechnungTitel_)->setText(angabe->titel);
        // The unit changes with the currency and the quotation while the typed text stays.
        zahl->setzeTitel(angabe->titel, inhalt.zugangsname(angabe->titel));
        zahl->setzeEinheit(angabe->einheit);
    }
    // A picker is named by the label of its row.
    const QString waehrungsname = inhalt.zugangsname(tr("Handelswährung"));
    waehrung_->setAccessibleName(waehrungsname);
    if (QWidget* beschriftung = formular_->labelForField(waehrung_)) {
        beschriftung->setAccessibleName(waehrungsname);
    }
    zeigeEzbZeile();
    zeigeTexte();
}

void KurseingabeFelder::zeigeWaehrungswahl() {
    if (optionenFuer_ != eingabe_.handelswaehrung) {
        optionenFuer_ = eingabe_.handelswaehrung;
        std::vector<KurseingabeInhalt::Option> optionen = KurseingabeInhalt::waehrungsoptionen(eingabe_.handelswaehrung);
        if (optionen != optionen_) {
            optionen_ = std::move(optionen);
            waehrung_->clear();
            for (const auto& option : optionen_) {
                waehrung_->addItem(option.text, option.code);
            }
        }
    }
    const auto gewaehlt = KurseingabeInhalt::gewaehlteOption(optionen_, eingabe_.handelswaehrung);
    waehrung_->setCurrentIndex(gewaehlt ? static_cast<int>(*gewaehlt) : -1);
}

void KurseingabeFelder::zeigeEzbZeile() {
    const std::optional<Waehrungscode> code = KurseingabeInhalt(angaben_).ezbWaehrung();
    if (!code) {
        entferneEzbZeile();
        formular_->setRowVisible(ezbPlatz_, false);
        return;
    }
    bool sichtbar = true;
    if (ezbAusVergleich_) {
        if (ezbEigen_) {
            entferneEzbZeile();
        }
        if (!ezbVergleich_) {
            ezbVergleich_ = new Referenzzeile(*code, referenztag_, ezbPlatz_);
            ezbVergleich_->setObjectName(QStringLiteral("referenzzeile"));
            connect(ezbVergleich_, &Referenzzeile::eingabeGeaendert, this, &KurseingabeFelder::vonZeile);
            connect(ezbVergleich_, &Referenzzeile::fokusFrei, this, &KurseingabeFelder::fokussiereKurs);
            ezbPlatz_->layout()->addWidget(ezbVergleich_);
        }
        ezbVergleich_->setzeCode(*code);
        ezbVergleich_->setzeReferenztag(referenztag_);
        ezbVergleich_->setzeEingabe(eingabe_);
        ezbVergleich_->setzeErneut(ezbAusVergleich_->erneut);
        ezbVergleich_->setzeNamenszusatz(KurseingabeInhalt(angaben_).namenszusatz());
        ezbVergleich_->setzeStand(ezbAusVergleich_->stand);
        sichtbar = !(ezbAusVergleich_->stand && ezbAusVergleich_->stand->istEntfallen());
    } else {
        if (ezbVergleich_) {
            entferneEzbZeile();
        }
        if (!ezbEigen_) {
            ezbEigen_ = new EigeneReferenzzeile(*code, referenztag_, dienst_, ezbPlatz_);
            ezbEigen_->setObjectName(QStringLiteral("eigeneReferenzzeile"));
            connect(ezbEigen_, &EigeneReferenzzeile::eingabeGeaendert, this, &KurseingabeFelder::vonZeile);
            connect(ezbEigen_, &EigeneReferenzzeile::fokusFrei, this, &KurseingabeFelder::fokussiereKurs);
            ezbPlatz_->layout()->addWidget(ezbEigen_);
        }
        ezbEigen_->setzeEingabe(eingabe_);
        ezbEigen_->setzeCode(*code);
        ezbEigen_->setzeReferenztag(referenztag_);
    }
    formular_->setRowVisible(ezbPlatz_, sichtbar);
}

void KurseingabeFelder::entferneEzbZeile() {
    // A row that is no longer shown is gone with its state and its fetch; perhaps this runs
    // inside one of its signals, so it is deleted once control is back.
    for (QWidget* zeile : {static_cast<QWidget*>(ezbVergleich_), static_cast<QWidget*>(ezbEigen_)}) {
        if (zeile) {
            zeile->disconnect(this);
            zeile->hide(); // stops a running fetch
            ezbPlatz_->layout()->removeWidget(zeile);
            zeile->setParent(nullptr);
            zeile->deleteLater();
        }
    }
    ezbVergleich_ = nullptr;
    ezbEigen_ = nullptr;
}

void KurseingabeFelder::zeigeTexte() {
    const KurseingabeInhalt inhalt(angaben_);
    const auto vorschau = inhalt.vorschau(eingabe_);
    vorschau_->setText(vorschau.value_or(QString()));
    formular_->setRowVisible(vorschau_, vorschau.has_value());
    const auto grenze = inhalt.grenzhinweis(eingabe_);
    grenzhinweis_->setzeText(grenze.value_or(QString()));
    formular_->setRowVisible(grenzhinweis_, grenze.has_value());
    const auto hilfe = inhalt.hilfetext();
    hilfe_->setText(hilfe.value_or(QString()));
    formular_->setRowVisible(hilfe_, hilfe.has_value());
    zeigeWaehrungswahl();
    if (ezbVergleich_) {
        ezbVergleich_->setzeEingabe(eingabe_);
    }
    if (ezbEigen_) {
        ezbEigen_->setzeEingabe(eingabe_);
    }
}

} // namespace qb
