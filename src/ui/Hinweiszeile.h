#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace qb {

class Symbol;

// A one-line hint: a symbol and a text. It has no colour or font of its own; the caller sets
// both on it (Vordergrund::setze, setFont) and symbol and text take them alike. The text is
// plain text, whatever it holds.
class Hinweiszeile : public QWidget {
    Q_OBJECT
public:
    Hinweiszeile(const QString& text, const QString& symbol, QWidget* eltern = nullptr);

    void setzeText(const QString& text);
    QString text() const;

private:
    Symbol* symbol_;
    QLabel* text_;
};

} // namespace qb
