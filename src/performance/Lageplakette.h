#pragma once

#include <QWidget>

#include "performance/Lage.h"

namespace qb {

// The badge beside the stand line: the Lage's symbol and text in its colour, on a capsule
// tinted in that colour. One element for a screen reader, named by its text.
class Lageplakette : public QWidget {
    Q_OBJECT
public:
    explicit Lageplakette(Lage lage, QWidget* eltern = nullptr);

    void setzeLage(Lage lage);
    Lage lage() const { return lage_; }
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    QFont schrift() const;
    QColor farbe() const;

    Lage lage_;
};

} // namespace qb
