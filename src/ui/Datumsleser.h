#pragma once

#include <optional>

#include <QDate>
#include <QString>

namespace qb {

// What the date field does with its text, without the widget: the whole text read at once as a
// date in German writing (7.12.2026, 07.12.2026 or 07122026), judged against the field's range,
// and the German sentence that says why a text cannot be taken.
class Datumsleser {
public:
    enum class Fall {
        datum,       // a day in the range
        unfertig,    // not a date, but the start of one: the user may still be typing it
        keinDatum,   // not written as a date
        gibtEsNicht, // written as a date, but the calendar has no such day
        ausserhalb,  // a real day outside the range
    };
    struct Ergebnis {
        Fall fall = Fall::keinDatum;
        QDate tag; // the day written, for datum and ausserhalb
        friend bool operator==(const Ergebnis&, const Ergebnis&) = default;
    };

    // The range of a field without a bound: the earliest day is the first of the Gregorian
    // calendar in Britain, as Qt's own date field has it.
    static QDate fruehester() { return {1752, 9, 14}; }
    static QDate spaetester() { return {9999, 12, 31}; }

    // How the field writes a date.
    static QString text(const QDate& tag);
    static Ergebnis lies(const QString& text, const QDate& von, const QDate& bis);
    // The text holds as many digits as a date has: a digit typed after it begins a new one.
    static bool istGanzGeschrieben(const QString& text);
    // Why the text cannot be taken; none for a date. `beispiel` shows how a date is written.
    static std::optional<QString> hinweis(const QString& text, const Ergebnis& ergebnis, const QDate& von,
                                          const QDate& bis, const QDate& beispiel);
};

} // namespace qb
