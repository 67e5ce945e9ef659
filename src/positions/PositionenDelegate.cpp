#include "positions/PositionenDelegate.h"

#include <algorithm>

#include <QApplication>
#include <QPainter>

#include "ui/Schriftstil.h"
#include "ui/Symbol.h"
#include "ui/Vordergrund.h"
#include "positions/PositionenModell.h"

namespace qb {

namespace {

// Half the gap between two columns, the space above and below the lines, between the two lines
// and between the parts of the caption line.
constexpr int seitenabstand = 8;
constexpr int hoehenabstand = 6;
constexpr int zeilenabstand = 2;
constexpr int teilabstand = 8;
constexpr int symbolabstand = 4;
constexpr int klassenbreite = 110;

QFont klassenschrift(const QFont& grund) {
    QFont schrift = grund;
    schrift.setWeight(QFont::Medium);
    return schrift;
}

// Text and symbols of a selected row take the highlight's text colour, or they would vanish.
QColor vordergrund(const QStyleOptionViewItem& option, const Vordergrund& stil) {
    if (option.state & QStyle::State_Selected) {
        return option.palette.color(QPalette::Active, QPalette::HighlightedText);
    }
    return stil.fuer(option.palette);
}

void schreibe(QPainter* maler, const QFont& schrift, const QColor& farbe, const QRect& flaeche, Qt::Alignment ausrichtung,
              const QString& text) {
    maler->setFont(schrift);
    maler->setPen(farbe);
    const QString gekuerzt = QFontMetrics(schrift).elidedText(text, Qt::ElideRight, flaeche.width());
    maler->drawText(flaeche, static_cast<int>(ausrichtung | Qt::AlignTop) | Qt::TextSingleLine, gekuerzt);
}

const Positionszeile* zeileVon(const QModelIndex& index) {
    const auto* modell = qobject_cast<const PositionenModell*>(index.model());
    return modell != nullptr ? &modell->zeile(index.row()) : nullptr;
}

} // namespace

void PositionenDelegate::paint(QPainter* maler, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem hintergrund = option;
    initStyleOption(&hintergrund, index);
    hintergrund.text.clear();
    hintergrund.icon = QIcon();
    // Background, selection and focus as the style draws them for any item view.
    const QWidget* widget = option.widget;
    QStyle* stil = widget != nullptr ? widget->style() : QApplication::style();
    stil->drawControl(QStyle::CE_ItemViewItem, &hintergrund, maler, widget);

    const Positionszeile* zeile = zeileVon(index);
    if (zeile == nullptr) {
        return;
    }
    const QRect flaeche = option.rect.adjusted(seitenabstand, hoehenabstand, -seitenabstand, -hoehenabstand);
    maler->save();
    // The separator under every row but the last runs from the row's leading edge to its end.
    if (index.row() + 1 < index.model()->rowCount()) {
        QColor linie = option.palette.color(QPalette::Text);
        linie.setAlphaF(0.15F);
        maler->setPen(linie);
        maler->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }
    switch (index.column()) {
    case PositionenModell::klasseSpalte:
        maleKlasse(maler, option, *zeile, flaeche);
        break;
    case PositionenModell::positionSpalte:
        malePosition(maler, option, *zeile, flaeche);
        break;
    default:
        maleBestand(maler, option, *zeile, flaeche);
        break;
    }
    maler->restore();
}

void PositionenDelegate::maleKlasse(QPainter* maler, const QStyleOptionViewItem& option, const Positionszeile& zeile,
                                    const QRect& flaeche) const {
    schreibe(maler, klassenschrift(option.font), vordergrund(option, Vordergrund::primaer()), flaeche, Qt::AlignLeft,
             zeile.bezeichnung);
}

void PositionenDelegate::malePosition(QPainter* maler, const QStyleOptionViewItem& option,
                                      const Positionszeile& zeile, const QRect& flaeche) const {
    if (zeile.offen) {
        schreibe(maler, option.font, vordergrund(option, Vordergrund::sekundaer()), flaeche, Qt::AlignLeft, zeile.titel);
        return;
    }
    schreibe(maler, option.font, vordergrund(option, Vordergrund::primaer()), flaeche, Qt::AlignLeft, zeile.titel);

    const QFont klein = Schriftstil::beschriftung(option.font);
    const QFontMetrics masse(klein);
    const QColor farbe = vordergrund(option, Vordergrund::sekundaer());
    QRect platz = flaeche;
    platz.setTop(flaeche.top() + QFontMetrics(option.font).height() + zeilenabstand);
    platz.setHeight(masse.height());
    for (const Positionszeile::Beschriftung& teil : zeile.beschriftung) {
        if (platz.width() <= 0) {
            break;
        }
        if (!teil.symbol.isEmpty()) {
            const int seite = masse.height();
            const qreal verhaeltnis = maler->device() != nullptr ? maler->device()->devicePixelRatioF() : 1.0;
            maler->drawPixmap(QRect(platz.left(), platz.top(), seite, seite),
                              Symbol::bild(teil.symbol, farbe, seite, verhaeltnis));
            platz.setLeft(platz.left() + seite + symbolabstand);
        }
        schreibe(maler, klein, farbe, platz, Qt::AlignLeft, teil.text);
        platz.setLeft(platz.left() + masse.horizontalAdvance(teil.text) + teilabstand);
    }
}

void PositionenDelegate::maleBestand(QPainter* maler, const QStyleOptionViewItem& option, const Positionszeile& zeile,
                                     const QRect& flaeche) const {
    if (zeile.offen) {
        const int seite = QFontMetrics(option.font).height();
        const qreal verhaeltnis = maler->device() != nullptr ? maler->device()->devicePixelRatioF() : 1.0;
        maler->drawPixmap(QRect(flaeche.right() - seite + 1, flaeche.top(), seite, seite),
                          Symbol::bild(QStringLiteral("plus.circle"), vordergrund(option, Vordergrund::sekundaer()),
                                       seite, verhaeltnis));
        return;
    }
    schreibe(maler, option.font, vordergrund(option, Vordergrund::primaer()), flaeche, Qt::AlignRight, zeile.menge);
    QRect unten = flaeche;
    unten.setTop(flaeche.top() + QFontMetrics(option.font).height() + zeilenabstand);
    schreibe(maler, Schriftstil::beschriftung(option.font), vordergrund(option, Vordergrund::sekundaer()), unten,
             Qt::AlignRight, zeile.wert);
}

QSize PositionenDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QFontMetrics gross(option.font);
    const QFontMetrics klein(Schriftstil::beschriftung(option.font));
    const int hoehe = hoehenabstand + gross.height() + zeilenabstand + klein.height() + hoehenabstand;
    const Positionszeile* zeile = zeileVon(index);
    if (zeile == nullptr) {
        return {0, hoehe};
    }
    int breite = 0;
    switch (index.column()) {
    case PositionenModell::klasseSpalte:
        breite = std::max(klassenbreite, QFontMetrics(klassenschrift(option.font)).horizontalAdvance(zeile->bezeichnung));
        break;
    case PositionenModell::positionSpalte: {
        int unten = 0;
        for (const auto& teil : zeile->beschriftung) {
            unten += klein.horizontalAdvance(teil.text) + teilabstand + (teil.symbol.isEmpty() ? 0 : klein.height() + symbolabstand);
        }
        breite = std::max(gross.horizontalAdvance(zeile->titel), unten);
        break;
    }
    default:
        breite = zeile->offen ? gross.height()
                              : std::max(gross.horizontalAdvance(zeile->menge), klein.horizontalAdvance(zeile->wert));
        break;
    }
    // One pixel to spare: eliding measures fractional advances and cuts a text that fits exactly.
    return {breite + 2 * seitenabstand + 1, hoehe};
}

} // namespace qb
