#include "db/contention.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <random>

#include "db/types.h"

namespace db {

Contention::Contention(const std::string& description) : base::Fault(kTimeout, description) {}

namespace {
std::atomic<ContentionWaitObserver> observer{nullptr};
}

void SetContentionWaitObserver(ContentionWaitObserver waitObserver) {
    observer.store(waitObserver);
}

void NoteContentionWait(std::chrono::milliseconds waited) {
    if (ContentionWaitObserver note = observer.load()) note(waited);
}

std::chrono::microseconds ContentionPause(int attempt) {
    // Jitter keeps writers that met each other from meeting again at the same moment. One
    // generator for the process (a per-thread one would need clean-up at every thread's exit);
    // a pause is rare, so its lock costs nothing that matters.
    static std::mutex mutex;
    static std::minstd_rand random{std::random_device{}()};
    std::uint32_t draw;
    {
        std::lock_guard lock(mutex);
        draw = static_cast<std::uint32_t>(random());
    }
    const long ceiling = 1000L << std::min(attempt - 1, 6);
    return std::chrono::microseconds(ceiling / 2 +
                                     static_cast<long>(draw % static_cast<unsigned>(ceiling)));
}

}  // namespace db
