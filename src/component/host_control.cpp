#include "component/host_control.h"

#include <atomic>

#include "db/contention.h"

namespace component {

namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<WagelinkProgress> progress{nullptr};

void ReportWait(std::chrono::milliseconds waited) {
    ReportProgress(kWagelinkWaiting, static_cast<long>(waited.count()), 0);
}

}  // namespace

bool StopRequested() {
    return stopRequested.load(std::memory_order_relaxed);
}

void RequestStop() {
    stopRequested.store(true, std::memory_order_relaxed);
}

void SetProgress(WagelinkProgress callback) {
    progress.store(callback);
    db::SetContentionWaitObserver(callback ? &ReportWait : nullptr);
}

void ReportProgress(WagelinkProgressKind kind, long done, long total) {
    if (WagelinkProgress callback = progress.load()) callback(kind, done, total);
}

}  // namespace component
