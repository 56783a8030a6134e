// The payroll schema and demo data written to a database server (SQL Server, MariaDB or another
// reached through ODBC), from the one schema the SQLite file is made of.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/dialect.h"

namespace sql {

// The statements of a script, split at the ';' that ends each (not one inside quotes), with
// comment lines left out.
std::vector<std::string> SplitStatements(std::string_view script);

// The schema as `kind` declares it: no SQLite collation clauses (both servers compare without
// regard to case), the roster's key an identity column; on MariaDB, money as decimal(19,4),
// float as double, which is what SQL Server's float is, and nchar and nvarchar in utf8mb4.
std::string ServerSchema(std::string_view schema, db::Dialect::Kind kind);

// The demo data as `kind` reads it: on SQL Server every text literal is a Unicode one (N'...'),
// so that names keep their characters whatever the database's collation.
std::string ServerData(std::string_view data, db::Dialect::Kind kind);

// Writes the schema and the demo data (or the schema alone) into the database that
// `connectionString` opens, in one transaction: a fault leaves nothing half-written.
void WriteServerDemo(const std::string& connectionString, bool withData = true);
// The same for a schema (SQLite DDL, as the demo's) and data of the caller's.
void WriteServerDatabase(const std::string& connectionString, std::string_view schema,
                         std::string_view data);

// The columns of a table of the SQLite file `source` that a copy to a server writes: all but the
// identity column, which SQL Server refuses a value for.
std::vector<std::string> CopiedColumns(db::Connection& source, const std::string& table);

// Replaces the rows of every payroll table of the server database `to` with those of the SQLite
// file `from` (a large demo for load tests and benchmarks), in one transaction; columns the file
// declares beyond the schema's are added to the server's tables first.
void CopyPayrollRows(const std::string& from, const std::string& to);

}  // namespace sql
