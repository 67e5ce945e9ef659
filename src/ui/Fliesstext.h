#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace qb {

// A label for running text that wraps at its width. Plain text always, since such a text often
// holds a name or an identifier the group typed, or a source's words.
QLabel* fliesstext(const QString& text, QWidget* eltern = nullptr);

} // namespace qb
