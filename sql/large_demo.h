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

// Writes the demo database at `path` (replacing any file there), then adds `persons` persons of
// type 102 (生产工人) to the person master only, ready to be enrolled, and extra fields 1 to
// `extras` (the demo defines 1 to 3; roster columns are added beyond M8).
void WriteEnrolmentDemoDatabase(const std::string& path, int persons, int extras);

// The person code of the n-th person of WriteEnrolmentDemoDatabase (from 0); the name is
// LargeDemoPersonName(n).
std::string EnrolmentPersonCode(int n);

// Writes the demo database at `path` (replacing any file there) with extra fields 1 to `extras`,
// then enrols `persons` persons of the enrolment demo in payroll 001, department 0201, each with
// a value in every extra field.
void WriteRosterDemoDatabase(const std::string& path, int persons, int extras);

// An ADD request enrolling the persons `first` to `first + count - 1` of
// WriteEnrolmentDemoDatabase in payroll 001, department 0201, with `extras` extra fields each.
std::string EnrolmentRequest(int first, int count, int extras);

}  // namespace sql
