#pragma once

class QThreadPool;

namespace qb {

// The threads on which views run their blocking core calls (fetches, histories). Dedicated and
// at least five strong whatever the core count, so that the five comparison requests of a
// reference date are all in flight at once, and a slow fetch never waits behind Qt's own use
// of the global pool.
QThreadPool& arbeitspool();

} // namespace qb
