// ODBC handles that free themselves, and the diagnostics of a failed call as a fault.
// Internal to db/odbc/.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "db/odbc/sql_headers.h"

namespace db::odbc {

template <SQLSMALLINT kType>
struct FreeHandle {
    void operator()(SQLHANDLE handle) const { SQLFreeHandle(kType, handle); }
};
template <SQLSMALLINT kType>
using Handle = std::unique_ptr<std::remove_pointer_t<SQLHANDLE>, FreeHandle<kType>>;
using EnvironmentHandle = Handle<SQL_HANDLE_ENV>;

// An environment for ODBC 3 calls; null when the driver manager cannot make one.
EnvironmentHandle NewEnvironment();
using ConnectionHandle = Handle<SQL_HANDLE_DBC>;
using StatementHandle = Handle<SQL_HANDLE_STMT>;

// An open link of a connection handle, closed as it goes (before the handle is freed, and also
// when a constructor that opened it throws).
class Link {
  public:
    Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link() {
        if (dbc_) SQLDisconnect(dbc_);
    }
    void Opened(SQLHDBC dbc) { dbc_ = dbc; }
    void Close() {
        if (dbc_) SQLDisconnect(dbc_);
        dbc_ = SQL_NULL_HDBC;
    }

  private:
    SQLHDBC dbc_ = SQL_NULL_HDBC;
};

// The first `length` characters of a text the driver wrote, as UTF-8.
std::string Narrow(const SQLWCHAR* text, std::size_t length);

inline bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// Every diagnostic record of `handle`, "[SQLSTATE] message" joined by "; ", with `password`
// blanked wherever a driver repeats it as a word of its own (the rest of the text as the driver
// wrote it); then thrown as the fault its SQLSTATE or native error
// number means (see db/backend.h): the connection lost (08xxx), a deadlock or serialization
// failure (40001, 40P01, SQL Server 1205, MariaDB 1213), a lock that stayed taken (SQL Server's
// lock request time-out 1222, MariaDB's auto-increment lock 1467: contention), a time-out (HYT00,
// HYT01, MariaDB's lock wait time-out 1205), an integrity violation (23xxx), a rejected statement
// (42xxx) or another failure.
class TextApi;
[[noreturn]] void Fail(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view password,
                       const TextApi& api);

}  // namespace db::odbc
