#pragma once

#include <exception>
#include <optional>
#include <string>

class QThreadPool;

namespace qb {

// The threads on which views run their blocking core calls (fetches, histories). Dedicated and
// at least five strong whatever the core count, so that the five comparison requests of a
// reference date are all in flight at once, and a slow fetch never waits behind Qt's own use
// of the global pool.
QThreadPool& arbeitspool();

// What a view sees of an error that escaped its work on the pool, after the error's own text went
// to the log: a source's German message, else a German sentence of its own. None for a stop
// (Abgebrochen), which is never turned into text. Any thread.
std::optional<std::string> arbeitsfehler(std::exception_ptr fehler);

} // namespace qb
