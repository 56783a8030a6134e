// A person's master data: the rows of the person master (pubperson) for a person code, each with
// the person category (wa_grade) its person type maps to, read once per record and shared by the
// steps that need them (the check that the person exists, the name and category a writer uses);
// and the person's roster row. On a server both may have been read ahead for the request's
// records (payroll/read_ahead.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "db/lookup.h"

namespace payroll {

// The master rows of `code` (none when the code is unknown); iPsnGrd_id is Null in a row whose
// person type has no category.
const db::LookupResult& PersonMasterOf(db::Connection& connection, db::LookupCache& lookups,
                                       const std::string& code);
// The statement PersonMasterOf runs (its columns cpsn_name and iPsnGrd_id, one placeholder for
// the code), for reading it ahead.
extern const char kPersonMasterSql[];

// The payroll's roster row of the person of `code` and `name` (one row or none).
const db::LookupResult& RosterRowOf(db::Connection& connection, db::LookupCache& lookups,
                                    std::string_view payroll, std::string_view code,
                                    std::string_view name);
// The statement RosterRowOf runs (placeholders: payroll, code, name).
extern const char kRosterRowSql[];

struct MasterPerson {
    std::string name;
    std::int32_t category;
};

// The name and category of the first master row whose person type has a category (the first row
// of the inner join of the two tables); nullopt when no row has one.
std::optional<MasterPerson> CategorizedPerson(const db::LookupResult& rows);

}  // namespace payroll
