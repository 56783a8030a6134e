// The statements this process sent to its databases, by kind, so that a benchmark can tell what
// a record costs in round trips: lookups (queries), writes, and transaction control.
#pragma once

#include <cstdint>

namespace db {

struct StatementCounts {
    std::uint64_t lookups = 0;
    std::uint64_t writes = 0;
    std::uint64_t transactions = 0;
    std::uint64_t total() const { return lookups + writes + transactions; }
};

enum class StatementKind { kLookup, kWrite, kTransaction };

// The counts since the process started (every connection, every thread).
StatementCounts CountedStatements();

// Counts one statement; called by the data layer as it sends each one.
void CountStatement(StatementKind kind);

}  // namespace db
