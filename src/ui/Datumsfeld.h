#pragma once

#include <QAbstractSpinBox>
#include <QDate>
#include <QLabel>
#include <QPointer>
#include <QStyle>

#include "ui/Datumsleser.h"

class QCalendarWidget;

namespace qb {

// A date field in German writing (07.12.2026, always the whole year) with a calendar to pick
// from. The field reads its whole text at once, as the user writes a date: with or without the
// dots, day and month with or without their leading zero. What the user types stays as typed:
// a text that is no date, or a day outside the range, is not made into some other date. The
// field marks it, the line under it says why, and the field's date stays the last good one
// until the text is mended. The calendar, the arrow keys and the wheel give days in the range
// only; a day picked in the calendar is the user's as much as a typed one, until the owner lets go
// of it. A day set from outside the range is shown as it is and marked the same way.
//
// A click that brings the focus into the field selects all of it, and so does Tab, so that a
// date typed after it replaces the whole one. A click into the field that has the focus already
// places the cursor, for mending there. The arrow keys step the day, month or year under the
// cursor.
class Datumsfeld : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit Datumsfeld(QWidget* eltern = nullptr);

    // The last date the field took: the one set, picked, stepped to, or typed in the range. While
    // a text the user typed stands that the field refuses, it is the day before that text, which
    // nothing takes. A day set from outside the range is the date too, though not a valid one:
    // so a day typed after it is a change, whichever it is.
    QDate datum() const { return datum_; }
    // A date from outside, shown: in the range it is taken; outside it stands marked with the
    // line that names the range, until a day in the range is typed, picked or set, or a new
    // range holds it. A text the user typed or picked is theirs: it stays, and so does the date.
    void setzeDatum(const QDate& tag);
    QDate untergrenze() const { return von_; }
    QDate obergrenze() const { return bis_; }
    // Without a call, the field knows no bounds. The text is judged anew: a day the new range
    // holds is taken, a typed or picked one or one set from outside that the range refuses stays
    // marked, and a date the field wrote itself moves into the range. A new date is told as any
    // other.
    void setzeBereich(const QDate& von, const QDate& bis);
    // Whether the text is the field's date: a date, written whole, in the range. Whatever takes
    // the field's date waits for this.
    bool istGueltig() const;
    // Whether the text is what the user typed or picked since a date was last set or stepped to,
    // or since the owner let go of it; written in the field's way when the focus leaves, it is
    // still theirs.
    bool zeigtGetipptes() const { return !eigenerText_; }
    // Lets go of a day the user typed or picked and the field took: its text counts as the
    // field's own writing from now on, so that a date set next replaces it as it replaces a day
    // no one touched. A text the field refuses stays the user's.
    void gibEingabeFrei();
    // The line that says why the text is not taken, hidden while it is. The owner lays it out
    // under the field.
    QLabel* hinweiszeile() const { return hinweis_.data(); }
    // The calendar, once it has been opened.
    QCalendarWidget* kalender() const { return kalender_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QValidator::State validate(QString& text, int& position) const override;
    void fixup(QString& text) const override;
    void stepBy(int schritte) override;

signals:
    // The field's date changed: by the user, or set from outside.
    void datumGeaendert(const QDate& tag);
    void gueltigGeaendert(bool gueltig);
    // The user has settled on the text: picked a day in the calendar, or pressed Return or left
    // the field after typing. Opening the calendar or leaving the window is no settling.
    void eingabeGenommen();
    // The calendar is about to show its days: whoever sets the range looks at the day now.
    void kalenderOeffnetSich();

protected:
    StepEnabled stepEnabled() const override;
    bool event(QEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;
    void keyPressEvent(QKeyEvent* ereignis) override;
    void focusInEvent(QFocusEvent* ereignis) override;
    void focusOutEvent(QFocusEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    Datumsleser::Ergebnis gelesen() const;
    // The user changed the text.
    void getippt();
    // A date set, picked or stepped to: the text written anew from it. A picked one is the
    // user's from then on, as a typed one.
    void uebernimm(const QDate& tag, bool gewaehlt = false);
    void schreibe(const QDate& tag);
    void nimm(const QDate& tag);
    // Mark, line and validity after every change of text, range or focus.
    void zeigeZustand();
    void oeffneKalender();
    // Where the frame drawn as a picker has its text and its arrow.
    QRect kastenteil(QStyle::SubControl teil) const;
    void platziereZeile();
    // The day (0), the month (1) or the year (2) under the cursor or at the selection's start.
    int teilAmCursor() const;
    void waehleTeil(int teil);
    // The day the message about a text that is no date shows: today, or the nearest day the
    // range holds.
    QDate beispiel() const;
    // The day a step starts from: the one written, in the range or not, else the field's date.
    QDate schrittgrund() const;

    QDate datum_{2000, 1, 1};
    QDate von_ = Datumsleser::fruehester();
    QDate bis_ = Datumsleser::spaetester();
    // Set while the text is written from the date: that change is no input.
    bool schreibt_ = false;
    // The text is the field's own writing of its date, not what the user typed or picked since.
    bool eigenerText_ = true;
    // The text is a day set from outside the range: it stays when the range changes.
    bool ausserhalbGesetzt_ = false;
    bool gueltig_ = true;
    // The user is typing: a text that can still become a date is not a mistake yet.
    bool tipptNoch_ = false;
    // The text is drawn in the message's colour.
    bool markiert_ = false;
    // The press under way brought the focus into the field.
    bool klickBringtFokus_ = false;
    // Laid out by the owner, who may be gone first.
    QPointer<QLabel> hinweis_;
    QWidget* kalenderfenster_ = nullptr;
    QCalendarWidget* kalender_ = nullptr;
};

} // namespace qb
