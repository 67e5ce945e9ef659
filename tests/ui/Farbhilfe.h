#pragma once

#include <cstdlib>

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyle>

namespace qbtest {

// A dark palette as a desktop's dark colour scheme hands it to the program.
inline QPalette dunklePalette() {
    QPalette p = QApplication::style()->standardPalette();
    const QColor text(236, 236, 236);
    p.setColor(QPalette::Window, QColor(45, 45, 48));
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(58, 58, 62));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Light, QColor(80, 80, 84));
    p.setColor(QPalette::Midlight, QColor(68, 68, 72));
    p.setColor(QPalette::Mid, QColor(40, 40, 42));
    p.setColor(QPalette::Dark, QColor(24, 24, 26));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

// The application's palette for the scope, as a desktop's colour scheme sets it; the one before
// afterwards.
class Anwendungspalette {
public:
    explicit Anwendungspalette(const QPalette& palette) : vorher_(QApplication::palette()) {
        QApplication::setPalette(palette);
    }
    ~Anwendungspalette() { QApplication::setPalette(vorher_); }
    Anwendungspalette(const Anwendungspalette&) = delete;
    Anwendungspalette& operator=(const Anwendungspalette&) = delete;

private:
    QPalette vorher_;
};

// How far apart two colours are: the sum of the channel differences.
inline int farbabstand(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

} // namespace qbtest
