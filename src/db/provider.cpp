#include "db/provider.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/fault.h"
#include "base/number.h"
#include "base/text.h"
#include "db/connection_keys.h"
#include "db/file_database.h"
#include "db/odbc/database.h"
#include "db/sql_server_driver.h"
#include "db/types.h"

namespace db {

namespace {

// MariaDB's or MySQL's driver, spoken to in UTF-8 (db/odbc/text_api.h).
bool IsUtf8Driver(std::string_view driver) {
    const std::string name = base::AsciiLower(driver);
    return name.find("mariadb") != std::string::npos || name.find("mysql") != std::string::npos;
}

long TimeoutSeconds(const std::string& text) {
    auto seconds = base::WholeNumber(text);
    if (!seconds || *seconds < 0 || *seconds > 86400 || *seconds != static_cast<long>(*seconds))
        throw base::Fault(kProviderError, "The connection string is malformed: Connect Timeout " +
                                              text + " is not a number of seconds");
    return static_cast<long>(*seconds);
}

// The keys each provider reads or knows to have no use here; any other key is a fault, so that a
// typo (Provder=, Initail Catalog=) is not dropped without a word.
constexpr std::string_view kSqliteKeys[] = {"provider", "data source", "persist security info"};
constexpr std::string_view kSqlServerKeys[] = {"provider",
                                               "data source",
                                               "server",
                                               "address",
                                               "addr",
                                               "network address",
                                               "initial catalog",
                                               "database",
                                               "user id",
                                               "uid",
                                               "user",
                                               "password",
                                               "pwd",
                                               "integrated security",
                                               "trusted_connection",
                                               "application name",
                                               "app",
                                               "workstation id",
                                               "wsid",
                                               "packet size",
                                               "encrypt",
                                               "use encryption for data",
                                               "trust server certificate",
                                               "connect timeout",
                                               "connection timeout",
                                               "timeout",
                                               "persist security info",
                                               "auto translate",
                                               "use procedure for prepare",
                                               "current language",
                                               "language",
                                               "network library",
                                               "net",
                                               "datatypecompatibility",
                                               "mars connection",
                                               "failover partner",
                                               "initial file name",
                                               "tag with column collation when possible",
                                               "application intent",
                                               "multisubnetfailover",
                                               "connect retry count",
                                               "connect retry interval",
                                               "general timeout",
                                               "ole db services",
                                               "locale identifier",
                                               "mode",
                                               "prompt",
                                               "persistsensitive"};
// Keys that name a server: without a Provider the string would open a SQLite file instead.
constexpr std::string_view kServerKeys[] = {
    "initial catalog", "database", "user id", "uid",
    "server",          "password", "pwd",     "integrated security"};

template <std::size_t N>
bool Knows(const std::string_view (&keys)[N], std::string_view key) {
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
}

template <std::size_t N>
void RequireKnownKeys(const ConnectionString& parsed, const std::string_view (&keys)[N],
                      std::string_view provider, std::string_view named) {
    for (const auto& pair : parsed.pairs()) {
        const std::string& key = pair.first;
        if (Knows(keys, key)) continue;
        if (parsed.FollowsPassword(key))
            throw base::Fault(kProviderError,
                              "The connection string has a key the " + std::string(provider) +
                                  " provider does not know right after the password; a password "
                                  "that holds ';' goes in quotes: Password=\"...\"");
        throw base::Fault(kProviderError, "The connection string has a key the " +
                                              std::string(provider) + " provider does not know: '" +
                                              key + "'; it reads " + std::string(named));
    }
}

// A string without Provider opens a SQLite file; one that names a server (a Data Source of
// HOST,PORT, an Initial Catalog, a User ID) was meant for a server.
void RefuseServerKeysWithoutProvider(const ConnectionString& parsed) {
    if (parsed.Get("provider")) return;
    std::optional<std::string> why;
    for (const auto& [key, value] : parsed.pairs())
        if (Knows(kServerKeys, key)) why = key;
    const std::string source = parsed.Get("data source").value_or("");
    const std::size_t comma = source.rfind(',');
    if (comma != std::string::npos && comma + 1 < source.size() &&
        source.find_first_not_of("0123456789 ", comma + 1) == std::string::npos)
        why = "data source " + source;
    if (!why) return;
    throw base::Fault(kProviderError,
                      "The connection string names no Provider, so it would open a SQLite file, "
                      "but it names a server (" +
                          *why +
                          "): for SQL Server begin it with Provider=SQLOLEDB; for another server "
                          "with Provider=MSDASQL;Driver={...};");
}

}  // namespace

std::optional<std::string> FirstOf(const ConnectionString& parsed,
                                   std::initializer_list<std::string_view> keys) {
    for (std::string_view key : keys)
        if (auto value = parsed.Get(key)) return value;
    return std::nullopt;
}

bool IsYes(std::string_view value) {
    std::string v = base::AsciiLower(value);
    return v == "yes" || v == "true" || v == "sspi" || v == "mandatory" || v == "strict";
}

void AddKey(std::string& to, std::string_view key, std::string_view value) {
    to.append(key).append("=").append(OdbcValue(value)).append(";");
}

Provider ProviderOf(const ConnectionString& parsed) {
    std::string provider = parsed.Get("provider").value_or("SQLite");
    std::string name = base::AsciiLower(provider);
    // A versioned name ("SQLOLEDB.1", "MSOLEDBSQL19") names the same provider.
    if (auto dot = name.find('.'); dot != std::string::npos) name.erase(dot);
    if (name == "sqlite") return Provider::kSqlite;
    if (name == "sqloledb" || name == "sqlncli" || name == "sqlncli10" || name == "sqlncli11" ||
        name == "msoledbsql" || name == "msoledbsql19")
        return Provider::kSqlServer;
    if (name == "msdasql") return Provider::kOdbc;
    throw base::Fault(kProviderNotFound, "Provider cannot be found: " + provider);
}

std::string OdbcValue(std::string_view value) {
    bool plain = !value.empty() && value.front() != ' ' && value.back() != ' ' &&
                 value.find_first_of(";{}") == std::string_view::npos;
    return plain ? std::string(value) : "{" + base::ReplaceAll(std::string(value), "}", "}}") + "}";
}

OdbcTarget SqlServerTarget(const ConnectionString& parsed) {
    RequireKnownKeys(parsed, kSqlServerKeys, "SQL Server",
                     "Data Source, Initial Catalog, User ID, Password, Encrypt, Connect Timeout, "
                     "Application Name, Workstation ID, Packet Size and ADO's other keys");
    OdbcTarget target;
    std::string& s = target.connectionString;
    AddSqlServerDriver(
        s, FirstOf(parsed, {"data source", "server", "address", "addr", "network address"})
               .value_or(""));
    if (auto db = FirstOf(parsed, {"initial catalog", "database"})) AddKey(s, "Database", *db);
    if (auto user = FirstOf(parsed, {"user id", "uid", "user"})) AddKey(s, "UID", *user);
    if (auto password = FirstOf(parsed, {"password", "pwd"})) {
        AddKey(s, "PWD", *password);
        target.password = *password;
    }
    if (auto app = FirstOf(parsed, {"application name", "app"})) AddKey(s, "APP", *app);
    if (auto wsid = FirstOf(parsed, {"workstation id", "wsid"})) AddKey(s, "WSID", *wsid);
    if (auto packet = parsed.Get("packet size")) AddKey(s, "PacketSize", *packet);
    AddSqlServerSecurity(s, parsed);
    if (auto timeout = FirstOf(parsed, {"connect timeout", "connection timeout", "timeout"}))
        target.loginTimeoutSeconds = TimeoutSeconds(*timeout);
    return target;
}

namespace {

// MSDASQL's keys for SQLDriverConnect; for MariaDB's or MySQL's driver (`family`) in UTF-8 and
// with `option` in place of the string's.
OdbcTarget Passthrough(const ConnectionString& parsed, bool family, long option = 0) {
    OdbcTarget target;
    target.utf8Api = family;
    const bool dsn = parsed.Get("dsn").has_value();
    for (const auto& [key, value] : parsed.pairs()) {
        if (key == "provider" || (family && (key == "charset" || key == "option"))) continue;
        // ADO names the data source name of MSDASQL "Data Source".
        const std::string name = key == "data source" && !dsn ? "dsn" : key;
        // A value written in ODBC's own braces stands as written.
        bool braced = value.size() >= 2 && value.front() == '{' && value.back() == '}';
        target.connectionString.append(name).append("=").append(braced ? value : OdbcValue(value));
        target.connectionString += ';';
        if (key == "pwd" || key == "password") target.password = value;
    }
    if (family)
        target.connectionString +=
            kUtf8Charset + std::string("OPTION=") + std::to_string(option) + ";";
    else
        target.passthrough = parsed;
    return target;
}

// Matched rows, found rows in the drivers' words.
constexpr long kFoundRows = 2;

}  // namespace

OdbcTarget MySqlFamilyTarget(const ConnectionString& parsed, std::optional<long> dataSourceOption) {
    long option = dataSourceOption.value_or(0);
    if (std::optional<std::string> own = parsed.Get("option")) {
        auto number = base::WholeNumber(*own);
        if (!number || *number < 0 || *number > 0x7FFFFFFF)
            throw base::Fault(kProviderError, "The connection string is malformed: Option " + *own +
                                                  " is not a number");
        option = static_cast<long>(*number);
    }
    return Passthrough(parsed, true, option | kFoundRows);
}

OdbcTarget OdbcPassthrough(const ConnectionString& parsed) {
    std::optional<std::string> driver = parsed.Get("driver");
    if (driver && IsUtf8Driver(*driver)) return MySqlFamilyTarget(parsed, std::nullopt);
    return Passthrough(parsed, false);
}

std::unique_ptr<Backend> OpenBackend(const std::string& connectionString) {
    ConnectionString parsed(connectionString);
    switch (ProviderOf(parsed)) {
        case Provider::kSqlServer:
            return std::make_unique<odbc::Database>(SqlServerTarget(parsed));
        case Provider::kOdbc:
            return std::make_unique<odbc::Database>(OdbcPassthrough(parsed));
        case Provider::kSqlite:
            break;
    }
    RefuseServerKeysWithoutProvider(parsed);
    RequireKnownKeys(parsed, kSqliteKeys, "SQLite", "Provider, Data Source");
    std::string dataSource = parsed.Get("data source").value_or("");
    if (dataSource.empty())
        throw base::Fault(kProviderError, "The connection string names no Data Source");
    return OpenFileDatabase(dataSource);
}

}  // namespace db
