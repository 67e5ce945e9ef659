#pragma once

#include <functional>

#include <QString>

class QWidget;

namespace qb {

// Pictures of the performance tab in its states, each handed to `sichere` with its name: the
// curve over the reference dates (also with a point selected by key), the daily history over the
// whole game, one and three months, the daily history while it loads and after it failed, and a
// new game without any curve. The histories come from a source inside the program, so no network
// is needed.
void tourDurchDieEntwicklung(const std::function<void(QWidget&, const QString&)>& sichere);

} // namespace qb
