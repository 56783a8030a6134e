// The payroll schema and the demo data set of a small fictional company, built into the program.
#pragma once

#include <string>
#include <string_view>

namespace sql {

// The payroll schema (SQLite DDL) and the demo data, as built into the program.
std::string_view SchemaScript();
std::string_view DemoScript();

// Writes a new database file at `path`; an existing file is refused (a fault), never overwritten.
void WriteDemoDatabase(const std::string& path);
// Writes the schema alone (for tests that bring their own rows).
void WriteEmptyDatabase(const std::string& path);

}  // namespace sql
