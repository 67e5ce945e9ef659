#include "ui/Symbol.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace qb {

namespace {

QString pfad(const QString& name) {
    return QStringLiteral(":/symbole/") + name + QStringLiteral(".svg");
}

} // namespace

Symbol::Symbol(QString name, QWidget* eltern) : QWidget(eltern), name_(std::move(name)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Symbol::sizeHint() const {
    const int seite = fontMetrics().height();
    return {seite, seite};
}

bool Symbol::gibtEs(const QString& name) {
    return QFile::exists(pfad(name));
}

QPixmap Symbol::bild(const QString& name, const QColor& farbe, int seite, qreal pixelverhaeltnis) {
    const int pixel = qRound(seite * pixelverhaeltnis);
    QPixmap bild(pixel, pixel);
    bild.fill(Qt::transparent);
    QSvgRenderer zeichner(pfad(name));
    QPainter maler(&bild);
    maler.setRenderHint(QPainter::Antialiasing);
    zeichner.render(&maler, QRectF(0, 0, pixel, pixel));
    // The SVG gives the shape; the colour comes from whoever shows it.
    maler.setCompositionMode(QPainter::CompositionMode_SourceIn);
    maler.fillRect(bild.rect(), farbe);
    maler.end();
    bild.setDevicePixelRatio(pixelverhaeltnis);
    return bild;
}

void Symbol::paintEvent(QPaintEvent*) {
    const int seite = std::min(width(), height());
    QPainter maler(this);
    const QPixmap pixmap = bild(name_, palette().color(QPalette::WindowText), seite, devicePixelRatioF());
    maler.drawPixmap((width() - seite) / 2, (height() - seite) / 2, pixmap);
}

} // namespace qb
