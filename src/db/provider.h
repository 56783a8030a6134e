// ADO connection strings to the backend that opens them.
//
//   Provider=SQLite;Data Source=PATH     SQLite (the default provider);
//   Provider=SQLOLEDB, SQLNCLI, SQLNCLI11 or MSOLEDBSQL
//                                        SQL Server through ODBC, the ADO keys translated
//                                        (SqlServerTarget): FreeTDS through unixODBC, on Windows
//                                        the system's SQL Server driver;
//   Provider=MSDASQL                     any ODBC driver: every key but Provider passed to
//                                        unixODBC as it stands (DSN=, Driver=, the driver's own).
// Any other provider is a fault naming it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/connection_string.h"

namespace db {

// The character set of a connection spoken to in UTF-8, as MariaDB's driver reads it.
inline constexpr const char* kUtf8Charset = "CHARSET=utf8mb4;";

// What an ODBC backend is opened with.
struct OdbcTarget {
    std::string connectionString;  // as SQLDriverConnect reads it
    long loginTimeoutSeconds = 0;  // 0: the driver's default
    std::string password;          // kept out of every fault text
    // The driver is spoken to in UTF-8 (db/odbc/text_api.h): MariaDB's or MySQL's, by its name,
    // with kUtf8Charset in the connection string in place of any character set it named.
    bool utf8Api = false;
    // MSDASQL's keys, from which the target is made again (MySqlFamilyTarget) when the driver
    // behind a data source turns out to be MariaDB's or MySQL's.
    std::optional<ConnectionString> passthrough;
};

enum class Provider { kSqlite, kSqlServer, kOdbc };

// The provider a connection string names; a fault naming an unknown one.
Provider ProviderOf(const ConnectionString& parsed);

// The SQL Server provider's keys as the platform's SQL Server driver reads them
// (db/sql_server_driver.h): Data Source (or Server, Address) as HOST, HOST,PORT, HOST\INSTANCE,
// "(local)" or "."; Initial Catalog (or Database); User ID and Password; Connect Timeout;
// Application Name; Workstation ID; Packet Size; Encrypt (or Use Encryption for Data). Keys it
// has no use for (Persist Security Info, ...) are left out. With FreeTDS, always UTF-8 as the
// client character set and TDS 7.4, and a fault for what it cannot do: integrated security
// (Integrated Security=SSPI, Trusted_Connection=yes) and Encrypt=Strict.
OdbcTarget SqlServerTarget(const ConnectionString& parsed);

// MSDASQL: every key but Provider as it stands (Data Source, as ADO writes the DSN, becomes DSN),
// values re-quoted in ODBC's braces where needed.
OdbcTarget OdbcPassthrough(const ConnectionString& parsed);

// MariaDB's or MySQL's driver, named by the string or found behind its data source: spoken to
// in UTF-8, and asked for the rows an UPDATE matched (option bit 2, FOUND_ROWS) rather than those
// it changed, so that a row whose values are already those written is not taken for a missing
// one, whatever the string or the data source says; the other option bits stay as the string,
// or else the data source (`dataSourceOption`), sets them.
OdbcTarget MySqlFamilyTarget(const ConnectionString& parsed, std::optional<long> dataSourceOption);

// A value as an ODBC connection string may hold it: in braces, '}' doubled, when it holds a ';',
// a brace or blanks at its ends.
std::string OdbcValue(std::string_view value);

}  // namespace db
