#pragma once

#include <QDateEdit>

namespace qb {

// A date field in German writing (07.12.2026, always the whole year) with the calendar popup,
// into which a date can be typed as one writes it: digits with or without the dots, whether
// the user tabbed in, clicked somewhere in the text or selected all of it. QDateEdit alone
// takes digits only into a selected part and reads a dot typed after a finished part as a
// jump over the next one.
class Datumsfeld : public QDateEdit {
    Q_OBJECT
public:
    explicit Datumsfeld(QWidget* eltern = nullptr);

protected:
    void keyPressEvent(QKeyEvent* ereignis) override;
    void focusInEvent(QFocusEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;

private:
    // The last key was a digit that filled its part and moved on to the next one.
    bool weitergerueckt_ = false;
    // The last key was a digit that left its part open for more.
    bool imTeil_ = false;
};

} // namespace qb
