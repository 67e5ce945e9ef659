#include "ui/Kennzahlenzeile.h"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/Hinweiszeile.h"
#include "ui/Kachelraster.h"
#include "ui/Schriftstil.h"
#include "ui/Vordergrund.h"
#include "valuation/Portfoliostand.h"

namespace qb {

namespace {

using Hinweisart = Kennzahlentexte::Hinweisart;

constexpr std::array<Hinweisart, 4> hinweisarten{Hinweisart::ueberzogen, Hinweisart::offeneKlassen,
                                                 Hinweisart::fehlendePreise, Hinweisart::offenerStichtag};

// The amounts of the tiles: larger than the body text, as the figures the row is about.
QFont titel3(QFont f) {
    if (f.pointSizeF() > 0) {
        f.setPointSizeF(f.pointSizeF() * 15.0 / 13.0);
    } else if (f.pixelSize() > 0) {
        f.setPixelSize(f.pixelSize() * 15 / 13);
    }
    return f;
}

// Amounts stand under each other in several places: their digits must all be equally wide,
// which DejaVu Sans's are.
QFont tabellarisch(QFont f) {
    f.setFamilies({QStringLiteral("DejaVu Sans")});
    return f;
}

QLabel* neuesEtikett(const QString& name, QWidget* eltern) {
    auto* etikett = new QLabel(eltern);
    etikett->setObjectName(name);
    etikett->setTextFormat(Qt::PlainText);
    return etikett;
}

// A text on one line at its full width: never cut.
QLabel* neuerBetrag(const QString& name, QWidget* eltern) {
    auto* etikett = neuesEtikett(name, eltern);
    etikett->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return etikett;
}

} // namespace

Kennzahlenzeile::Kennzahlenzeile(const Portfoliostand& stand, std::optional<Bezug> bezug,
                                 std::optional<Wertveraenderung> veraenderung,
                                 std::optional<Zeitpunkt> offenerStichtag, QWidget* eltern)
    : QWidget(eltern) {
    setObjectName(QStringLiteral("kennzahlenzeile"));
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(16, 16, 16, 16);
    spalte->setSpacing(10);

    ueberschrift_ = neuesEtikett(QStringLiteral("kennzahlenUeberschrift"), this);
    ueberschrift_->setWordWrap(true);
    spalte->addWidget(ueberschrift_);

    auto* raster = new QWidget(this);
    raster->setObjectName(QStringLiteral("kacheln"));
    auto* rasterLayout = new Kachelraster(130, 20, 10, raster);
    const std::array<QString, 4> namen{QStringLiteral("Investiert"), QStringLiteral("Barbestand"),
                                       QStringLiteral("Gesamtwert"), QStringLiteral("Gewinn")};
    for (std::size_t i = 0; i < kacheln_.size(); ++i) {
        kacheln_[i] = baueKachel(namen[i], raster);
        rasterLayout->addWidget(kacheln_[i].rahmen);
    }
    spalte->addWidget(raster);

    spalte->addWidget(baueVeraenderung());

    const std::array<QString, 4> hinweisnamen{
        QStringLiteral("hinweisUeberzogen"), QStringLiteral("hinweisOffeneKlassen"),
        QStringLiteral("hinweisFehlendePreise"), QStringLiteral("hinweisOffenerStichtag")};
    const std::array<QString, 4> symbole{
        QStringLiteral("exclamationmark.triangle"), QStringLiteral("circle.dashed"),
        QStringLiteral("questionmark.circle"), QStringLiteral("questionmark.circle")};
    for (std::size_t i = 0; i < hinweise_.size(); ++i) {
        hinweise_[i] = new Hinweiszeile(QString(), symbole[i], this);
        hinweise_[i]->setObjectName(hinweisnamen[i]);
        hinweise_[i]->hide();
        spalte->addWidget(hinweise_[i]);
    }

    setzeSchriften();
    setze(stand, bezug, veraenderung, offenerStichtag);
}

Kennzahlenzeile::Kachel Kennzahlenzeile::baueKachel(const QString& name, QWidget* eltern) {
    Kachel kachel{};
    kachel.rahmen = new QWidget(eltern);
    kachel.rahmen->setObjectName(QStringLiteral("kachel") + name);
    auto* spalte = new QVBoxLayout(kachel.rahmen);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(2);
    kachel.titel = neuesEtikett(QStringLiteral("titel") + name, kachel.rahmen);
    Vordergrund::setze(kachel.titel, Vordergrund::sekundaer());
    spalte->addWidget(kachel.titel);
    auto* zeile = new QHBoxLayout();
    zeile->setSpacing(6);
    kachel.betrag = neuerBetrag(QStringLiteral("betrag") + name, kachel.rahmen);
    kachel.prozent = neuerBetrag(QStringLiteral("prozent") + name, kachel.rahmen);
    kachel.prozent->hide();
    zeile->addWidget(kachel.betrag, 0, Qt::AlignLeft | Qt::AlignBottom);
    zeile->addWidget(kachel.prozent, 0, Qt::AlignLeft | Qt::AlignBottom);
    zeile->addStretch(1);
    spalte->addLayout(zeile);
    return kachel;
}

QWidget* Kennzahlenzeile::baueVeraenderung() {
    veraenderung_ = new QWidget(this);
    veraenderung_->setObjectName(QStringLiteral("veraenderung"));
    veraenderungLayout_ = new QBoxLayout(QBoxLayout::LeftToRight, veraenderung_);
    veraenderungLayout_->setContentsMargins(0, 0, 0, 0);
    veraenderungText_ = neuesEtikett(QStringLiteral("veraenderungText"), veraenderung_);
    // The row may be as narrow as the stacked form needs; side by side the label never asks
    // for more, since the line stacks as soon as it no longer fits.
    veraenderungText_->setMinimumWidth(1);

    veraenderungZahlen_ = new QWidget(veraenderung_);
    veraenderungZahlen_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* zahlen = new QHBoxLayout(veraenderungZahlen_);
    zahlen->setContentsMargins(0, 0, 0, 0);
    zahlen->setSpacing(6);
    veraenderungBetrag_ = neuerBetrag(QStringLiteral("veraenderungBetrag"), veraenderungZahlen_);
    veraenderungProzent_ = neuerBetrag(QStringLiteral("veraenderungProzent"), veraenderungZahlen_);
    zahlen->addWidget(veraenderungBetrag_);
    zahlen->addWidget(veraenderungProzent_);

    veraenderungLayout_->addWidget(veraenderungText_);
    veraenderungLayout_->addWidget(veraenderungZahlen_, 0, Qt::AlignLeft);
    veraenderungLayout_->addStretch(1);
    veraenderung_->hide();
    return veraenderung_;
}

void Kennzahlenzeile::setze(const Portfoliostand& stand, std::optional<Bezug> bezug,
                            std::optional<Wertveraenderung> veraenderung,
                            std::optional<Zeitpunkt> offenerStichtag) {
    // The locale and the zone as they are now: nothing of an earlier call is kept.
    zeige(
        Kennzahlentexte().anzeige(Kennzahlentexte::Werte::aus(stand), bezug, veraenderung, offenerStichtag));
}

void Kennzahlenzeile::zeige(const Kennzahlentexte::Anzeige& anzeige) {
    ueberschrift_->setText(anzeige.ueberschrift.value_or(QString()));
    ueberschrift_->setVisible(anzeige.ueberschrift.has_value());

    for (std::size_t i = 0; i < kacheln_.size(); ++i) {
        const bool da = i < anzeige.kacheln.size();
        if (da) {
            zeigeKachel(kacheln_[i], anzeige.kacheln[i]);
        }
        kacheln_[i].rahmen->setVisible(da);
    }

    if (anzeige.veraenderung) {
        const auto& zeile = *anzeige.veraenderung;
        veraenderungText_->setText(zeile.beschriftung);
        veraenderungBetrag_->setText(zeile.betrag);
        veraenderungProzent_->setText(zeile.prozent.value_or(QString()));
        veraenderungProzent_->setVisible(zeile.prozent.has_value());
        Vordergrund::setze(veraenderungZahlen_, zeile.stil);
    }
    veraenderung_->setVisible(anzeige.veraenderung.has_value());
    ordneVeraenderung();

    for (std::size_t i = 0; i < hinweise_.size(); ++i) {
        const auto treffer = std::find_if(anzeige.hinweise.begin(), anzeige.hinweise.end(),
                                          [&](const auto& h) { return h.art == hinweisarten[i]; });
        if (treffer != anzeige.hinweise.end()) {
            hinweise_[i]->setzeText(treffer->text);
            Vordergrund::setze(hinweise_[i], treffer->stil);
        }
        hinweise_[i]->setVisible(treffer != anzeige.hinweise.end());
    }
}

void Kennzahlenzeile::zeigeKachel(Kachel& kachel, const Kennzahlentexte::Kachel& inhalt) {
    kachel.titel->setText(inhalt.titel);
    kachel.betrag->setText(inhalt.betrag);
    kachel.prozent->setText(inhalt.prozent.value_or(QString()));
    kachel.prozent->setVisible(inhalt.prozent.has_value());
    Vordergrund::setze(kachel.betrag, inhalt.stil);
    Vordergrund::setze(kachel.prozent, inhalt.stil);
    if (kachel.bekannt != inhalt.bekannt) {
        kachel.bekannt = inhalt.bekannt;
        setzeSchriften();
    }
}

void Kennzahlenzeile::setzeSchriften() {
    const QFont grund = font();
    ueberschrift_->setFont(Schriftstil::hervorhebung(grund));
    for (Kachel& kachel : kacheln_) {
        kachel.titel->setFont(Schriftstil::beschriftung(grund));
        // An unknown amount is a word, not a figure: smaller and without tabular digits.
        kachel.betrag->setFont(kachel.bekannt ? tabellarisch(titel3(grund))
                                              : Schriftstil::hervorhebung(grund));
        kachel.prozent->setFont(tabellarisch(Schriftstil::hervorhebung(grund)));
        // Bottom-aligned beside the larger amount; lifted by the difference of the descents so
        // that both stand on one baseline.
        const int unterschied =
            kachel.betrag->fontMetrics().descent() - kachel.prozent->fontMetrics().descent();
        kachel.prozent->setContentsMargins(0, 0, 0, std::max(0, unterschied));
    }
    veraenderungText_->setFont(Schriftstil::hervorhebung(grund));
    veraenderungBetrag_->setFont(tabellarisch(Schriftstil::hervorhebung(grund)));
    veraenderungProzent_->setFont(tabellarisch(Schriftstil::hervorhebung(grund)));
    ordneVeraenderung();
}

void Kennzahlenzeile::ordneVeraenderung() {
    const int verfuegbar = width() - layout()->contentsMargins().left() - layout()->contentsMargins().right();
    const int noetig = veraenderungText_->fontMetrics().horizontalAdvance(veraenderungText_->text()) + 10 +
                       veraenderungZahlen_->sizeHint().width();
    const bool nebeneinander = noetig <= verfuegbar;
    const auto richtung = nebeneinander ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (veraenderungLayout_->direction() == richtung && veraenderungText_->wordWrap() != nebeneinander) {
        return;
    }
    veraenderungLayout_->setDirection(richtung);
    veraenderungLayout_->setSpacing(nebeneinander ? 10 : 2);
    // Side by side the label keeps one line; stacked it may wrap.
    veraenderungText_->setWordWrap(!nebeneinander);
}

void Kennzahlenzeile::changeEvent(QEvent* ereignis) {
    QWidget::changeEvent(ereignis);
    if (ereignis->type() == QEvent::FontChange) {
        setzeSchriften();
    }
}

void Kennzahlenzeile::resizeEvent(QResizeEvent* ereignis) {
    QWidget::resizeEvent(ereignis);
    ordneVeraenderung();
}

} // namespace qb
