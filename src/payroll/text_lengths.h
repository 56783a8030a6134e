// The production database refuses a text longer than its column's declared length (SQLite stores
// it whole); so a writer measures its text values first, as that database would: characters
// (UTF-16 units) for nchar and nvarchar, bytes of the code page (GenLen) for char and varchar.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/lookup.h"
#include "messages/messages.h"

namespace payroll {

// The failure message for the first of `values` whose text is longer than its column (the same
// position of `columns`, of `table`) allows, naming the column as `columns` does; nullopt when
// every value fits. The declarations are
// read once per request.
std::optional<std::string> TooLongValue(db::Connection& connection, db::LookupCache& lookups,
                                        messages::Messages& messages, const std::string& table,
                                        const std::vector<std::string>& columns,
                                        const std::vector<db::Value>& values);

}  // namespace payroll
