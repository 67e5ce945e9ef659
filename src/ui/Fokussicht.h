#pragma once

class QScrollArea;

namespace qb {

// A scrolled page that keeps the focus in sight. Qt scrolls to a widget that takes the focus by
// Tab only; here the page also follows a click, and an action that hands the focus on when it
// turns its own button off, so the cursor never sits where nobody sees it.
class Fokussicht {
public:
    Fokussicht() = delete;

    static void folge(QScrollArea* flaeche);
};

} // namespace qb
