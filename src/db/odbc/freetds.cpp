// The SQL Server provider's keys as FreeTDS reads them (db/sql_server_driver.h): Server and Port,
// Encryption, and always UTF-8 as the client character set and TDS 7.4. Integrated security and
// Encrypt=Strict are faults: FreeTDS cannot do them.
#include "base/fault.h"
#include "base/text.h"
#include "db/connection_keys.h"
#include "db/sql_server_driver.h"
#include "db/types.h"

namespace db {

namespace {

[[noreturn]] void Unsupported(const std::string& what) {
    throw base::Fault(kProviderError,
                      "The connection string asks for what FreeTDS cannot do: " + what);
}

// Encrypt (or ADO's Use Encryption for Data): required, or asked for where the server offers it.
// FreeTDS 1.3 speaks TDS 7.4, whose encryption begins after the login's first packet; the strict
// encryption of TDS 8.0 it does not speak, so a string that asks for it is refused rather than
// connected with less.
void AddEncryption(std::string& to, const ConnectionString& parsed) {
    auto encrypt = FirstOf(parsed, {"encrypt", "use encryption for data"});
    if (!encrypt) return;
    if (base::EqualNoCase(base::Trim(*encrypt), "strict"))
        Unsupported("Encrypt=Strict needs TDS 8.0; use Encrypt=yes");
    AddKey(to, "Encryption", IsYes(*encrypt) ? "require" : "request");
}

}  // namespace

void AddSqlServerDriver(std::string& to, std::string server) {
    AddKey(to, "Driver", "FreeTDS");
    if (base::EqualNoCase(std::string_view(server).substr(0, 4), "tcp:")) server.erase(0, 4);
    std::string port;
    if (auto comma = server.find(','); comma != std::string::npos) {
        port = base::Trim(server.substr(comma + 1));
        server = base::Trim(server.substr(0, comma));
    }
    std::string instance;
    if (auto slash = server.find('\\'); slash != std::string::npos) {
        instance = server.substr(slash);
        server.erase(slash);
    }
    if (server.empty() || server == "." || base::EqualNoCase(server, "(local)") ||
        base::EqualNoCase(server, "localhost"))
        server = "127.0.0.1";
    AddKey(to, "Server", server + instance);
    if (!port.empty()) AddKey(to, "Port", port);
}

void AddSqlServerSecurity(std::string& to, const ConnectionString& parsed) {
    // FreeTDS signs in with Windows credentials only through Kerberos, whose service name the
    // host's rewrite of "(local)" would break; a Windows account signs in by name and password.
    if (auto trusted = FirstOf(parsed, {"integrated security", "trusted_connection"});
        trusted && IsYes(*trusted))
        Unsupported("integrated security (" + *trusted +
                    "); sign in with User ID=DOMAIN\\user;Password=... or a SQL Server login");
    AddEncryption(to, parsed);
    AddKey(to, "ClientCharset", "UTF-8");
    AddKey(to, "TDS_Version", "7.4");
}

}  // namespace db
