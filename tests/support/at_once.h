// Calls made at the same time, as a busy platform makes them.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// Starts `call(t)` for every t from 0 to n - 1, each on a thread of its own; `meanwhile` runs on
// the calling thread until they all returned. The calls' results, in order of t.
inline std::vector<std::string> AtOnce(
    int n, const std::function<std::string(int)>& call,
    const std::function<void()>& meanwhile = [] {}) {
    std::vector<std::string> results(static_cast<std::size_t>(n));
    std::vector<std::thread> threads;
    for (int t = 0; t < n; ++t)
        threads.emplace_back([&, t] { results[static_cast<std::size_t>(t)] = call(t); });
    meanwhile();
    for (std::thread& thread : threads) thread.join();
    return results;
}

}  // namespace testing_support
