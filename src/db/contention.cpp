#include "db/contention.h"

#include <atomic>
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
    // Jitter keeps writers that met each other from meeting again at the same moment.
    thread_local std::minstd_rand random{std::random_device{}()};
    const long ceiling = 1000L << std::min(attempt - 1, 6);
    return std::chrono::microseconds(ceiling / 2 +
                                     static_cast<long>(random() % static_cast<unsigned>(ceiling)));
}

}  // namespace db
