// Creates a new SQLite database file from an SQL script (the schema and demo data writer).
#pragma once

#include <string>
#include <string_view>

namespace sql {

// Writes a new database at `path` and runs `script` in it in one transaction. An existing file
// is never touched: that is a fault, and so is a script that fails (the new file is removed).
void CreateDatabase(const std::string& path, std::string_view script);

}  // namespace sql
