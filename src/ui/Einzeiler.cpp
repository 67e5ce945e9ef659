#include "ui/Einzeiler.h"

#include <cmath>

#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>

namespace qb {

namespace {

const QString auslassung = QStringLiteral("\u2026");

bool istZeilenumbruch(QChar zeichen) {
    const char16_t c = zeichen.unicode();
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

} // namespace

Einzeiler::Einzeiler(QWidget* eltern) : QLabel(eltern) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void Einzeiler::setzeText(const QString& text) {
    if (text == volltext_ && !QLabel::text().isEmpty()) {
        return;
    }
    volltext_ = text;
    updateGeometry();
    kuerze();
}

QString Einzeiler::ersteZeile() const {
    for (qsizetype i = 0; i < volltext_.size(); ++i) {
        if (istZeilenumbruch(volltext_.at(i))) {
            return volltext_.left(i) + auslassung;
        }
    }
    return volltext_;
}

QSize Einzeiler::sizeHint() const {
    const QFontMetricsF masse(font());
    const QMargins raender = contentsMargins();
    // Rounded up and a pixel more: the eliding measures with fractions, and a text that needs
    // 137.3 pixels is cut off in 137.
    const int breite = static_cast<int>(std::ceil(masse.horizontalAdvance(ersteZeile()))) + 1;
    return {breite + raender.left() + raender.right() + 2 * margin(),
            static_cast<int>(std::ceil(masse.height())) + raender.top() + raender.bottom() + 2 * margin()};
}

QSize Einzeiler::minimumSizeHint() const {
    const QFontMetrics masse(font());
    return {masse.horizontalAdvance(auslassung) * 3, sizeHint().height()};
}

void Einzeiler::resizeEvent(QResizeEvent* ereignis) {
    QLabel::resizeEvent(ereignis);
    kuerze();
}

void Einzeiler::changeEvent(QEvent* ereignis) {
    QLabel::changeEvent(ereignis);
    if (ereignis->type() == QEvent::FontChange) {
        updateGeometry();
        kuerze();
    }
}

void Einzeiler::kuerze() {
    const QString zeile = ersteZeile();
    QLabel::setText(QFontMetrics(font()).elidedText(zeile, Qt::ElideRight, contentsRect().width()));
}

} // namespace qb
