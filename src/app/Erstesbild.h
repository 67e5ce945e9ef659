#pragma once

#include <functional>
#include <string>

class QWidget;

namespace qb {

// For the start benchmark only: once the first frame of `fenster` is painted, writes the
// moment (nanoseconds of CLOCK_MONOTONIC), what the window showed then, as told by `inhalt`, and
// the window's size ("920x560"), on one line of standard output, and ends the event loop. A
// process that starts the program reads the line and knows how long the start took, to what, and
// at which size: a window that had to shrink to a small screen is not comparable with one that
// did not.
void meldeErstesBild(QWidget& fenster, std::function<std::string()> inhalt);

} // namespace qb
