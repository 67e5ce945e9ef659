#include "ui/Datumsleser.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

namespace qb {

namespace {

struct Teile {
    int tag = 0;
    int monat = 0;
    int jahr = 0;
};

// Day, month and year as written, whether the day exists or not: with dots, each of day and
// month in one or two digits, or without dots in two, two and four digits. The year has its
// four digits, so that a date is never taken while its year is still being typed.
std::optional<Teile> teile(const QString& text) {
    static const QRegularExpression mitPunkten(QStringLiteral(R"(^([0-9]{1,2})\.([0-9]{1,2})\.([0-9]{4})$)"));
    static const QRegularExpression ohnePunkte(QStringLiteral(R"(^([0-9]{2})([0-9]{2})([0-9]{4})$)"));
    for (const QRegularExpression* muster : {&mitPunkten, &ohnePunkte}) {
        const QRegularExpressionMatch treffer = muster->match(text.trimmed());
        if (treffer.hasMatch()) {
            return Teile{treffer.captured(1).toInt(), treffer.captured(2).toInt(),
                         treffer.captured(3).toInt()};
        }
    }
    return std::nullopt;
}

QString uebersetzt(const char* text) {
    return QCoreApplication::translate("Datumsfeld", text);
}

} // namespace

QString Datumsleser::text(const QDate& tag) {
    return tag.toString(QStringLiteral("dd.MM.yyyy"));
}

Datumsleser::Ergebnis Datumsleser::lies(const QString& text, const QDate& von, const QDate& bis) {
    const std::optional<Teile> t = teile(text);
    if (!t) {
        // What more typing can still make a date of.
        static const QRegularExpression anfang(
            QStringLiteral(R"(^([0-9]{0,2}(\.[0-9]{0,2}(\.[0-9]{0,3})?)?|[0-9]{0,7})$)"));
        return {anfang.match(text.trimmed()).hasMatch() ? Fall::unfertig : Fall::keinDatum, {}};
    }
    // No day, month or year is numbered 0: a slip, not a day the calendar lacks.
    if (t->tag == 0 || t->monat == 0 || t->jahr == 0) {
        return {Fall::keinDatum, {}};
    }
    const QDate tag(t->jahr, t->monat, t->tag);
    if (!tag.isValid()) {
        return {Fall::gibtEsNicht, {}};
    }
    return {tag < von || tag > bis ? Fall::ausserhalb : Fall::datum, tag};
}

bool Datumsleser::istGanzGeschrieben(const QString& text) {
    return teile(text).has_value();
}

std::optional<QString> Datumsleser::hinweis(const QString& text, const Ergebnis& ergebnis, const QDate& von,
                                            const QDate& bis, const QDate& beispiel) {
    switch (ergebnis.fall) {
    case Fall::datum:
        return std::nullopt;
    case Fall::unfertig:
    case Fall::keinDatum:
        return uebersetzt("Das ist kein Datum. Schreib es zum Beispiel so: %1.")
            .arg(Datumsleser::text(beispiel));
    case Fall::gibtEsNicht: {
        const Teile t = teile(text).value_or(Teile{});
        const auto zweistellig = [](int zahl) {
            return QStringLiteral("%1").arg(zahl, 2, 10, QLatin1Char('0'));
        };
        const QString geschrieben = QStringLiteral("%1.%2.%3")
                                        .arg(zweistellig(t.tag), zweistellig(t.monat),
                                             QStringLiteral("%1").arg(t.jahr, 4, 10, QLatin1Char('0')));
        if (t.monat > 12) {
            return uebersetzt("Den %1 gibt es nicht: Ein Jahr hat nur 12 Monate.").arg(geschrieben);
        }
        const QDate monat(t.jahr, t.monat, 1);
        return uebersetzt("Den %1 gibt es nicht: Der %2 %3 hat nur %4 Tage.")
            .arg(geschrieben, QLocale(QLocale::German).standaloneMonthName(t.monat), QString::number(t.jahr),
                 QString::number(monat.daysInMonth()));
    }
    case Fall::ausserhalb:
        if (von == bis) {
            return uebersetzt("Das Datum kann nur der %1 sein.").arg(Datumsleser::text(von));
        }
        // A field with one bound only names that one.
        if (von == fruehester() && ergebnis.tag > bis) {
            return uebersetzt("Das Datum darf nicht nach dem %1 liegen.").arg(Datumsleser::text(bis));
        }
        if (bis == spaetester() && ergebnis.tag < von) {
            return uebersetzt("Das Datum darf nicht vor dem %1 liegen.").arg(Datumsleser::text(von));
        }
        return uebersetzt("Das Datum muss zwischen dem %1 und dem %2 liegen.")
            .arg(Datumsleser::text(von), Datumsleser::text(bis));
    }
    return std::nullopt;
}

} // namespace qb
