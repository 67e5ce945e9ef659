#pragma once

#include <QFormLayout>

namespace qb {

// A form layout whose rows always get the heights of the width they are laid out at. Qt 6.4's
// form, once asked for its height at the width of its own size hint (as every parent working out
// that hint asks), keeps the row heights of that width and lays its rows out with them while it
// takes the total height of the width it really has from its cache: a wrapping row then gets the
// height of a wider row and runs into the next. Seen with Qt 6.4.2, the Qt of Debian 12;
// FormularrasterTest runs the same steps on a plain QFormLayout and fails once a Qt lays that
// out right, and then this class can go.
class Formularraster : public QFormLayout {
public:
    using QFormLayout::QFormLayout;

    void setGeometry(const QRect& rechteck) override;
};

} // namespace qb
