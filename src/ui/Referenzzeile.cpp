#include "ui/Referenzzeile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Hinweiszeile.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Vordergrund.h"

namespace qb {

namespace {

QPushButton* kleinerKnopf(const QString& text, const QString& zugaenglich, const QString& objektname,
                          QWidget* eltern) {
    auto* knopf = new QPushButton(text, eltern);
    knopf->setObjectName(objektname);
    knopf->setAccessibleName(zugaenglich);
    // Return in a rate field above must never press a button of this line.
    knopf->setAutoDefault(false);
    knopf->setDefault(false);
    knopf->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return knopf;
}

} // namespace

Referenzzeile::Referenzzeile(Waehrungscode code, std::optional<Zeitpunkt> referenztag, QWidget* eltern)
    : QWidget(eltern), code_(std::move(code)), referenztag_(referenztag), kurszeile_(new QWidget(this)),
      laedt_(new QProgressBar(kurszeile_)), text_(new QLabel(kurszeile_)),
      uebernehmen_(kleinerKnopf(tr("Übernehmen"), tr("EZB-Kurs übernehmen"), QStringLiteral("ezbUebernehmen"),
                                kurszeile_)),
      fehlt_(new Hinweiszeile(QString(), QStringLiteral("exclamationmark.triangle"), this)),
      erneutHolen_(kleinerKnopf(tr("Erneut holen"), tr("EZB-Kurs erneut holen"), QStringLiteral("ezbErneut"), this)) {
    setFont(Schriftstil::beschriftung(font()));
    Vordergrund::setze(this, Vordergrund::sekundaer());

    laedt_->setObjectName(QStringLiteral("ezbLaedt"));
    laedt_->setRange(0, 0); // nothing to count: just busy
    laedt_->setTextVisible(false);
    laedt_->setFixedSize(36, 8);
    text_->setObjectName(QStringLiteral("ezbText"));
    text_->setTextFormat(Qt::PlainText);
    // Where the line is narrow the rate wraps instead of being cut off or widening the form
    // around it; its height follows the width it gets. It takes all the width the line has:
    // a wrapping label asks for much less than its text and would wrap where it need not.
    text_->setWordWrap(true);
    auto* reihe = new QHBoxLayout(kurszeile_);
    reihe->setContentsMargins(0, 0, 0, 0);
    reihe->addWidget(laedt_, 0, Qt::AlignVCenter);
    reihe->addWidget(text_, 1, Qt::AlignVCenter);
    reihe->addWidget(uebernehmen_, 0, Qt::AlignVCenter);

    fehlt_->setObjectName(QStringLiteral("ezbFehlt"));
    Vordergrund::setze(fehlt_, Signalfarbe::warnung);

    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(4);
    spalte->addWidget(kurszeile_);
    spalte->addWidget(fehlt_);
    spalte->addWidget(erneutHolen_, 0, Qt::AlignLeft);

    connect(uebernehmen_, &QPushButton::clicked, this, &Referenzzeile::uebernehmen);
    connect(erneutHolen_, &QPushButton::clicked, this, [this] {
        if (erneut_) {
            // The retry may replace this line's state at once: run a copy.
            auto erneut = erneut_;
            erneut();
        }
    });
    zeige();
}

void Referenzzeile::setzeCode(Waehrungscode code) {
    code_ = std::move(code);
    zeige();
}

void Referenzzeile::setzeReferenztag(std::optional<Zeitpunkt> tag) {
    referenztag_ = tag;
    zeige();
}

void Referenzzeile::setzeStand(Stand stand) {
    stand_ = std::move(stand);
    zeige();
}

void Referenzzeile::setzeEingabe(const Kurseingabe& eingabe) {
    eingabe_ = eingabe;
    zeige();
}

void Referenzzeile::setzeErneut(std::function<void()> erneut) {
    erneut_ = std::move(erneut);
    zeige();
}

void Referenzzeile::setzeNamenszusatz(const std::optional<QString>& zusatz) {
    const auto benenne = [&zusatz](QPushButton* knopf, const QString& name) {
        const QString voll = zusatz ? name + QStringLiteral(": ") + *zusatz : name;
        if (knopf->accessibleName() != voll) {
            knopf->setAccessibleName(voll);
        }
    };
    benenne(uebernehmen_, tr("EZB-Kurs übernehmen"));
    benenne(erneutHolen_, tr("EZB-Kurs erneut holen"));
}

void Referenzzeile::zeige() {
    const Referenzzeilentexte texte(code_, referenztag_, stand_, static_cast<bool>(erneut_));
    using Art = Referenzzeilentexte::Art;
    const Art art = texte.art();
    const bool mitKurszeile = art == Art::wirdGeholt || art == Art::kurs;
    const bool mitUebernehmen = mitKurszeile && texte.zeigtUebernehmen(eingabe_);
    if ((uebernehmen_->hasFocus() && !mitUebernehmen) || (erneutHolen_->hasFocus() && !texte.zeigtErneut())) {
        emit fokusFrei();
    }
    kurszeile_->setVisible(mitKurszeile);
    kurszeile_->layout()->setSpacing(art == Art::wirdGeholt ? 6 : 8);
    laedt_->setVisible(art == Art::wirdGeholt);
    text_->setText(art == Art::fehlt ? QString() : texte.text());
    uebernehmen_->setVisible(texte.zeigtUebernehmen(eingabe_));
    fehlt_->setVisible(art == Art::fehlt);
    if (art == Art::fehlt) {
        fehlt_->setzeText(texte.text() + QLatin1Char('\n') + texte.hinweis().value_or(QString()));
    }
    erneutHolen_->setVisible(texte.zeigtErneut());
}

void Referenzzeile::uebernehmen() {
    const Referenzzeilentexte texte(code_, referenztag_, stand_, static_cast<bool>(erneut_));
    if (texte.uebernimm(eingabe_)) {
        zeige();
        emit eingabeGeaendert(eingabe_);
    }
}

} // namespace qb
