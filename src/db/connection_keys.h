// Reading an ADO connection string's keys and writing an ODBC one: shared by the provider
// translation (db/provider.cpp) and the SQL Server driver keys of each platform
// (db/sql_server_driver.h).
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "db/connection_string.h"

namespace db {

// The first of `keys` the string names.
std::optional<std::string> FirstOf(const ConnectionString& parsed,
                                   std::initializer_list<std::string_view> keys);

// Whether a value says yes as ADO's keys do (yes, true, sspi, mandatory, strict).
bool IsYes(std::string_view value);

// Appends KEY=VALUE; to an ODBC connection string, the value quoted as ODBC wants.
void AddKey(std::string& to, std::string_view key, std::string_view value);

}  // namespace db
