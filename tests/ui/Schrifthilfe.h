#pragma once

#include <QApplication>

namespace qbtest {

// The application's font at `punkte` points while it lives, as a larger system font sets it.
struct Anwendungsschrift {
    QFont vorher = QApplication::font();
    explicit Anwendungsschrift(qreal punkte) {
        QFont schrift = vorher;
        schrift.setPointSizeF(punkte);
        QApplication::setFont(schrift);
    }
    ~Anwendungsschrift() { QApplication::setFont(vorher); }
};

} // namespace qbtest
