#include "db/contention.h"

#include <atomic>
#include <cstdint>
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
    // generator for the process, stepped atomically (a per-thread one would need per-thread
    // clean-up at every thread's exit).
    static std::atomic<std::uint32_t> state{std::random_device{}() | 1u};
    std::uint32_t x = state.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
        next = x;
        next ^= next << 13;
        next ^= next >> 17;
        next ^= next << 5;
    } while (!state.compare_exchange_weak(x, next, std::memory_order_relaxed));
    const long ceiling = 1000L << std::min(attempt - 1, 6);
    return std::chrono::microseconds(ceiling / 2 +
                                     static_cast<long>(next % static_cast<unsigned>(ceiling)));
}

}  // namespace db
