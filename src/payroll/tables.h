// The tables of the ERP's payroll module that the server reads and writes.
#pragma once

#include "db/connection.h"

namespace payroll {

// A fault naming every payroll table the database lacks, so that a database that is not a
// payroll database (an empty file among them) is refused before a request reads it.
void RequirePayrollTables(db::Connection& connection);

}  // namespace payroll
