// InsertGuardedPair: two guarded rows that belong together, such as a person's roster row and
// first payroll row, written both or neither, the second only when the first was.
#pragma once

#include "db/connection.h"
#include "db/dialect.h"

namespace db {

// Returns whether the first row was written (false: its guard found a row). Inside a transaction
// the rows go one after the other and the caller's transaction holds them together; outside one,
// where the database can, they go as one statement that commits by itself (one round trip),
// else in a transaction of their own. A fault leaves neither row written.
bool InsertGuardedPair(Connection& connection, GuardedRow first, GuardedRow second);

}  // namespace db
