#include "ui/Arbeitspool.h"

#include <algorithm>
#include <memory>

#include <QThread>
#include <QThreadPool>

namespace qb {

namespace {

QThreadPool* neuerPool() {
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(std::max(8, QThread::idealThreadCount()));
    // Blocked network waits are cheap; idle threads stay around for the next view task.
    pool->setExpiryTimeout(60'000);
    return pool;
}

} // namespace

QThreadPool& arbeitspool() {
    // Destroyed after main() returns; its destructor waits for the workers, which end promptly
    // because every view stops its tasks when it is destroyed.
    static const std::unique_ptr<QThreadPool> pool(neuerPool());
    return *pool;
}

} // namespace qb
