// Reading ahead, on a server, what each record's checks and writer would look up about its
// person one statement at a time. There every statement is a round trip, and a user's table
// without an index on the looked-up column is read whole by each one. The lookups of a run of
// records are answered by one statement, in which the server itself matches the records' values
// to its rows (with its own collation and padding rules, as the record's own statement would),
// and seeded into the request's lookups (db::LookupCache::Seed), where each record finds its own.
//
// A change another writer makes to these rows after they were read ahead is not seen by the
// records of the run; what must hold against other writers is checked again as they write.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/lookup.h"
#include "payroll/record_context.h"
#include "xml/document.h"

namespace payroll {

// Records read ahead at once: small enough for every server's limit on placeholders (2,100 on
// SQL Server, three for each key of the roster lookup) and to keep what is read ahead small,
// large enough to make the round trips few.
inline constexpr std::size_t kReadAheadRecords = 500;

// The values of one lookup's placeholders, in order.
using LookupKey = std::vector<std::string>;

// Seeds `lookupSql` (a FindForRecord statement) for each distinct key with what it would find.
// `readAhead` selects the lookup's columns and then `r.n`, from the keys as a table `r` with the
// columns v0, v1, ... and n, the key's place: it stands in the text as "{keys}". Keys with an
// empty value are left to their records' own lookups.
void ReadAhead(db::Connection& connection, db::LookupCache& lookups, db::SqlLiteral lookupSql,
               std::string_view readAhead, const std::vector<LookupKey>& keys);

// On a server, where the record at `index` begins a run (every kReadAheadRecords-th record):
// reads ahead for the run's records, [index, end), with `read` (which calls ReadAhead), in place
// of what was read ahead before. In process a lookup costs no round trip, and SQLite's own index
// lookups are the fastest way; a statement for hundreds of records costs more to prepare. A fault
// while reading ahead leaves the records to their own lookups; only memory running out passes.
void ReadAheadRecords(const RecordContext& context, const xml::NodeList& records, std::size_t index,
                      const std::function<void(std::size_t end)>& read);

}  // namespace payroll
