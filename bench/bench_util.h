// Small helpers shared by the benchmarks.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "com/unknown.h"

namespace bench {

// A scratch folder under /tmp, removed at exit.
std::string ScratchDir();

// Positional numbers after Google Benchmark's own flags, with defaults.
std::vector<long> Numbers(int argc, char** argv, std::vector<long> defaults);

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The item names of items 1..n in the bench database, in order.
std::vector<std::string> ItemNames(int n);

// The median of some figures (0 for none).
double Median(std::vector<double> values);

// The reply of one Transact and the seconds that call took.
struct TimedReply {
    std::string text;
    double seconds;
};

enum class ServerClass { kSalaryItem, kSalaryPerson };

// Calls Transact by name on a new object of `server`, as the platform does: with a login for the
// database at `path` working in 2026-12 and, when given, `caller` held through
// AddObjectReference. Only the call is timed.
TimedReply TransactAsPlatform(const std::string& path, const std::string& request,
                              com::IDispatch* caller = nullptr,
                              ServerClass server = ServerClass::kSalaryItem);

// Peak resident set size of this program in KiB.
long PeakRssKiB();

}  // namespace bench
