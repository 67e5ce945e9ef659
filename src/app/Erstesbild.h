#pragma once

#include <functional>
#include <string>

class QWidget;

namespace qb {

// For the start benchmark only: once the first frame of `fenster` is painted, writes the
// moment (nanoseconds of CLOCK_MONOTONIC) and what the window showed then, as told by `inhalt`,
// on one line of standard output, and ends the event loop. A process that starts the program
// reads the line and knows how long the start took, and to what.
void meldeErstesBild(QWidget& fenster, std::function<std::string()> inhalt);

} // namespace qb
