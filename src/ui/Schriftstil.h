#pragma once

#include <QFont>

namespace qb {

// The text styles of the views beside the body text, each derived from a widget's own font so
// that they follow the size the user chose for the desktop.
class Schriftstil {
public:
    Schriftstil() = delete;

    // A headline: the body size, semi-bold.
    static QFont ueberschrift(const QFont& grund);
    // A remark beside the content: a little smaller than the body.
    static QFont hervorhebung(const QFont& grund);
    // Help texts and captions under a field: smaller still, never unreadably small.
    static QFont beschriftung(const QFont& grund);
    // Paths and technical messages: the remark's size in the system's monospaced font.
    static QFont festbreite(const QFont& grund);
};

} // namespace qb
