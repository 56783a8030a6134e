// Fails allocations on purpose, for the memory fault loop. The test binary's operator new, and
// the allocators SQLite and pugixml are given while an AllocationFaults lives, count the
// allocations of the armed stretch; the n-th (or every one from the n-th on) fails: operator new
// throws std::bad_alloc, the C allocators return null, as a real shortage would make them.
// Outside an armed stretch nothing is counted or failed. Not thread-safe: one test at a time.
#pragma once

namespace testing_support {

class AllocationFaults {
  public:
    enum class Mode { kOnly, kFromThereOn };

    // Gives SQLite (shut down and set up again) and pugixml the counting allocators.
    AllocationFaults();
    ~AllocationFaults();
    AllocationFaults(const AllocationFaults&) = delete;
    AllocationFaults& operator=(const AllocationFaults&) = delete;

    // Arms the counter: the `n`-th allocation from now fails (n 0: none), alone or with every
    // one after it. Disarm ends the stretch.
    void Arm(long n, Mode mode);
    void Disarm();
    long count() const;
    bool failed() const;
};

}  // namespace testing_support
