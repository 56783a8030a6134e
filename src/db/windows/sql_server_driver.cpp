// The SQL Server provider's keys for Windows' own SQL Server drivers (db/sql_server_driver.h):
// the newest one installed, the server as ADO writes it (which these drivers read alike),
// Windows sign-in when Integrated Security asks for it, and encryption as asked for, none when
// the string does not ask (as the OLE DB providers did; ODBC Driver 18 would otherwise require
// it).
#include "db/sql_server_driver.h"

#include <set>
#include <string>

#include "base/fault.h"
#include "base/text.h"
#include "db/connection_keys.h"
#include "db/odbc/handles.h"
#include "db/types.h"

namespace db {

namespace {

constexpr const char* kNewestFirst[] = {"ODBC Driver 18 for SQL Server",
                                        "ODBC Driver 17 for SQL Server"};
constexpr const char* kEveryWindows = "SQL Server";

std::set<std::string> InstalledDrivers() {
    std::set<std::string> names;
    const odbc::EnvironmentHandle env = odbc::NewEnvironment();
    if (!env) return names;
    SQLWCHAR name[256];
    SQLWCHAR attributes[1024];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST; SQL_SUCCEEDED(SQLDriversW(
             env.get(), direction, name, 256, &nameLength, attributes, 1024, &attributesLength));
         direction = SQL_FETCH_NEXT) {
        names.insert(odbc::Narrow(name, static_cast<std::size_t>(nameLength)));
    }
    return names;
}

const std::string& NewestDriver() {
    static const std::string chosen = [] {
        const std::set<std::string> installed = InstalledDrivers();
        for (const char* driver : kNewestFirst)
            if (installed.count(driver)) return std::string(driver);
        return std::string(kEveryWindows);
    }();
    return chosen;
}

}  // namespace

void AddSqlServerDriver(std::string& to, std::string server) {
    AddKey(to, "Driver", NewestDriver());
    server = base::Trim(server);
    AddKey(to, "Server", server.empty() ? "(local)" : server);
}

void AddSqlServerSecurity(std::string& to, const ConnectionString& parsed) {
    if (auto trusted = FirstOf(parsed, {"integrated security", "trusted_connection"});
        trusted && IsYes(*trusted))
        AddKey(to, "Trusted_Connection", "Yes");
    auto encrypt = FirstOf(parsed, {"encrypt", "use encryption for data"});
    if (encrypt && base::EqualNoCase(base::Trim(*encrypt), "strict")) {
        if (NewestDriver() != kNewestFirst[0])
            throw base::Fault(kProviderError,
                              "The connection string asks for Encrypt=Strict, which needs ODBC "
                              "Driver 18 for SQL Server; the newest installed is " +
                                  NewestDriver());
        AddKey(to, "Encrypt", "Strict");
    } else {
        AddKey(to, "Encrypt", encrypt && IsYes(*encrypt) ? "yes" : "no");
    }
    if (auto trust = parsed.Get("trust server certificate"); trust && IsYes(*trust))
        AddKey(to, "TrustServerCertificate", "yes");
}

}  // namespace db
