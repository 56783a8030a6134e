// Declared column types (as the ERP's SQL Server declares them) to ADO types; every backend
// maps the type names its database reports through this one table.
#pragma once

#include <optional>
#include <string_view>

#include "db/types.h"
#include "db/value.h"

namespace db {

// The ADO type of a declared type (case-insensitive, size ignored); adEmpty when unknown.
DataType TypeOfDeclared(std::string_view declared);
// The length in a declared type such as "nvarchar(50)"; 0 when it gives none.
std::size_t LengthOfDeclared(std::string_view declared);
// The decimal places an exact number of a declared type keeps: 4 for money and smallmoney, the
// second figure of decimal(p,s) or numeric(p,s), 0 for decimal(p); nullopt for other types.
std::optional<int> ScaleOfDeclared(std::string_view declared);
// The ADO type of an expression column without a declared type, taken from its value.
DataType TypeOfValue(const Value& value);

}  // namespace db
