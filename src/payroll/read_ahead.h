// Reading ahead, on a server, what each record's checks and writer would look up about its
// person one statement at a time. There every statement is a round trip, and a user's table
// without an index on the looked-up column is read whole by each one. The lookups of a chunk of
// records are answered by one statement, in which the server itself matches the records' values
// to its rows (with its own collation and padding rules, as the record's own statement would),
// and seeded into the request's lookups (db::LookupCache::Seed), where each record finds its own.
//
// A change another writer makes to these rows after they were read ahead is not seen by the
// request's later records; the write of each record still finds its payroll row by its key.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/lookup.h"

namespace payroll {

// Records read ahead at once: small enough for every server's limit on placeholders (2,100 on
// SQL Server, three for each roster key) and to keep what is read ahead small, large enough to
// make the round trips few.
inline constexpr std::size_t kReadAheadRecords = 500;

struct PersonKey {
    std::string payroll;
    std::string code;
    std::string name;
};

// Reads ahead the person master rows of the keys' codes (PersonMasterOf) when `master` is set,
// and the roster rows of the keys (RosterRowOf), in place of what was read ahead before. Keys
// with an empty part are left to their records' own lookups.
void ReadAheadPersons(db::Connection& connection, db::LookupCache& lookups,
                      const std::vector<PersonKey>& keys, bool master);

}  // namespace payroll
