#include "odbc_baseline.h"

#include <cstdio>
#include <cstdlib>

#include "base/utf.h"
#include "db/connection_string.h"
#include "db/provider.h"

namespace bench {

namespace {

SQLWCHAR* Wide(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

[[noreturn]] void Abort(const char* what) {
    std::fprintf(stderr, "odbc baseline: %s failed\n", what);
    std::abort();
}

}  // namespace

OdbcBaseline::OdbcBaseline(const std::string& connectionString, const std::vector<std::string>& sql,
                           bool transactions) {
    std::u16string odbc = base::Utf8ToUtf16(
        db::OdbcPassthrough(db::ConnectionString(connectionString)).connectionString);
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    if (!SQL_SUCCEEDED(SQLDriverConnectW(dbc_, nullptr, Wide(odbc),
                                         static_cast<SQLSMALLINT>(odbc.size()), nullptr, 0, nullptr,
                                         SQL_DRIVER_NOPROMPT)))
        Abort("connect");
    if (transactions)
        SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    for (const std::string& statement : sql) {
        std::u16string text = base::Utf8ToUtf16(statement);
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
        if (!SQL_SUCCEEDED(SQLPrepareW(stmt, Wide(text), static_cast<SQLINTEGER>(text.size()))))
            Abort("prepare");
        stmts_.push_back(stmt);
    }
}

OdbcBaseline::~OdbcBaseline() {
    for (SQLHSTMT stmt : stmts_) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

bool OdbcBaseline::Execute(SQLHSTMT stmt, const std::vector<db::Value>& params) {
    texts_.clear();
    numbers_.clear();
    texts_.reserve(params.size());
    numbers_.reserve(params.size());
    lengths_.assign(params.size(), 0);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const auto index = static_cast<SQLUSMALLINT>(i + 1);
        if (auto text = std::get_if<std::string>(&params[i])) {
            texts_.push_back(base::Utf8ToUtf16(*text));
            lengths_[i] = static_cast<SQLLEN>(texts_.back().size() * 2);
            SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                             texts_.back().size() + 1, 0, Wide(texts_.back()), lengths_[i],
                             &lengths_[i]);
        } else {
            numbers_.push_back(db::ValueNumber(params[i]));
            SQLBindParameter(stmt, index, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0,
                             &numbers_.back(), 0, nullptr);
        }
    }
    return SQL_SUCCEEDED(SQLExecute(stmt));
}

long OdbcBaseline::Run(std::size_t i, const std::vector<db::Value>& params) {
    if (!Execute(stmts_[i], params)) return -1;
    SQLLEN rows = 0;
    SQLRowCount(stmts_[i], &rows);
    return static_cast<long>(rows);
}

bool OdbcBaseline::Commit() {
    return SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_COMMIT));
}

bool OdbcBaseline::Query(std::size_t i, const std::vector<db::Value>& params) {
    SQLCloseCursor(stmts_[i]);
    return Execute(stmts_[i], params);
}

std::vector<std::string> OdbcBaseline::ColumnNames(std::size_t i) {
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmts_[i], &columns);
    std::vector<std::string> names;
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
        char16_t name[256] = {};
        SQLSMALLINT length = 0;
        SQLDescribeColW(stmts_[i], c, reinterpret_cast<SQLWCHAR*>(name), 256, &length, nullptr,
                        nullptr, nullptr, nullptr);
        names.push_back(base::Utf16ToUtf8(name));
    }
    return names;
}

bool OdbcBaseline::Fetch(std::size_t i, std::vector<std::string>& texts, std::vector<bool>& nulls) {
    SQLHSTMT stmt = stmts_[i];
    if (!SQL_SUCCEEDED(SQLFetch(stmt))) return false;
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    texts.resize(static_cast<std::size_t>(columns));
    nulls.resize(static_cast<std::size_t>(columns));
    char16_t value[4096];
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
        SQLLEN length = 0;
        value[0] = 0;
        SQLGetData(stmt, c, SQL_C_WCHAR, value, sizeof value, &length);
        nulls[c - 1] = length == SQL_NULL_DATA;
        texts[c - 1] = base::Utf16ToUtf8(value);
    }
    return true;
}

}  // namespace bench
