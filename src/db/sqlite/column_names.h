// Result column names as the statement writes them, which SQLite does not give by itself.
//
// The production database names a result column that is a plain column reference without an
// alias (`department.cdepname`, `cDept_Num`) by its spelling in the select list; SQLite names it
// as the table declares it (`cDepName`). Code that tests a column name exactly would then find it
// on one database and miss it on the other. So before SQLite prepares a statement, each such
// reference in the outermost select list gets an alias of its own spelling; `*` and `table.*`
// keep the declared names, and everything else is left as it is.
#pragma once

#include <string>
#include <string_view>

namespace db::sqlite {

// `sql` with `AS "name"` after every plain column reference of its first select list; unchanged
// when it is not a SELECT (or begins with WITH), or has no such reference.
std::string NameColumnsAsWritten(std::string_view sql);

}  // namespace db::sqlite
