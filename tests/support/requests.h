// Request documents for the salary item tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct Entry {
    std::string name;
    std::string type;
    std::string value;
    bool hasName = true;
    bool hasType = true;
};

// A salaryitem record: a valid one for person 0001 of payroll 001 in the open month 2026-11,
// with `changes` applied (an empty value removes the field).
std::string ItemRecord(const std::map<std::string, std::string>& changes = {},
                       const std::vector<Entry>& entries = {});

// An ADD request holding the records.
std::string AddRequest(const std::vector<std::string>& records);

// Escapes text for an XML attribute or element.
std::string XmlEscape(const std::string& text);

}  // namespace testing_support
