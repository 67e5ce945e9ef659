#include "performance/Segmentwahl.h"

#include <QButtonGroup>
#include <QHBoxLayout>

#include "ui/Segmentknopf.h"

namespace qb {

Segmentwahl::Segmentwahl(QWidget* eltern) : QWidget(eltern), gruppe_(new QButtonGroup(this)) {
    setMaximumWidth(breite);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* reihe = new QHBoxLayout(this);
    reihe->setContentsMargins(0, 0, 0, 0);
    reihe->setSpacing(0);
    gruppe_->setExclusive(true);
    connect(gruppe_, &QButtonGroup::idToggled, this, &Segmentwahl::passeTabfolgeAn);
}

QAbstractButton* Segmentwahl::fuegeHinzu(const QString& text, const QString& name, int id) {
    auto* segment = new Segmentknopf(text, this);
    segment->setObjectName(name);
    segment->setAutoDefault(false);
    segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout()->addWidget(segment);
    gruppe_->addButton(segment, id);
    passeTabfolgeAn();
    return segment;
}

void Segmentwahl::passeTabfolgeAn() {
    // Tab stops at the chosen segment alone, as on radio buttons, so that the arrows, which
    // choose only from a chosen segment, choose from where Tab lands. The others keep the focus
    // by click and by arrow; with none chosen, each is a stop.
    const QAbstractButton* gewaehlt = gruppe_->checkedButton();
    for (QAbstractButton* segment : gruppe_->buttons()) {
        segment->setFocusPolicy(gewaehlt == nullptr || segment == gewaehlt ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

QSize Segmentwahl::sizeHint() const {
    return {breite, QWidget::sizeHint().height()};
}

QSize Segmentwahl::minimumSizeHint() const {
    // The full width as the least one too: a row that runs short takes the room from items that
    // can do with less (the loading line coming and going) and leaves the picker as it is.
    return sizeHint();
}

} // namespace qb
