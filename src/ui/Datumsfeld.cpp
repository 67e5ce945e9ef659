#include "ui/Datumsfeld.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>

namespace qb {

namespace {

const QString format = QStringLiteral("dd.MM.yyyy");

// The widest range QDateEdit knows, the one its clearMinimumDate() and clearMaximumDate() set.
std::pair<QDate, QDate> ganzerBereich() {
    return {QDate(1752, 9, 14), QDate(9999, 12, 31)};
}

} // namespace

Datumsfeld::Datumsfeld(QWidget* eltern) : QDateEdit(eltern) {
    setDisplayFormat(format);
    // The calendar's month and day names in German too, whatever Qt's own locale says.
    setLocale(QLocale(QLocale::German, QLocale::Germany));
    setCalendarPopup(true);
    lineEdit()->installEventFilter(this);
}

bool Datumsfeld::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == lineEdit() && ereignis->type() == QEvent::MouseButtonRelease &&
        std::exchange(klickBringtFokus_, false) && !lineEdit()->hasSelectedText()) {
        // The press has placed the cursor by now; a drag over the text keeps what it chose.
        lineEdit()->selectAll();
    }
    return QDateEdit::eventFilter(objekt, ereignis);
}

QValidator::State Datumsfeld::validate(QString& text, int& position) const {
    const QValidator::State zustand = QDateEdit::validate(text, position);
    if (zustand == QValidator::Acceptable && bereich_) {
        const QDate tag = QDate::fromString(text, format);
        return tag >= bereich_->first && tag <= bereich_->second ? zustand : QValidator::Intermediate;
    }
    // A day and a month that can be a date once the rest is typed (the 31st while February is
    // still shown), the year perhaps not whole yet: not a date yet, but no mistake either.
    static const QRegularExpression geschrieben(
        QStringLiteral(R"(^(0?[1-9]|[12][0-9]|3[01])\.(0?[1-9]|1[0-2])\.[0-9]{0,4}$)"));
    if (zustand == QValidator::Invalid && geschrieben.match(text).hasMatch()) {
        return QValidator::Intermediate;
    }
    return zustand;
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
        if (!punkt) {
            // Return, the arrow keys, Tab: the typing is over, the range holds again.
            tippeNichtMehr();
        }
        QDateEdit::keyPressEvent(ereignis);
        return;
    }
    tippeFrei();
    QLineEdit* zeile = lineEdit();
    const QString gewaehlt = zeile->selectedText();
    if (!warImTeil && (gewaehlt.isEmpty() || gewaehlt.contains(QLatin1Char('.')))) {
        // A digit goes into one whole part: the one under the cursor, or the day when the
        // cursor stands at the end or the selection spans several parts, so that a date typed
        // from there starts with its day.
        const int cursor = zeile->cursorPosition();
        const bool amEnde = gewaehlt.isEmpty() && cursor >= zeile->text().size();
        const auto unterDemCursor = static_cast<int>(zeile->text().left(cursor).count(QLatin1Char('.')));
        waehleTeil(!gewaehlt.isEmpty() || amEnde ? 0 : unterDemCursor);
    }
    const Section vorher = currentSection();
    const QString vorherText = zeile->text();
    QDateEdit::keyPressEvent(ereignis);
    // QDateEdit moves on by itself only while the date so far is whole and in range; a part
    // typed out moves on all the same.
    const int teil = currentSectionIndex();
    if (currentSection() == vorher && zeile->text() != vorherText && teil + 1 < sectionCount() &&
        zeile->text().split(QLatin1Char('.')).value(teil).size() >= 2) {
        waehleTeil(teil + 1);
    }
    weitergerueckt_ = currentSection() != vorher;
    imTeil_ = !weitergerueckt_;
}

void Datumsfeld::focusInEvent(QFocusEvent* ereignis) {
    weitergerueckt_ = false;
    imTeil_ = false;
    // The focus comes before the press reaches the line, so the press cannot tell by itself.
    klickBringtFokus_ = ereignis->reason() == Qt::MouseFocusReason;
    QDateEdit::focusInEvent(ereignis);
}

void Datumsfeld::focusOutEvent(QFocusEvent* ereignis) {
    // Leaving takes the typed date if it is whole and in range, else the last good one.
    QDateEdit::focusOutEvent(ereignis);
    klickBringtFokus_ = false;
    tippeNichtMehr();
}

void Datumsfeld::mousePressEvent(QMouseEvent* ereignis) {
    // A press on the button, not in the line: the calendar, not typing, comes next.
    klickBringtFokus_ = false;
    weitergerueckt_ = false;
    imTeil_ = false;
    // Before the calendar opens: it offers the range.
    tippeNichtMehr();
    QDateEdit::mousePressEvent(ereignis);
}

void Datumsfeld::wheelEvent(QWheelEvent* ereignis) {
    tippeNichtMehr();
    QDateEdit::wheelEvent(ereignis);
}

void Datumsfeld::tippeFrei() {
    const std::pair<QDate, QDate> jetzt(minimumDate(), maximumDate());
    if (jetzt == ganzerBereich()) {
        return;
    }
    bereich_ = jetzt;
    setDateRange(ganzerBereich().first, ganzerBereich().second);
}

void Datumsfeld::tippeNichtMehr() {
    const std::optional<std::pair<QDate, QDate>> bereich = std::exchange(bereich_, std::nullopt);
    if (!bereich) {
        return;
    }
    if (std::pair(minimumDate(), maximumDate()) == ganzerBereich()) {
        setDateRange(bereich->first, bereich->second);
    }
}

void Datumsfeld::waehleTeil(int teil) {
    // Selected straight in the text: moving the cursor would make QDateEdit read the text
    // first, and put back the last date while the one being typed is not whole yet.
    QLineEdit* zeile = lineEdit();
    const QStringList teile = zeile->text().split(QLatin1Char('.'));
    qsizetype anfang = 0;
    for (int i = 0; i < teil && i < teile.size(); ++i) {
        anfang += teile.at(i).size() + 1;
    }
    zeile->setSelection(static_cast<int>(anfang), static_cast<int>(teile.value(teil).size()));
}

} // namespace qb
