#include "positions/Positionsformular.h"

#include <algorithm>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "ui/Formularraster.h"
#include "ui/Hinweiszeile.h"
#include "ui/Kursabrufadapter.h"
#include "ui/Schriftstil.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "ui/Zahleneingabe.h"
#include "foundation/Formatierer.h"
#include "foundation/Unicode.h"
#include "model/Position.h"
#include "ui/Grenzhinweis.h"
#include "positions/PositionBearbeiten.h"
#include "positions/Positionstexte.h"
#include "ui/KurseingabeFelder.h"
#include "ui/Tageswechsel.h"

namespace qb {

namespace {

constexpr int feldbreite = 130;

// A hint row that takes the height its text needs at the width it has, like the warning line.
class Umbruchzeile : public Hinweiszeile {
public:
    Umbruchzeile(const QString& symbol, const QString& objektname, const QFont& schrift, const Vordergrund& stil)
        : Hinweiszeile(QString(), symbol) {
        setObjectName(objektname);
        setFont(schrift);
        Vordergrund::setze(this, stil);
        hide();
    }
    QSize sizeHint() const override {
        QSize groesse = Hinweiszeile::sizeHint();
        if (hasHeightForWidth() && width() > 0) {
            groesse.setHeight(heightForWidth(width()));
        }
        return groesse;
    }

protected:
    void resizeEvent(QResizeEvent* ereignis) override {
        Hinweiszeile::resizeEvent(ereignis);
        if (ereignis->size().width() != ereignis->oldSize().width()) {
            updateGeometry();
        }
    }
};

QLabel* nebentext(const QString& objektname, const QFont& schrift, const Vordergrund& stil) {
    auto* label = new QLabel;
    label->setObjectName(objektname);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(schrift);
    Vordergrund::setze(label, stil);
    return label;
}

Grenzhinweis* grenzhinweis(const QString& objektname) {
    auto* hinweis = new Grenzhinweis(QString());
    hinweis->setObjectName(objektname);
    hinweis->hide();
    return hinweis;
}

void setzeText(Hinweiszeile* zeile, const std::optional<QString>& text) {
    if (text && zeile->text() != *text) {
        zeile->setzeText(*text);
    }
}

void zeige(Hinweiszeile* zeile, const std::optional<QString>& text) {
    setzeText(zeile, text);
    zeile->setVisible(text.has_value());
}

Zahleneingabe* zahlfeld(const QString& titel, Zahleneingabe::Art art, const QString& einheit, const QString& objektname) {
    auto* feld = new Zahleneingabe(titel, art, feldbreite, einheit);
    feld->setObjectName(objektname);
    return feld;
}

QGroupBox* abschnitt(const QString& titel, const QString& objektname) {
    auto* gruppe = new QGroupBox(titel);
    gruppe->setObjectName(objektname);
    return gruppe;
}

bool gleich(const Kurseingabe& a, const Kurseingabe& b) {
    return a == b && a.mitText == b.mitText && a.ezbVorbelegung == b.ezbVorbelegung;
}

} // namespace

Positionsformular::Positionsformular(PositionBearbeiten& editor, Kursabrufadapter& abruf, QWidget* eltern)
    : QWidget(eltern), editor_(editor), abruf_(abruf), letzteKennung_(editor.entwurf().kennung) {
    auto* spalte = new QVBoxLayout(this);
    spalte->addWidget(wertpapierbereich());
    spalte->addWidget(kaufbereich());
    spalte->addWidget(kursbereich());
    spalte->addWidget(einsatzbereich());
    spalte->addStretch(1);
    connect(&abruf_, &Kursabrufadapter::standGeaendert, this, &Positionsformular::zeigeKurs);
    // An entry day that was today becomes a past one at midnight: the section's title, the
    // fetch's button and the ECB line then name that day.
    connect(new Tageswechsel(this), &Tageswechsel::neuerTag, this, &Positionsformular::aktualisiere);
    aktualisiere();
}

QGroupBox* Positionsformular::wertpapierbereich() {
    auto* gruppe = abschnitt(tr("Wertpapier"), QStringLiteral("wertpapier"));
    auto* form = new Formularraster(gruppe);
    const PositionBearbeiten::Entwurf& entwurf = editor_.entwurf();

    name_ = new QLineEdit(qtText(entwurf.name));
    name_->setObjectName(QStringLiteral("name"));
    name_->setPlaceholderText(tr("zum Beispiel SAP SE"));
    // textChanged, not textEdited: text that assistive technology sets is input too. The one
    // write from the draft (the name, in aktualisiere) comes back unchanged and changes nothing.
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        editor_.entwurf().name = utf8(text);
        geaendert();
    });
    form->addRow(tr("Name"), name_);

    kennung_ = new QLineEdit(qtText(entwurf.kennung));
    kennung_->setObjectName(QStringLiteral("kennung"));
    kennung_->setPlaceholderText(qtText(editor_.dienst().quelle(editor_.klasse()).kennungshinweis()));
    kennung_->setInputMethodHints(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    connect(kennung_, &QLineEdit::textChanged, this, &Positionsformular::kennungGeaendert);
    form->addRow(tr("Kennung"), kennung_);

    auto* beispiel = nebentext(QStringLiteral("beispiel"), Schriftstil::beschriftung(font()), Vordergrund::sekundaer());
    beispiel->setText(Positionstexte::beispiel(editor_.klasse()));
    form->addRow(beispiel);
    kennungsnotiz_ = new Umbruchzeile(QStringLiteral("hand.raised"), QStringLiteral("kennungsnotiz"),
                                      Schriftstil::hervorhebung(font()), Vordergrund::sekundaer());
    form->addRow(kennungsnotiz_);
    kennungswarnung_ = new Umbruchzeile(QStringLiteral("exclamationmark.circle"), QStringLiteral("kennungswarnung"),
                                        font(), Signalfarbe::warnung);
    form->addRow(kennungswarnung_);
    return gruppe;
}

QGroupBox* Positionsformular::kaufbereich() {
    auto* gruppe = abschnitt(tr("Kauf"), QStringLiteral("kauf"));
    kauf_ = new Formularraster(gruppe);
    const PositionBearbeiten::Entwurf& entwurf = editor_.entwurf();
    const auto mengeSetzen = [this](const Dezimal& wert) {
        editor_.entwurf().setzeMenge(wert);
        geaendert();
    };

    menge_ = zahlfeld(tr("Menge"), Zahleneingabe::Art::ganzzahl, QString(), QStringLiteral("menge"));
    connect(menge_, &Zahleneingabe::wertGeaendert, this, mengeSetzen);
    kauf_->addRow(menge_->titel(), menge_);
    mengenhinweis_ = grenzhinweis(QStringLiteral("mengenhinweis"));
    kauf_->addRow(QString(), mengenhinweis_);

    einheit_ = new QLineEdit(qtText(entwurf.einheit));
    einheit_->setObjectName(QStringLiteral("einheit"));
    einheit_->setPlaceholderText(editor_.klasse() == Assetklasse::rohstoff ? tr("zum Beispiel Feinunze")
                                                                           : tr("zum Beispiel Tonnen"));
    connect(einheit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        editor_.entwurf().einheit = utf8(text);
        geaendert();
    });
    kauf_->addRow(tr("Einheit"), einheit_);

    notierung_ = new QComboBox;
    notierung_->setObjectName(QStringLiteral("notierung"));
    for (Notierungsart art : alleNotierungsarten) {
        notierung_->addItem(qtText(beschreibung(art)), static_cast<int>(art));
    }
    connect(notierung_, &QComboBox::activated, this, [this](int index) {
        editor_.entwurf().notierung = alleNotierungsarten.at(static_cast<std::size_t>(index));
        geaendert();
    });
    kauf_->addRow(tr("Notierung"), notierung_);

    felder_ = new KurseingabeFelder({}, entwurf.eingabe, editor_.abruftag(), editor_.dienst());
    felder_->setObjectName(QStringLiteral("kurseingabe"));
    connect(felder_, &KurseingabeFelder::eingabeGeaendert, this, [this](const Kurseingabe& eingabe) {
        editor_.entwurf().eingabe = eingabe;
        geaendert();
    });
    kauf_->addRow(felder_);

    nennwert_ = zahlfeld(tr("Nennwert je Stück"), Zahleneingabe::Art::betrag, QStringLiteral("€"),
                         QStringLiteral("nennwert"));
    connect(nennwert_, &Zahleneingabe::wertGeaendert, this, [this](const Dezimal& wert) {
        editor_.entwurf().nennwert = wert;
        geaendert();
    });
    kauf_->addRow(nennwert_->titel(), nennwert_);
    nennwerthinweis_ = grenzhinweis(QStringLiteral("nennwerthinweis"));
    kauf_->addRow(QString(), nennwerthinweis_);

    bezahlt_ = zahlfeld(tr("Bezahlt"), Zahleneingabe::Art::betrag, QStringLiteral("€"), QStringLiteral("bezahlt"));
    connect(bezahlt_, &Zahleneingabe::wertGeaendert, this, [this](const Dezimal& wert) {
        editor_.entwurf().setzeEinsatz(wert);
        geaendert();
    });
    kauf_->addRow(bezahlt_->titel(), bezahlt_);
    bekommen_ = zahlfeld(tr("Bekommen"), Zahleneingabe::Art::ganzzahl, QString(), QStringLiteral("bekommen"));
    connect(bekommen_, &Zahleneingabe::wertGeaendert, this, mengeSetzen);
    kauf_->addRow(bekommen_->titel(), bekommen_);
    erklaerung_ = nebentext(QStringLiteral("erklaerung"), Schriftstil::beschriftung(font()), Vordergrund::sekundaer());
    erklaerung_->setText(tr("Trag ein, was du kennst, die App rechnet das andere mit dem Kaufkurs aus. Gekauft werden "
                            "nur ganze Einheiten, der Rest bleibt in der Kasse."));
    kauf_->addRow(erklaerung_);
    betragshinweis_ = grenzhinweis(QStringLiteral("betragshinweis"));
    kauf_->addRow(betragshinweis_);
    bekommenhinweis_ = grenzhinweis(QStringLiteral("bekommenhinweis"));
    kauf_->addRow(bekommenhinweis_);

    QFont ziffern = Schriftstil::hervorhebung(font());
    ziffern.setFamily(QStringLiteral("DejaVu Sans")); // its digits are all of one width
    zusammenfassung_ = nebentext(QStringLiteral("zusammenfassung"), ziffern, Vordergrund::primaer());
    kauf_->addRow(zusammenfassung_);
    return gruppe;
}

QGroupBox* Positionsformular::kursbereich() {
    kurs_ = abschnitt(QString(), QStringLiteral("kurs"));
    auto* spalte = new QVBoxLayout(kurs_);

    auto* zeile = new QHBoxLayout;
    abrufLaeuft_ = new QProgressBar;
    abrufLaeuft_->setObjectName(QStringLiteral("abrufLaeuft"));
    abrufLaeuft_->setRange(0, 0);
    abrufLaeuft_->setTextVisible(false);
    abrufLaeuft_->setFixedSize(32, 8);
    abrufen_ = new QPushButton;
    abrufen_->setObjectName(QStringLiteral("abrufen"));
    abrufen_->setAutoDefault(false);
    connect(abrufen_, &QPushButton::clicked, this, &Positionsformular::holeKaufkurs);
    quelle_ = nebentext(QStringLiteral("quelle"), Schriftstil::beschriftung(font()), Vordergrund::sekundaer());
    quelle_->setWordWrap(false);
    zeile->addWidget(abrufLaeuft_);
    zeile->addWidget(abrufen_);
    zeile->addWidget(quelle_);
    zeile->addStretch(1);
    spalte->addLayout(zeile);

    heute_ = nebentext(QStringLiteral("heute"), Schriftstil::beschriftung(font()), Vordergrund::sekundaer());
    heute_->setText(tr("Gilt als Kurs von heute. Hat eure Gruppe an einem anderen Tag gekauft, zuerst in den "
                       "Einstellungen das Einstiegsdatum wählen und übernehmen."));
    spalte->addWidget(heute_);
    abruffehler_ = new Umbruchzeile(QStringLiteral("exclamationmark.triangle"), QStringLiteral("abruffehler"), font(),
                                    Signalfarbe::verlust);
    if (auto* text = abruffehler_->findChild<QLabel*>()) {
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    spalte->addWidget(abruffehler_);
    wenigHandel_ = new Umbruchzeile(QStringLiteral("drop"), QStringLiteral("wenigHandel"),
                                    Schriftstil::hervorhebung(font()), Signalfarbe::warnung);
    spalte->addWidget(wenigHandel_);
    handel_ = nebentext(QStringLiteral("handel"), Schriftstil::beschriftung(font()), Vordergrund::sekundaer());
    spalte->addWidget(handel_);
    return kurs_;
}

QGroupBox* Positionsformular::einsatzbereich() {
    auto* gruppe = abschnitt(tr("Einsatz"), QStringLiteral("einsatzbereich"));
    auto* form = new Formularraster(gruppe);
    QFont ziffern = font();
    ziffern.setFamily(QStringLiteral("DejaVu Sans"));
    einsatz_ = nebentext(QStringLiteral("einsatz"), ziffern, Vordergrund::primaer());
    einsatz_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(tr("Diese Position"), einsatz_);
    nochFrei_ = nebentext(QStringLiteral("nochFrei"), ziffern, Vordergrund::primaer());
    nochFrei_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->addRow(tr("Danach noch frei"), nochFrei_);
    return gruppe;
}

void Positionsformular::fokussiereKennung() {
    kennung_->setFocus(Qt::OtherFocusReason);
}

void Positionsformular::fokussiere(Kurspruefung::Abweichung::Gegenstand gegenstand) {
    using Gegenstand = Kurspruefung::Abweichung::Gegenstand;
    if (gegenstand == Gegenstand::wechselkurs) {
        felder_->fokussiereUmrechnung();
    } else if (gegenstand == Gegenstand::notierungsart && !notierung_->isHidden()) {
        notierung_->setFocus(Qt::OtherFocusReason);
    } else {
        felder_->fokussiereKurs();
    }
}

void Positionsformular::geaendert() {
    if (zeigt_) {
        return;
    }
    aktualisiere();
    emit entwurfGeaendert();
}

void Positionsformular::kennungGeaendert(const QString& text) {
    const std::string vorher = letzteKennung_;
    editor_.entwurf().kennung = utf8(text);
    letzteKennung_ = editor_.entwurf().kennung;
    // A failure belonged to the identifier as it was.
    if (abruf_.stand().fehlermeldung() != nullptr) {
        abruf_.setzeRuhend();
    }
    letzterUmfang_.reset();
    editor_.entwurf().kursWaehrungAbgleichen(vorher);
    geaendert();
}

namespace {

// Whether the user changed the price fields since `vorher`. The ECB rate that the rate row
// fills into an empty rate field by itself is no input of the user's.
bool vonHandGeaendert(const Kurseingabe& vorher, const Kurseingabe& jetzt) {
    if (vorher == jetzt) {
        return false;
    }
    const bool nurEzbVorbelegt = jetzt.ezbVorbelegung && jetzt.umrechnung == *jetzt.ezbVorbelegung &&
                                 vorher.umrechnung.istNull() && jetzt.kurs == vorher.kurs &&
                                 jetzt.handelswaehrung == vorher.handelswaehrung;
    return !nurEzbVorbelegt;
}

} // namespace

void Positionsformular::holeKaufkurs() {
    const std::string kennung = editor_.entwurf().kennung;
    // What the price fields held when the fetch started: a quote that arrives after the user
    // typed a price of their own must not overwrite it.
    const Kurseingabe eingabe = editor_.entwurf().eingabe;
    letzterUmfang_.reset();
    // The button turns itself off while the quote is on its way. The cursor goes to the price
    // the quote fills in, where the group types it by hand should the fetch fail, and not on
    // through the tab order to the sheet's buttons.
    if (abrufen_->hasFocus()) {
        felder_->fokussiereKurs();
    }
    abruf_.hole(
        editor_.klasse(), kennung, editor_.abruftag(),
        [this, kennung, eingabe] {
            return editor_.kennungNochAktuell(kennung) && !vonHandGeaendert(eingabe, editor_.entwurf().eingabe);
        },
        [this](std::optional<Kursnotierung> notierung) {
            if (!notierung) {
                zeigeKurs();
                return;
            }
            letzterUmfang_ = notierung->handelsumfang;
            editor_.entwurf().uebernimmKurs(*notierung);
            aktualisiere();
            emit entwurfGeaendert();
        });
    zeigeKurs();
}

void Positionsformular::aktualisiere() {
    zeigt_ = true;
    const PositionBearbeiten::Entwurf& entwurf = editor_.entwurf();
    if (name_->text() != qtText(entwurf.name)) {
        name_->setText(qtText(entwurf.name));
    }
    const Kennungsurteil urteil = editor_.dienst().pruefe(entwurf.kennung, editor_.klasse());
    const auto notiz = Positionstexte::kennungsnotiz(urteil, Unicode::ohneLeerzeichen(entwurf.kennung).empty());
    zeige(kennungsnotiz_, notiz && !notiz->warnt ? std::optional(notiz->text) : std::nullopt);
    zeige(kennungswarnung_, notiz && notiz->warnt ? std::optional(notiz->text) : std::nullopt);
    zeigeKauf();
    zeigeKurs();
    zeigeEinsatz();
    zeigt_ = false;
}

void Positionsformular::zeigeKauf() {
    const PositionBearbeiten::Entwurf& entwurf = editor_.entwurf();
    const Assetklasse klasse = editor_.klasse();
    const Eingabeform form = entwurf.form();
    const bool waehrungskauf = form.waehrungskursCode() != nullptr;
    const bool mitEinheit = klasse == Assetklasse::rohstoff || klasse == Assetklasse::co2Zertifikat;
    const bool prozent = entwurf.notierung == Notierungsart::prozentVomNennwert;

    // The fields first: a mark they correct reaches the draft before the rest is read from it.
    KurseingabeFelder::Angaben angaben{KurseingabeFelder::Zweck::kauf, klasse, form, entwurf.notierung,
                                       entwurf.einheitZumSpeichern(),
                                       editor_.dienst().pruefe(entwurf.kennung, klasse) == Kennungsurteil::verwendbar};
    felder_->setzeReferenztag(editor_.abruftag());
    if (!(felder_->angaben() == angaben)) {
        felder_->setzeAngaben(angaben);
    }
    if (!gleich(felder_->eingabe(), entwurf.eingabe)) {
        felder_->setzeEingabe(entwurf.eingabe);
    }

    const QString einheit = qtText(entwurf.probeposition()->einheitText());
    const auto mengenhinweis = entwurf.mengenhinweis();
    kauf_->setRowVisible(menge_, !waehrungskauf);
    kauf_->setRowVisible(mengenhinweis_, !waehrungskauf && mengenhinweis);
    menge_->setzeWert(entwurf.menge());
    menge_->setzeEinheit(einheit);
    setzeText(mengenhinweis_, mengenhinweis);

    kauf_->setRowVisible(einheit_, mitEinheit);
    kauf_->setRowVisible(notierung_, klasse != Assetklasse::waehrung);
    notierung_->setCurrentIndex(entwurf.notierung == Notierungsart::stueckpreis ? 0 : 1);

    const bool nennwertFalsch = entwurf.nennwert <= Dezimal(0) || entwurf.nennwert > Dezimal(1000000000);
    kauf_->setRowVisible(nennwert_, prozent);
    kauf_->setRowVisible(nennwerthinweis_, prozent && nennwertFalsch);
    nennwert_->setzeWert(entwurf.nennwert);
    const Waehrungscode* code = waehrungskauf ? form.waehrungskursCode() : form.fremdwaehrungCode();
    nennwert_->setzeEinheit(code != nullptr ? qtText(code->wert()) : QStringLiteral("€"));
    setzeText(nennwerthinweis_, nennwertFalsch ? std::optional(tr("Der Nennwert muss über 0 und höchstens "
                                                              "1.000.000.000 sein."))
                                           : std::nullopt);

    const auto betragshinweis = entwurf.betragshinweis();
    for (QWidget* zeile : {static_cast<QWidget*>(bezahlt_), static_cast<QWidget*>(bekommen_),
                           static_cast<QWidget*>(erklaerung_)}) {
        kauf_->setRowVisible(zeile, waehrungskauf);
    }
    kauf_->setRowVisible(betragshinweis_, waehrungskauf && betragshinweis);
    kauf_->setRowVisible(bekommenhinweis_, waehrungskauf && mengenhinweis);
    bezahlt_->setzeWert(entwurf.einsatz());
    bekommen_->setzeWert(entwurf.menge());
    bekommen_->setzeEinheit(einheit);
    setzeText(betragshinweis_, betragshinweis);
    setzeText(bekommenhinweis_, mengenhinweis);

    const auto zusammenfassung = entwurf.kaufzusammenfassung();
    kauf_->setRowVisible(zusammenfassung_, zusammenfassung.has_value());
    zusammenfassung_->setText(zusammenfassung.value_or(QString()));
    richteEinheitenAus();
}

void Positionsformular::richteEinheitenAus() {
    // Every number field of the section ends in one line, also beside a unit such as "Stück"
    // that is longer than a currency code.
    QWidget* gruppe = kauf_->parentWidget();
    const QList<Zahleneingabe*> felder = gruppe->findChildren<Zahleneingabe*>();
    int breite = 0;
    for (const Zahleneingabe* feld : felder) {
        if (feld->isVisibleTo(gruppe)) {
            breite = std::max(breite, feld->einheitsbreite());
        }
    }
    for (Zahleneingabe* feld : felder) {
        feld->setzeEinheitsbreite(breite);
    }
}

void Positionsformular::zeigeKurs() {
    const PositionBearbeiten::Entwurf& entwurf = editor_.entwurf();
    const auto tag = editor_.abruftag();
    const Kennungsurteil urteil = editor_.dienst().pruefe(entwurf.kennung, editor_.klasse());
    const bool laeuft = abruf_.stand().istLaufend();
    kurs_->setTitle(Positionstexte::kursabschnitt(tag.has_value()));
    abrufLaeuft_->setVisible(laeuft);
    abrufen_->setText(Positionstexte::abrufknopf(laeuft, tag));
    abrufen_->setEnabled(!laeuft && urteil == Kennungsurteil::verwendbar);
    quelle_->setText(Positionstexte::quellenzeile(urteil, editor_.dienst().quelle(editor_.klasse()).bezeichnung()));
    heute_->setVisible(!tag);

    const std::string* fehler = abruf_.stand().fehlermeldung();
    zeige(abruffehler_, fehler ? std::optional(qtText(*fehler)) : std::nullopt);
    const bool wenig = letzterUmfang_ && Positionstexte::wenigHandel(*letzterUmfang_);
    zeige(wenigHandel_, wenig ? std::optional(Positionstexte::handelshinweis(*letzterUmfang_)) : std::nullopt);
    const auto umfang = letzterUmfang_ && !wenig ? letzterUmfang_->text() : std::nullopt;
    handel_->setText(umfang ? qtText(*umfang) : QString());
    handel_->setVisible(umfang.has_value());
}

void Positionsformular::zeigeEinsatz() {
    const Formatierer format;
    const Dezimal frei = editor_.nochFrei();
    einsatz_->setText(qtText(format.waehrung(editor_.entwurf().einsatz(), "EUR")));
    nochFrei_->setText(qtText(format.waehrung(frei, "EUR")));
    Vordergrund::setze(nochFrei_, frei < Dezimal(0) ? Vordergrund(Signalfarbe::verlust) : Vordergrund::primaer());
}

} // namespace qb
