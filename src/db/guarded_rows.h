// GuardedRows: rows of one shape (the same `into`, `values` and `guard` texts), each inserted
// unless its guard finds a row, as one statement that every database reads alike:
// "INSERT INTO into SELECT values FROM (rows) AS r WHERE NOT EXISTS(guard)", where each row's
// placeholders (its values', then its guard's) are read from its row of a listed table
// (db/listed_rows.h). The guards look at the table as it was before the statement: rows whose
// guards find one another must not go in one statement.
#pragma once

#include <vector>

#include "db/dialect.h"

namespace db {

BoundStatement GuardedRows(const std::vector<const GuardedRow*>& rows);

}  // namespace db
