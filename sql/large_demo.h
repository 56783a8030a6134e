// The demo database grown to many persons and items, for benchmarks and load tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sql {

// Writes the demo database at `path` (replacing any file there), then adds `persons` enrolled
// persons of payroll 001 in department 0201 with a row for the open month 2026-11, and settings
// for items 1 to `items` (all numeric).
void WriteLargeDemoDatabase(const std::string& path, int persons, int items);

// The person code and name of the n-th added person (from 0).
std::string LargeDemoPersonCode(int n);
std::string LargeDemoPersonName(int n);

// One entry of each record of LargeDemoItemRequest: an item by name and style, and its value
// for person n.
struct LargeDemoEntry {
    std::string name;
    int style;
    std::function<std::string(int n)> value;
};

// An ADD request of salaryitem records for the persons `first` to `first + count - 1`, in the
// open month 2026-11, each with `entries`.
std::string LargeDemoItemRequest(int first, int count, const std::vector<LargeDemoEntry>& entries);

}  // namespace sql
