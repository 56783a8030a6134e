// The lookup convention of the payroll checks: a recordset with a client-side keyset cursor,
// so that RecordCount tells whether anything was found. Values travel as bound parameters.
#pragma once

#include "db/recordset.h"

namespace db {

// Closes `rows` if open, opens `sql` on it with a client-side keyset cursor and returns its
// RecordCount.
long Lookup(Recordset& rows, Connection& connection, const std::string& sql,
            const std::vector<Value>& params = {});

}  // namespace db
