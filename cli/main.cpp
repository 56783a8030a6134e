// wagelink: a command-line host that plays the integration platform. `wagelink --help` and
// `wagelink COMMAND --help` tell how to use it; docs/requests.md what requests and replies hold.
#include <sqlite3.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "base/fault.h"
#include "com/activation.h"
#include "com/error_info.h"
#include "com/registry.h"
#include "demo_database.h"
#include "registrations.h"
#include "reply_summary.h"
#include "request_text.h"
#include "server_database.h"
#include "stop_signals.h"
#include "transact_command.h"
#include "usage_error.h"

namespace {

constexpr const char* kFooter = R"(Exit codes of transact:
  0    the request was answered: every record written, every page delivered
  1    the call failed ("error NUMBER: DESCRIPTION" on standard error)
  2    the command line is wrong (nothing was sent)
  3    the request as a whole was refused (reply code 100, 101 or 710, or the
       fault reply of the set-up: a database that cannot be opened, ...)
  4    some records were rejected or not written, or a batch fault ended the batch
  130  stopped by Ctrl-C at a record boundary (143 for SIGTERM); the reply so far
       is printed
Requests, conditions and replies: docs/requests.md)";

// The libraries built beside the host: the server and the platform's own (login, XML document).
std::vector<std::string> DefaultLibraries() {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path dir = ec ? std::filesystem::path(".") : self.parent_path();
    return {(dir / "libwagelink.so").string(), (dir / "libwagelink-platform.so").string()};
}

void CallExport(const std::string& library, const char* name) {
    auto function = reinterpret_cast<com::DllRegisterServerFn>(com::LoadExport(library, name));
    com::HRESULT hr = function();
    if (com::FAILED(hr)) {
        auto info = com::TakeErrorInfo(hr);
        throw base::Fault(info ? info->number : hr,
                          info ? info->description : std::string(name) + " failed");
    }
}

// The classes the registry holds for `library`.
std::vector<cli::Registration> RegisteredFrom(const std::string& library) {
    std::vector<cli::Registration> out;
    for (cli::Registration& r : cli::Registrations(com::Registry::Open()))
        if (r.library == library) out.push_back(std::move(r));
    return out;
}

int Register(const std::string& library, bool unregister) {
    std::vector<std::string> libraries =
        library.empty() ? DefaultLibraries()
                        : std::vector<std::string>{std::filesystem::absolute(library).string()};
    for (const std::string& l : libraries) {
        if (unregister) {
            CallExport(l, "DllUnregisterServer");
            std::cout << "unregistered " << l << '\n';
            continue;
        }
        CallExport(l, "DllRegisterServer");
        std::cout << "registered in " << com::Registry::DefaultPath() << ":\n"
                  << cli::RegistrationLines(RegisteredFrom(l));
    }
    return 0;
}

std::string VersionText() {
    std::string text = "wagelink " WAGELINK_VERSION "\npugixml " +
                       std::to_string(PUGIXML_VERSION / 1000) + "." +
                       std::to_string(PUGIXML_VERSION % 1000 / 10) + ", SQLite " +
                       std::string(sqlite3_libversion()) + "\n";
    try {
        const com::Registry registry = com::Registry::Open();
        text += "registered in " + registry.path() +
                " (type library 1.1: the current revision, "
                "1.3: the second, 1.0: the first):\n" +
                cli::RegistrationLines(cli::Registrations(registry));
    } catch (const base::Fault&) {
        text += "the registry cannot be read\n";
    }
    return text;
}

// demo-db --connection writes into a database that exists: a server that has none of that name,
// or a string that names none, is told how to make one.
void WriteServerDemo(const std::string& connection) {
    try {
        sql::WriteServerDemo(connection);
    } catch (const base::Fault& fault) {
        const std::string& d = fault.description();
        std::cerr << "error " << fault.number() << ": " << d << '\n';
        if (d.find("No database selected") != std::string::npos ||
            d.find("Unknown database") != std::string::npos ||
            d.find("Cannot open database \"") != std::string::npos)
            std::cerr << "hint: demo-db writes into an empty database that exists: create it on "
                         "the server first (CREATE DATABASE payroll) and name it in the "
                         "connection string (Initial Catalog=payroll, or Database=payroll)\n";
        throw cli::Reported{};
    }
}

// A fault as the person at the prompt reads it: what failed, and what to do about it.
void ReportFault(const base::Fault& fault, const cli::TransactOptions& o) {
    std::cerr << "error " << fault.number() << ": " << fault.description() << '\n';
    if (fault.number() == com::REGDB_E_CLASSNOTREG)
        std::cerr << "hint: the registry file " << com::Registry::DefaultPath()
                  << " holds no such class; register the server with `wagelink register` "
                     "(WAGELINK_REGISTRY names another registry file)\n";
    if (fault.description().find(cli::kNotUtf8) != std::string::npos)
        std::cerr << "hint: a request in another encoding names it in its XML declaration, "
                     "e.g. <?xml version=\"1.0\" encoding=\"GBK\"?>, or begins with a byte "
                     "order mark\n";
    if (fault.number() == base::kObjectNotSet && o.pages.empty())
        std::cerr << "hint: the export is paged (its paginate is 1 or more): give --pages DIR "
                     "to write its pages, or paginate=\"0\" for one reply\n";
}

int Run(int argc, char** argv) {
    CLI::App app{
        "wagelink: plays the integration platform for the Wagelink server. It registers the "
        "server, creates its classes by ProgID, calls Transact by name and prints the reply."};
    app.set_version_flag("--version", VersionText);
    app.require_subcommand(1);

    std::string demoPath, demoConnection;
    CLI::App* demo = app.add_subcommand(
        "demo-db",
        "Write the payroll schema and demo data into a new SQLite file (PATH), or into "
        "the empty server database --connection opens");
    demo->add_option("PATH", demoPath, "the new SQLite file; an existing one is never touched");
    demo->add_option("--connection", demoConnection,
                     "e.g. \"Provider=SQLOLEDB;Data Source=HOST,1433;Initial Catalog=payroll;"
                     "User ID=...;Password=...\"");

    std::string library;
    CLI::App* reg = app.add_subcommand(
        "register",
        "Register a server library (default: the server and the platform's library "
        "built beside the host) in the registry file");
    reg->add_option("LIBRARY", library, "a server library, e.g. build/libwagelink-rev2.so");
    CLI::App* unreg = app.add_subcommand("unregister", "Remove a library's registrations");
    unreg->add_option("LIBRARY", library, "a server library");
    CLI::App* listed = app.add_subcommand(
        "registrations", "List the registered classes: ProgID, type library version, library");

    cli::TransactOptions o;
    std::tm today{};
    std::time_t now = std::time(nullptr);
    localtime_r(&now, &today);
    o.loginYear = today.tm_year + 1900;
    o.loginMonth = today.tm_mon + 1;
    CLI::App* transact = app.add_subcommand(
        "transact", "Call Transact of a class with a request and print the reply");
    transact->add_option("PROGID", o.progId, "Wagelink.ISalaryItem or Wagelink.ISalaryPerson")
        ->required();
    transact
        ->add_option("REQUEST", o.request,
                     "the request file, or - for standard input; read in its byte order "
                     "mark's or XML declaration's encoding (UTF-8 without either)")
        ->required();
    transact
        ->add_option("--connection", o.connection,
                     "the login's ADO connection string, e.g. \"Provider=SQLite;Data "
                     "Source=out/demo.db\" (quote a value holding ';': Data Source=\"a;b.db\")")
        ->required();
    transact->add_option("--login-year", o.loginYear, "the login's year (default: this year)")
        ->check(CLI::Range(1, 9999));
    transact->add_option("--login-month", o.loginMonth, "the login's month (default: this month)")
        ->check(CLI::Range(1, 12));
    transact->add_option("--pages", o.pages,
                         "write every page an export delivers to DIR/page-N-of-COUNT.xml");
    transact->add_flag("--overwrite", o.overwrite,
                       "replace the page files of an earlier run in the --pages DIR");
    transact->add_flag("--validate-only", o.validateOnly,
                       "run an ADD as a trial: every record checked and written as for real, "
                       "the results the real run's, nothing kept");
    transact->add_flag("--summary", o.summary,
                       "after the reply, print the records' outcomes, the first records not "
                       "written and the most frequent messages on standard error");
    transact->add_flag("--progress", o.progress,
                       "show progress on standard error even when it is not a terminal");

    // Set after the subcommands are made, which would take it over.
    app.footer(kFooter);
    transact->footer(kFooter);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : cli::kUsage;
    }

    try {
        if (*demo) {
            if (demoPath.empty() == demoConnection.empty())
                throw cli::UsageError("demo-db takes a PATH or --connection STR, one of them");
            if (!demoConnection.empty()) {
                WriteServerDemo(demoConnection);
                std::cout << "wrote the demo data into the server database\n";
            } else {
                sql::WriteDemoDatabase(demoPath);
                std::cout << "wrote demo database " << demoPath << '\n';
            }
            return 0;
        }
        if (*reg) return Register(library, false);
        if (*unreg) return Register(library, true);
        if (*listed) {
            const com::Registry registry = com::Registry::Open();
            const std::vector<cli::Registration> registered = cli::Registrations(registry);
            if (registered.empty())
                std::cout << "nothing is registered in " << registry.path()
                          << " (wagelink register; WAGELINK_REGISTRY names another file)\n";
            std::cout << cli::RegistrationLines(registered);
            return 0;
        }
        try {
            return cli::Transact(o);
        } catch (const base::Fault& fault) {
            ReportFault(fault, o);
            return cli::StopSignal() ? 128 + cli::StopSignal() : cli::kCallFailed;
        }
    } catch (const cli::Reported&) {
        return cli::kCallFailed;
    } catch (const cli::UsageError& e) {
        std::cerr << "wagelink: " << e.what() << "\n(wagelink --help tells more)\n";
        return cli::kUsage;
    } catch (const base::Fault& f) {
        std::cerr << "error " << f.number() << ": " << f.description() << '\n';
        return cli::kCallFailed;
    } catch (const std::exception& e) {
        std::cerr << "error " << com::E_FAIL << ": " << e.what() << '\n';
        return cli::kCallFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // A full pipe or a file size limit is an error the host reports, not a signal that kills it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    return Run(argc, argv);
}
