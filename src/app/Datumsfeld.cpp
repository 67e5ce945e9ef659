#include "app/Datumsfeld.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

#include <utility>

namespace qb {

Datumsfeld::Datumsfeld(QWidget* eltern) : QDateEdit(eltern) {
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    // The calendar's month and day names in German too, whatever Qt's own locale says.
    setLocale(QLocale(QLocale::German, QLocale::Germany));
    setCalendarPopup(true);
}

void Datumsfeld::keyPressEvent(QKeyEvent* ereignis) {
    const QString text = ereignis->text();
    const bool ohneBefehlstaste = (ereignis->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
    const bool ziffer = ohneBefehlstaste && text.size() == 1 && text.front().isDigit();
    const bool punkt = ohneBefehlstaste && text == QStringLiteral(".");
    const bool warWeitergerueckt = std::exchange(weitergerueckt_, false);
    const bool warImTeil = std::exchange(imTeil_, false);
    if (punkt && warWeitergerueckt) {
        // The dot after a finished part: the field is there already.
        ereignis->accept();
        return;
    }
    if (!ziffer) {
        QDateEdit::keyPressEvent(ereignis);
        return;
    }
    QLineEdit* zeile = lineEdit();
    const QString gewaehlt = zeile->selectedText();
    if (!warImTeil && (gewaehlt.isEmpty() || gewaehlt.contains(QLatin1Char('.')))) {
        // A digit goes into one whole part: the one under the cursor, or the day when the
        // cursor stands at the end or the selection spans several parts, so that a date typed
        // from there starts with its day.
        const bool amEnde = gewaehlt.isEmpty() && zeile->cursorPosition() >= zeile->text().size();
        if (!gewaehlt.isEmpty() || amEnde) {
            zeile->setCursorPosition(0);
        }
        setSelectedSection(currentSection());
    }
    const Section vorher = currentSection();
    QDateEdit::keyPressEvent(ereignis);
    weitergerueckt_ = currentSection() != vorher;
    imTeil_ = !weitergerueckt_;
}

void Datumsfeld::focusInEvent(QFocusEvent* ereignis) {
    weitergerueckt_ = false;
    imTeil_ = false;
    QDateEdit::focusInEvent(ereignis);
}

void Datumsfeld::mousePressEvent(QMouseEvent* ereignis) {
    weitergerueckt_ = false;
    imTeil_ = false;
    QDateEdit::mousePressEvent(ereignis);
}

} // namespace qb
