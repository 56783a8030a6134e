// The fastest plain way to run the same statements on a database server: statements prepared
// once through raw ODBC and executed per record with their parameters bound, with no data layer
// in between; each execution commits by itself, or, with `transactions`, what Commit ends.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "db/value.h"

namespace bench {

class OdbcBaseline {
  public:
    // `connectionString` as the server takes it (ADO's, Provider=MSDASQL).
    OdbcBaseline(const std::string& connectionString, const std::vector<std::string>& sql,
                 bool transactions = false);
    ~OdbcBaseline();
    OdbcBaseline(const OdbcBaseline&) = delete;
    OdbcBaseline& operator=(const OdbcBaseline&) = delete;

    // Runs statement `i` with `params`; returns the rows it changed (found), -1 on failure.
    long Run(std::size_t i, const std::vector<db::Value>& params);
    bool Commit();
    // For a query: runs statement `i`; then Fetch reads its rows one at a time, every value as
    // text (`nulls` marks the Null ones), until it returns false.
    bool Query(std::size_t i, const std::vector<db::Value>& params);
    bool Fetch(std::size_t i, std::vector<std::string>& texts, std::vector<bool>& nulls);
    std::vector<std::string> ColumnNames(std::size_t i);

  private:
    bool Execute(SQLHSTMT stmt, const std::vector<db::Value>& params);

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    std::vector<SQLHSTMT> stmts_;
    std::vector<std::u16string> texts_;
    std::vector<double> numbers_;
    std::vector<SQLLEN> lengths_;
};

}  // namespace bench
