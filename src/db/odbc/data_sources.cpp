#include "db/odbc/data_sources.h"

#include "base/number.h"
#include "db/odbc/sql_headers.h"
// After the ODBC headers, which it builds on.
#include <odbcinst.h>

namespace db::odbc {

std::optional<long> DataSourceNumber(const std::string& dsn, const char* key) {
    char value[64] = {};
    const int length =
        SQLGetPrivateProfileString(dsn.c_str(), key, "", value, sizeof value, "odbc.ini");
    if (length <= 0) return std::nullopt;
    auto number = base::WholeNumber(std::string(value, static_cast<std::size_t>(length)));
    if (!number || *number < 0 || *number > 0x7FFFFFFF) return std::nullopt;
    return static_cast<long>(*number);
}

}  // namespace db::odbc
