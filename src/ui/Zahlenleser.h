#pragma once

#include <optional>

#include <QString>

#include "foundation/Dezimal.h"

namespace qb {

// What the number field does with its text, without the widget: how a value is written, how a
// typed text is read by the kind of number, the message under the field, and who is master of
// the value. While the user types, the text is: every keystroke gives the value to bind. When
// the bound value changes elsewhere, the value is: the text is rewritten from it and read for
// its message only, so that filling the field never changes the value it shows.
class Zahlenleser {
public:
    enum class Art {
        kurs,     // a price or rate: any number of decimal places
        betrag,   // an amount of money: at most two decimal places
        ganzzahl, // a whole number
    };

    enum class Fall { wert, leer, keineZahl, nichtGanz, zuVieleNachkommastellen };
    struct Ergebnis {
        Fall fall = Fall::leer;
        Dezimal wert; // only for Fall::wert
        friend bool operator==(const Ergebnis&, const Ergebnis&) = default;
    };

    // The text a value is shown with: no grouping, a decimal comma, 0 as the empty text.
    static QString anzeigetext(const Dezimal& wert, Art art);
    static Ergebnis lies(const QString& text, Art art);
    // A price such as 1.234 could be grouped or a fraction; the field then says how it read it.
    static bool istMehrdeutig(const QString& text, Art art);
    // The German message under the field for an outcome; none for a value or an empty text.
    static std::optional<QString> meldung(Fall fall);

    explicit Zahlenleser(Art art) : art_(art) {}

    Art art() const { return art_; }
    const QString& text() const { return text_; }
    const std::optional<QString>& hinweis() const { return hinweis_; }
    // The value as read, written as the field writes values, for an ambiguous price.
    const std::optional<QString>& gelesenAls() const { return gelesenAls_; }
    bool istUnlesbar() const { return hinweis_.has_value(); }
    bool hatText() const { return mitText_; }

    // The user changed the text: the value to bind (0 for an empty or unreadable text).
    Dezimal textGeaendert(const QString& text);
    // The bound value changed: false when it is this field's own write, which leaves the
    // user's way of writing the number as typed; else the text is rewritten from the value.
    bool wertGeaendert(const Dezimal& wert);
    // First appearance: the text from the bound value, once.
    void beimErscheinen(const Dezimal& wert);

private:
    Ergebnis pruefe(const QString& text);
    void fuelleAus(const Dezimal& wert);

    Art art_;
    QString text_;
    bool istGeladen_ = false;
    std::optional<QString> hinweis_;
    std::optional<QString> gelesenAls_;
    std::optional<Dezimal> zuletztGeschrieben_;
    bool mitText_ = false;
};

} // namespace qb
