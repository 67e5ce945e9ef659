#include "ui/Kachelraster.h"

#include <algorithm>

#include <QWidget>

namespace qb {

Kachelraster::Kachelraster(int mindestbreite, int spaltenabstand, int zeilenabstand, QWidget* eltern)
    : QLayout(eltern), mindestbreite_(mindestbreite), spaltenabstand_(spaltenabstand),
      zeilenabstand_(zeilenabstand) {
    setContentsMargins(0, 0, 0, 0);
}

Kachelraster::~Kachelraster() {
    while (QLayoutItem* element = takeAt(0)) {
        delete element;
    }
}

void Kachelraster::addItem(QLayoutItem* element) {
    elemente_.append(element);
}

int Kachelraster::count() const {
    return static_cast<int>(elemente_.size());
}

QLayoutItem* Kachelraster::itemAt(int index) const {
    return index >= 0 && index < elemente_.size() ? elemente_.at(index) : nullptr;
}

QLayoutItem* Kachelraster::takeAt(int index) {
    return index >= 0 && index < elemente_.size() ? elemente_.takeAt(index) : nullptr;
}

QList<QLayoutItem*> Kachelraster::sichtbare() const {
    QList<QLayoutItem*> ergebnis;
    for (QLayoutItem* element : elemente_) {
        if (!element->isEmpty()) {
            ergebnis.append(element);
        }
    }
    return ergebnis;
}

int Kachelraster::spaltenbreite() const {
    int breite = mindestbreite_;
    for (QLayoutItem* element : sichtbare()) {
        breite = std::max(breite, element->sizeHint().width());
    }
    return breite;
}

int Kachelraster::spalten(int breite) const {
    return std::max(1, (breite + spaltenabstand_) / (spaltenbreite() + spaltenabstand_));
}

int Kachelraster::ordne(const QRect& rechteck, bool setzen) const {
    const QList<QLayoutItem*> elemente = sichtbare();
    if (elemente.isEmpty()) {
        return 0;
    }
    const int n = spalten(rechteck.width());
    // The columns share the width, but never fall below the widest item.
    const int spalte = std::max(spaltenbreite(), (rechteck.width() - (n - 1) * spaltenabstand_) / n);
    int y = rechteck.y();
    for (int anfang = 0; anfang < elemente.size(); anfang += n) {
        const int ende = std::min<int>(anfang + n, static_cast<int>(elemente.size()));
        int zeilenhoehe = 0;
        for (int i = anfang; i < ende; ++i) {
            zeilenhoehe = std::max(zeilenhoehe, elemente[i]->sizeHint().height());
        }
        if (setzen) {
            for (int i = anfang; i < ende; ++i) {
                const QSize groesse = elemente[i]->sizeHint();
                const int x = rechteck.x() + (i - anfang) * (spalte + spaltenabstand_);
                elemente[i]->setGeometry(QRect(x, y + (zeilenhoehe - groesse.height()) / 2,
                                               std::min(groesse.width(), spalte), groesse.height()));
            }
        }
        y += zeilenhoehe + zeilenabstand_;
    }
    return y - zeilenabstand_ - rechteck.y();
}

int Kachelraster::heightForWidth(int breite) const {
    const QMargins raender = contentsMargins();
    return ordne(QRect(0, 0, breite - raender.left() - raender.right(), 0), false) + raender.top() +
           raender.bottom();
}

QSize Kachelraster::sizeHint() const {
    // Ideally all side by side.
    const int n = static_cast<int>(sichtbare().size());
    const QMargins raender = contentsMargins();
    const int breite = n == 0 ? 0 : n * spaltenbreite() + (n - 1) * spaltenabstand_;
    return QSize(breite + raender.left() + raender.right(),
                 heightForWidth(breite + raender.left() + raender.right()));
}

QSize Kachelraster::minimumSize() const {
    const QMargins raender = contentsMargins();
    const int breite = sichtbare().isEmpty() ? 0 : spaltenbreite();
    return QSize(breite + raender.left() + raender.right(),
                 heightForWidth(breite + raender.left() + raender.right()));
}

void Kachelraster::setGeometry(const QRect& rechteck) {
    QLayout::setGeometry(rechteck);
    ordne(rechteck.marginsRemoved(contentsMargins()), true);
}

} // namespace qb
