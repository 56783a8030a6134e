#include "db/statement_counts.h"

#include <atomic>

namespace db {

namespace {

std::atomic<std::uint64_t> g_counts[3];

}  // namespace

StatementCounts CountedStatements() {
    return {g_counts[0].load(std::memory_order_relaxed),
            g_counts[1].load(std::memory_order_relaxed),
            g_counts[2].load(std::memory_order_relaxed)};
}

void CountStatement(StatementKind kind) {
    g_counts[static_cast<int>(kind)].fetch_add(1, std::memory_order_relaxed);
}

}  // namespace db
