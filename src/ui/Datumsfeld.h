#pragma once

#include <optional>
#include <utility>

#include <QDateEdit>

namespace qb {

// A date field in German writing (07.12.2026, always the whole year) with the calendar popup,
// into which a date can be typed as one writes it: digits with or without the dots, whether
// the user tabbed in, clicked somewhere in the text or selected all of it.
//
// QDateEdit alone takes digits only into a selected part, reads a dot typed after a finished
// part as a jump over the next one, and judges every digit against the allowed range with the
// other parts as they still stand: with today's date shown, the day 10 of an earlier month
// cannot be typed, because the month has not been typed yet. Here the range is set aside while
// the user types and applied to the whole date instead: only a whole date in range becomes the
// field's date; one outside it stays on screen until it is mended, or is dropped for the last
// good one when the user leaves the field. The calendar, the arrow keys and the wheel keep the
// range as it is. A click that brings the focus into the field selects all of it, so that a
// date typed after it starts with its day wherever the click fell; a click into the field that
// has the focus already places the cursor in one part, for mending that part alone.
class Datumsfeld : public QDateEdit {
    Q_OBJECT
public:
    explicit Datumsfeld(QWidget* eltern = nullptr);

    QValidator::State validate(QString& text, int& position) const override;

protected:
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;
    void keyPressEvent(QKeyEvent* ereignis) override;
    void focusInEvent(QFocusEvent* ereignis) override;
    void focusOutEvent(QFocusEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;
    void wheelEvent(QWheelEvent* ereignis) override;

private:
    // Sets the range aside for typing, keeping it for the whole date.
    void tippeFrei();
    // Puts the range back, unless the owner has set a new one meanwhile.
    void tippeNichtMehr();
    // Selects the day (0), the month (1) or the year (2) for the next digit.
    void waehleTeil(int teil);

    // The range set aside while the user types.
    std::optional<std::pair<QDate, QDate>> bereich_;
    // The last key was a digit that filled its part and moved on to the next one.
    bool weitergerueckt_ = false;
    // The last key was a digit that left its part open for more.
    bool imTeil_ = false;
    // The press under way brought the focus into the field.
    bool klickBringtFokus_ = false;
};

} // namespace qb
