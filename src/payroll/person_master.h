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
#include <vector>

#include "db/lookup.h"

namespace payroll {

// The master rows of `code` (none when the code is unknown); iPsnGrd_id is Null in a row whose
// person type has no category.
const db::LookupResult& PersonMasterOf(db::Connection& connection, db::LookupCache& lookups,
                                       const std::string& code);
// The payroll's roster row of the person of `code` and `name` (one row or none).
const db::LookupResult& RosterRowOf(db::Connection& connection, db::LookupCache& lookups,
                                    std::string_view payroll, std::string_view code,
                                    std::string_view name);

// Read ahead (payroll/read_ahead.h) what PersonMasterOf finds for each code, and RosterRowOf for
// each payroll, code and name.
void ReadAheadPersonMaster(db::Connection& connection, db::LookupCache& lookups,
                           const std::vector<std::string>& codes);
void ReadAheadRosterRows(db::Connection& connection, db::LookupCache& lookups,
                         const std::vector<std::vector<std::string>>& keys);

struct MasterPerson {
    std::string name;
    std::int32_t category;
};

// The name and category of the first master row whose person type has a category (the first row
// of the inner join of the two tables); nullopt when no row has one.
std::optional<MasterPerson> CategorizedPerson(const db::LookupResult& rows);

}  // namespace payroll
