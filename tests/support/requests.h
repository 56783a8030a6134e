// Request documents for the tests of both classes.
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

// An extra field of a salaryperson record: by `name` or, when that is left out, by `extraname`.
struct Extra {
    std::string name;
    std::string extraname;
    std::string value;
    bool hasName = true;
    bool hasExtraname = false;
};
inline Extra ByName(std::string name, std::string value) {
    return {std::move(name), "", std::move(value), true, false};
}
inline Extra ByCaption(std::string caption, std::string value) {
    return {"", std::move(caption), std::move(value), false, true};
}

// A salaryperson record: a valid one enrolling person 0020 (in the person master only) in
// payroll 001, department 0101, with `changes` applied (an empty value removes the field).
std::string PersonRecord(const std::map<std::string, std::string>& changes = {},
                         const std::vector<Extra>& extras = {});

// An ADD request holding the records (root attribute roottag names `recordTag`).
std::string AddRequest(const std::vector<std::string>& records,
                       const std::string& recordTag = "salaryitem");

// The results of an ADD reply without their places: `key="..." code="..." message="..."` a line.
std::string ResultLines(const std::string& reply);

// Escapes text for an XML attribute or element.
std::string XmlEscape(const std::string& text);

}  // namespace testing_support
