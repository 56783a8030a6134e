// How the SQL Server provider's keys reach an ODBC driver. On Linux the driver is FreeTDS through
// unixODBC (db/odbc/freetds.cpp); on Windows the newest SQL Server driver installed: ODBC Driver
// 18 or 17 for SQL Server, else the "SQL Server" driver every Windows has
// (db/windows/sql_server_driver.cpp). The keys that every driver reads alike (the database, the
// login, the application and workstation names, the packet size) are written by
// db/provider.cpp.
#pragma once

#include <string>

#include "db/connection_string.h"

namespace db {

// Appends the driver and the server (from `server`, as ADO writes Data Source: HOST, HOST,PORT or
// HOST\INSTANCE, with "tcp:" allowed before it and "(local)" or "." for this machine).
void AddSqlServerDriver(std::string& to, std::string server);

// Appends the sign-in kind and the encryption the string asks for, and what the driver always
// needs; a fault for what the driver cannot do.
void AddSqlServerSecurity(std::string& to, const ConnectionString& parsed);

}  // namespace db
