// ODBC's SQL types to ADO types. Internal to db/odbc/.
#pragma once

#include <string_view>

#include "db/odbc/sql_headers.h"
#include "db/types.h"

namespace db::odbc {

// The ADO type of a column: from the driver's type name where it is one the declared-type table
// knows (so that money, bit, nvarchar and datetime map as they do on SQLite), else from the SQL
// type code; a text the driver reports as Unicode is Unicode, whatever its name.
DataType TypeOfColumn(SQLSMALLINT sqlType, std::string_view typeName);

// How a column's values are read.
enum class Reading { kInteger, kReal, kText, kBytes };
Reading ReadingOf(DataType type);

}  // namespace db::odbc
