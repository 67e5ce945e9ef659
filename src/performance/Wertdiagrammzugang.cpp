#include "performance/Wertdiagrammzugang.h"

#include <QCoreApplication>
#include <QPointer>

#include "ui/Textbruecke.h"
#include "performance/Wertdiagramm.h"

namespace qb {

namespace {

// One point of the chart. It holds the chart weakly and its place in the curve, and reports
// itself invalid once the chart is gone or shows fewer points.
class Punktzugang : public QAccessibleInterface {
public:
    Punktzugang(Wertdiagramm* diagramm, int index) : diagramm_(diagramm), index_(index) {}

    bool isValid() const override {
        return diagramm_ && index_ < static_cast<int>(diagramm_->daten().punkte().size());
    }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(diagramm_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::StaticText; }

    QAccessible::State state() const override {
        QAccessible::State zustand;
        zustand.invalid = !isValid();
        zustand.readOnly = true;
        if (!isValid()) {
            return zustand;
        }
        // The keys select the points one by one, and the selected one has the chart's focus.
        zustand.selectable = true;
        zustand.focusable = true;
        zustand.selected = diagramm_->ausgewaehlterIndex() == static_cast<std::size_t>(index_);
        zustand.focused = zustand.selected && diagramm_->hasFocus();
        return zustand;
    }

    QString text(QAccessible::Text art) const override {
        if (!isValid()) {
            return {};
        }
        const Wertentwicklung& daten = diagramm_->daten();
        const Kurvenpunkt& punkt = daten.punkte()[static_cast<std::size_t>(index_)];
        switch (art) {
        case QAccessible::Name:
            return qtText(daten.datumText(punkt.datum));
        // Qt hands a text value to the desktop's bridge only as a description.
        case QAccessible::Value:
        case QAccessible::Description:
            return qtText(daten.punkttext(punkt));
        default:
            return {};
        }
    }

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const Kurvenpunkt& punkt = diagramm_->daten().punkte()[static_cast<std::size_t>(index_)];
        const QPointF stelle = diagramm_->abbildung().stelle(punkt.datum, punkt.wert.alsDouble());
        const QPoint mitte = diagramm_->mapToGlobal(stelle.toPoint());
        return {mitte.x() - 6, mitte.y() - 6, 12, 12};
    }

private:
    QPointer<Wertdiagramm> diagramm_;
    int index_;
};

QAccessibleInterface* fabrik(const QString& klasse, QObject* objekt) {
    if (klasse == QLatin1String(Wertdiagramm::staticMetaObject.className())) {
        if (auto* diagramm = qobject_cast<Wertdiagramm*>(objekt)) {
            return new Wertdiagrammzugang(diagramm);
        }
    }
    return nullptr;
}

} // namespace

Wertdiagrammzugang::Wertdiagrammzugang(Wertdiagramm* diagramm) : QAccessibleWidget(diagramm, QAccessible::Chart) {}

Wertdiagrammzugang::~Wertdiagrammzugang() {
    for (const QAccessible::Id id : kinder_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void Wertdiagrammzugang::installiere() {
    static const bool installiert = [] {
        QAccessible::installFactory(fabrik);
        return true;
    }();
    (void)installiert;
}

void Wertdiagrammzugang::meldeNeueDaten(Wertdiagramm* diagramm) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent umbau(diagramm, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&umbau);
    QAccessibleEvent beschreibung(diagramm, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&beschreibung);
}

void Wertdiagrammzugang::meldeAuswahl(Wertdiagramm* diagramm, int index) {
    if (!QAccessible::isActive() || !diagramm->hasFocus()) {
        return;
    }
    QAccessibleInterface* punkt = QAccessible::queryAccessibleInterface(diagramm)->child(index);
    if (punkt == nullptr) {
        return;
    }
    QAccessibleEvent fokus(punkt, QAccessible::Focus);
    QAccessible::updateAccessibility(&fokus);
}

Wertdiagramm* Wertdiagrammzugang::diagramm() const {
    return static_cast<Wertdiagramm*>(widget());
}

QString Wertdiagrammzugang::text(QAccessible::Text art) const {
    switch (art) {
    case QAccessible::Name:
        return QCoreApplication::translate("qb::Wertdiagramm", "Wertentwicklung des Portfolios");
    // The summary is the chart's value; Qt passes a text value to the desktop's bridge only as
    // the description, so it is both.
    case QAccessible::Value:
    case QAccessible::Description:
        return qtText(diagramm()->daten().barrierefreieBeschreibung());
    default:
        return QAccessibleWidget::text(art);
    }
}

int Wertdiagrammzugang::childCount() const {
    return static_cast<int>(diagramm()->daten().punkte().size());
}

QAccessibleInterface* Wertdiagrammzugang::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    while (kinder_.size() <= index) {
        auto* kind = new Punktzugang(diagramm(), static_cast<int>(kinder_.size()));
        kinder_.append(QAccessible::registerAccessibleInterface(kind));
    }
    return QAccessible::accessibleInterface(kinder_.at(index));
}

int Wertdiagrammzugang::indexOfChild(const QAccessibleInterface* kind) const {
    for (qsizetype i = 0; i < kinder_.size() && i < childCount(); ++i) {
        if (QAccessible::accessibleInterface(kinder_.at(i)) == kind) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QAccessibleInterface* Wertdiagrammzugang::focusChild() const {
    const std::optional<std::size_t> gewaehlt = diagramm()->ausgewaehlterIndex();
    if (!diagramm()->hasFocus() || !gewaehlt) {
        return nullptr;
    }
    return child(static_cast<int>(*gewaehlt));
}

QAccessibleInterface* Wertdiagrammzugang::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface* kind = child(i);
        if (kind->rect().contains(x, y)) {
            return kind;
        }
    }
    return nullptr;
}

} // namespace qb
