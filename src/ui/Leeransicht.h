#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace qb {

class Symbol;

// What a view shows in place of content it cannot show yet: a large symbol, a title, an
// explanation and, where the user can do something about it, one button. The texts are plain.
// setze() changes everything in the same widgets, so a view can switch between its reasons.
class Leeransicht : public QWidget {
    Q_OBJECT
public:
    Leeransicht(const QString& symbol, const QString& titel, const QString& text, QWidget* eltern = nullptr);

    void setze(const QString& symbol, const QString& titel, const QString& text);
    // The button below the text, hidden until it is given a text; an empty text hides it again.
    QPushButton* aktion() const { return aktion_; }
    void setzeAktion(const QString& text, const QString& barrierefreierName = {});

private:
    Symbol* symbol_;
    QLabel* titel_;
    QLabel* text_;
    QPushButton* aktion_;
};

} // namespace qb
