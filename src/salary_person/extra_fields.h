// The extra person fields a payroll defines (WA_PsnMsg: number iNum, caption cMsgName), read once
// and matched in memory. The value of field n lives in the roster column "M" followed by n.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/lookup.h"

namespace salary_person {

struct ExtraField {
    std::int64_t number;
    std::string caption;
};

class ExtraFields {
  public:
    // The definitions of the database; the statement runs once per request (reference data).
    ExtraFields(db::Connection& connection, db::LookupCache& lookups);

    // The first definition with that caption (letter case aside, as the database compares);
    // null when there is none.
    const ExtraField* ByCaption(std::string_view caption) const;
    // The first definition with that number; null when there is none.
    const ExtraField* ByNumber(double number) const;
    const std::vector<ExtraField>& all() const { return fields_; }

  private:
    std::vector<ExtraField> fields_;
};

// The field number an entry's `name` stands for: everything after its first character, whatever
// that character is, read as a number. A rest that is no number is a fault (the definitions
// cannot be filtered by it).
double FieldNumberOf(std::string_view name);

// The roster column of field `number`: "M" followed by it.
std::string ColumnOf(const ExtraField& field);

}  // namespace salary_person
