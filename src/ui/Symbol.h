#pragma once

#include <QString>
#include <QWidget>

namespace qb {

// One of the application's symbols (a small monochrome SVG named like the symbol it stands
// for, e.g. "exclamationmark.triangle"), drawn in the widget's current text colour, so that it
// takes the foreground style of its row and follows light and dark.
class Symbol : public QWidget {
    Q_OBJECT
public:
    explicit Symbol(QString name, QWidget* eltern = nullptr);

    const QString& name() const { return name_; }
    QSize sizeHint() const override;

    // The symbol as a pixmap in a colour, for places that take an icon (buttons, labels).
    static QPixmap bild(const QString& name, const QColor& farbe, int seite, qreal pixelverhaeltnis);
    // Whether the application ships a symbol of that name.
    static bool gibtEs(const QString& name);

protected:
    void paintEvent(QPaintEvent* ereignis) override;

private:
    QString name_;
};

} // namespace qb
