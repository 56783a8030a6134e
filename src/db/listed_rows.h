// Rows of values sent as a table: one statement then matches many records to the server's rows
// by a join, with the server's own collation and padding rules, as each record's own statement
// would. The table is a union of one-row selects, which every database reads alike (SQL Server's
// VALUES list stops at 1,000 rows, MariaDB's names its columns after the first row's values).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/value.h"

namespace db {

// Parameter text a statement of listed rows carries at most: well below the smallest default
// packet size of the servers (1 MB), whatever the values.
inline constexpr std::size_t kMaxListedBytes = 256 * 1024;

// What `values` add to a statement's packet: each text's bytes, and a few for each value.
std::size_t ListedBytes(const std::vector<Value>& values);

// Whether two rows' values may stand in one listed table: a column of it takes one type.
bool SameKinds(const std::vector<Value>& a, const std::vector<Value>& b);

// "(select 0 as n, ? as v0, ? as v1 union all select 1, ?, ? ...)": `rows` rows of `width`
// placeholders each, in row order, and n, the row's place.
std::string ListedRows(std::size_t rows, std::size_t width);

}  // namespace db
