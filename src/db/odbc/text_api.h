// The ODBC calls that carry text, in one of two forms: UTF-16 through the W functions, or UTF-8
// bytes through the narrow ones. Internal to db/odbc/.
//
// MariaDB's driver turns UTF-16 into UTF-8 wrongly: a bound 李四 gained a NUL byte, and a long
// statement of Chinese literals was read past its end (heap corruption in the caller's process,
// seen under valgrind). Spoken to in UTF-8 on a connection made with the narrow functions, the
// same driver passes every character as it is. So that driver gets UTF-8 throughout; every other
// driver (FreeTDS, whose natural form it is) UTF-16. The form is the connection's for its life:
// unixODBC converts the narrow calls of a connection made with the W functions by the process's
// locale, and so garbles them.
#pragma once

#include <string>
#include <string_view>

#include "db/odbc/sql_headers.h"

namespace db::odbc {

class TextApi {
  public:
    explicit TextApi(bool utf8) : utf8_(utf8) {}
    bool utf8() const { return utf8_; }

    SQLRETURN DriverConnect(SQLHDBC dbc, std::string_view connectionString) const;
    SQLRETURN Prepare(SQLHSTMT stmt, std::string_view sql) const;
    SQLRETURN ExecDirect(SQLHSTMT stmt, std::string_view sql) const;
    // The name and SQL type of result column `column` (from 1).
    SQLRETURN DescribeColumn(SQLHSTMT stmt, SQLUSMALLINT column, std::string& name,
                             SQLSMALLINT& sqlType) const;
    // The database's name of the column's type ("nvarchar"); empty when the driver gives none.
    std::string ColumnTypeName(SQLHSTMT stmt, SQLUSMALLINT column) const;
    // The catalog's tables, and the columns of `table`.
    SQLRETURN Tables(SQLHSTMT stmt) const;
    SQLRETURN Columns(SQLHSTMT stmt, std::string_view table) const;
    // The server's own name (SQL_DBMS_NAME).
    std::string DbmsName(SQLHDBC dbc) const;
    // Diagnostic record `record` (from 1) of a handle: false when there is none.
    bool Diagnostic(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                    std::string& state, SQLINTEGER& native, std::string& message) const;

  private:
    bool utf8_;
};

}  // namespace db::odbc
