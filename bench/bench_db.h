// Databases for the benchmarks: the demo database grown to many persons and items.
#pragma once

#include <string>

namespace bench {

// Writes the demo database at `path`, then adds `persons` enrolled persons of payroll 001 with a
// row for the open month 2026-11, and settings for items 1 to `items` (all numeric).
void PrepareDatabase(const std::string& path, int persons, int items);

// The person code of the n-th added person (from 0).
std::string PersonCode(int n);

}  // namespace bench
