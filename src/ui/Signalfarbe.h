#pragma once

#include <QColor>

class QPalette;

namespace qb {

// The three colours that mark what needs attention, each with a light and a dark variant. The
// variant follows the palette it is drawn with; nothing else asks for the appearance.
class Signalfarbe {
public:
    static const Signalfarbe warnung; // warnings and hints
    static const Signalfarbe verlust; // losses and error messages
    static const Signalfarbe gewinn;  // gains

    QColor hell() const { return hell_; }
    QColor dunkel() const { return dunkel_; }
    // The variant for a palette: dark when its window colour is dark.
    QColor fuer(const QPalette& palette) const;

    friend bool operator==(const Signalfarbe& a, const Signalfarbe& b) { return a.hell_ == b.hell_ && a.dunkel_ == b.dunkel_; }

private:
    Signalfarbe(QColor hell, QColor dunkel) : hell_(hell), dunkel_(dunkel) {}
    QColor hell_;
    QColor dunkel_;
};

// Qt 6.4 cannot tell light from dark: a palette whose window colour is darker than middle grey
// counts as dark.
bool istDunkel(const QPalette& palette);

} // namespace qb
