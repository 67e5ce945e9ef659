#pragma once

#include <optional>

#include <QString>
#include <QWidget>

#include "ui/Zahlenleser.h"
#include "foundation/Dezimal.h"

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QSpacerItem;

namespace qb {

// The one number field of the application. The parent owns the value: it hands in changes with
// setzeWert() and takes the user's values from wertGeaendert(). The field keeps its own text,
// reads it by its kind of number, shows a German message under it when the text cannot be
// taken and how an ambiguous price was read. The title is for the parent's form row and names
// the field for assistive technology; the unit after the field is its description. The unit
// is drawn beside the field, not a widget of its own, so that assistive technology does not
// read it out once more as a label of its own.
class Zahleneingabe : public QWidget {
    Q_OBJECT
public:
    using Art = Zahlenleser::Art;

    Zahleneingabe(const QString& titel, Art art, int breite, std::optional<QString> einheit = std::nullopt,
                  QWidget* eltern = nullptr);

    const QString& titel() const { return titel_; }
    // A new row label or unit: the field is named and described anew, the typed text stays.
    // `name`, where given, names the field for assistive technology in place of the label.
    void setzeTitel(const QString& titel, const std::optional<QString>& name = std::nullopt);
    void setzeEinheit(const QString& einheit);
    // A change of the bound value from outside: the text is written anew from it.
    void setzeWert(const Dezimal& wert);
    const Dezimal& wert() const { return wert_; }
    bool istUnlesbar() const { return leser_.istUnlesbar(); }
    bool hatText() const { return leser_.hatText(); }
    QLineEdit* feld() const { return feld_; }
    // The unit shown after the field; none when the field shows no unit.
    const std::optional<QString>& einheit() const { return einheit_; }
    // Where the unit is drawn, in the field's coordinates; empty without a unit.
    QRect einheitsfeld() const;
    // The width the unit's text needs, 0 without a unit.
    int einheitsbreite() const;
    // The unit takes at least this width, so that the field ends in line with a neighbour whose
    // unit is longer.
    void setzeEinheitsbreite(int breite);

signals:
    // The user's typing wrote a new value.
    void wertGeaendert(const qb::Dezimal& wert);
    // The user changed the text (typing, pasting, undo, or assistive technology), after the
    // field has read it.
    void getipptGeaendert();
    void unlesbarGeaendert(bool unlesbar);
    void mitTextGeaendert(bool mitText);

protected:
    void changeEvent(QEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;

private:
    void passeEinheitsbreiteAn();
    void getippt(const QString& text);
    // Shows the reader's state and reports what changed since `vorher`.
    void zeige(bool warUnlesbar, bool hatteText);

    QString titel_;
    Zahlenleser leser_;
    // Set while the text is written from the bound value: that change is no input.
    bool schreibt_ = false;
    Dezimal wert_;
    QLineEdit* feld_;
    std::optional<QString> einheit_;
    // The room of the unit in the field's row.
    QHBoxLayout* reihe_;
    QSpacerItem* einheitsplatz_ = nullptr;
    int einheitsbreite_ = 0;
    QLabel* hinweis_;
    QLabel* gelesenAls_;
};

} // namespace qb
