// What the system's ODBC configuration says of a data source (odbc.ini, or the registry on
// Windows). Internal to db/odbc/.
#pragma once

#include <optional>
#include <string>

namespace db::odbc {

// The number the data source `dsn` sets for `key`; nullopt when it sets none, or no number.
std::optional<long> DataSourceNumber(const std::string& dsn, const char* key);

}  // namespace db::odbc
