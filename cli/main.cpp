// wagelink: a command-line host that plays the integration platform.
//
//   wagelink demo-db PATH
//   wagelink register [LIBRARY]      (default: the server and the platform's library)
//   wagelink unregister [LIBRARY]
//   wagelink transact PROGID REQUEST --connection STR [--login-year Y] [--login-month M]
//                     [--pages DIR] [--validate-only] [--summary]
//
// Exit codes: 0 done, 1 the call failed ("error NUMBER: DESCRIPTION" on standard error),
// 2 usage error.
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "com/activation.h"
#include "com/error_info.h"
#include "com/late_call.h"
#include "demo_database.h"
#include "page_writer.h"
#include "reply_summary.h"
#include "request_text.h"
#include "server_database.h"
#include "trial_request.h"

namespace {

using cli::kUsage;
constexpr int kFailed = cli::kCallFailed;

constexpr const char* kUsageText =
    "usage:\n"
    "  wagelink demo-db PATH | --connection STR\n"
    "  wagelink register [LIBRARY]\n"
    "  wagelink unregister [LIBRARY]\n"
    "  wagelink transact PROGID REQUEST --connection STR [--login-year Y] [--login-month M]\n"
    "                    [--pages DIR] [--validate-only] [--summary]\n"
    "  wagelink --help | --version\n"
    "REQUEST is a file (UTF-8, or UTF-16 with a byte order mark), or - for standard input.\n"
    "--validate-only runs an ADD as a trial: every record is checked and written as for real,\n"
    "the results are the real run's, and nothing is kept. --summary prints the outcomes of the\n"
    "records and the most frequent messages on standard error after the reply.\n"
    "register and unregister without LIBRARY take the server and the platform's library.\n"
    "demo-db --connection writes the payroll tables and the demo data into the (empty) server\n"
    "database the connection string opens, e.g. \"Provider=SQLOLEDB;Data Source=HOST,1433;\n"
    "Initial Catalog=payroll;User ID=...;Password=...\".\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The libraries built beside the host: the server and the platform's own (login, XML document).
std::vector<std::string> DefaultLibraries() {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path dir = ec ? std::filesystem::path(".") : self.parent_path();
    return {(dir / "libwagelink.so").string(), (dir / "libwagelink-platform.so").string()};
}

// A whole number option within [low, high].
long NumberOption(const std::string& option, const std::string& text, long low, long high) {
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError(option + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    return value;
}

std::string ReadRequest(const std::string& source) {
    std::ifstream file;
    if (source != "-") {
        file.open(source, std::ios::binary);
        if (!file) throw base::Fault(base::kFileNotFound, "File not found: " + source);
    }
    std::istream& in = source == "-" ? std::cin : file;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return cli::RequestText(std::move(bytes));
}

void CallExport(const std::string& library, const char* name) {
    auto function = reinterpret_cast<com::DllRegisterServerFn>(com::LoadExport(library, name));
    com::HRESULT hr = function();
    if (com::FAILED(hr)) {
        auto info = com::TakeErrorInfo();
        throw base::Fault(info ? info->number : hr,
                          info ? info->description : std::string(name) + " failed");
    }
}

struct TransactOptions {
    std::string progId;
    std::string request;
    std::string connection;
    std::string loginYear;
    long loginMonth = 0;
    std::string pages;
    bool validateOnly = false;
    bool summary = false;
};

TransactOptions ParseTransact(const std::vector<std::string>& args) {
    TransactOptions o;
    std::tm today{};
    std::time_t now = std::time(nullptr);
    localtime_r(&now, &today);
    o.loginYear = std::to_string(today.tm_year + 1900);
    o.loginMonth = today.tm_mon + 1;
    std::vector<std::string> positional;
    bool haveConnection = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--connection") {
            o.connection = value();
            haveConnection = true;
        } else if (a == "--login-year") {
            o.loginYear = std::to_string(NumberOption(a, value(), 1, 9999));
        } else if (a == "--login-month") {
            o.loginMonth = NumberOption(a, value(), 1, 12);
        } else if (a == "--pages") {
            o.pages = value();
        } else if (a == "--validate-only") {
            o.validateOnly = true;
        } else if (a == "--summary") {
            o.summary = true;
        } else if (a.size() > 2 && a.rfind("--", 0) == 0) {
            throw UsageError("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2 || !haveConnection)
        throw UsageError("transact needs PROGID, REQUEST and --connection");
    o.progId = positional[0];
    o.request = positional[1];
    return o;
}

void Put(com::IDispatch* object, const char* property, com::Variant value) {
    com::CallByName(object, property, com::DISPATCH_PROPERTYPUT, {*value.get()});
}

// The record elements of the class a ProgID names.
std::string RecordTagOf(const std::string& progId) {
    return base::AsciiLower(progId) == "wagelink.isalaryperson" ? "salaryperson" : "salaryitem";
}

int Transact(const TransactOptions& o) {
    std::string request = ReadRequest(o.request);
    if (o.validateOnly) request = cli::TrialRequest(request);
    com::ComPtr<com::IDispatch> server = com::CreateObject(o.progId);
    com::ComPtr<com::IDispatch> login = com::CreateObject("QzLogin.Login");
    Put(login.get(), "ConnectionString", com::Variant::FromText(o.connection));
    Put(login.get(), "LoginYear", com::Variant::FromText(o.loginYear));
    Put(login.get(), "LoginMonth", com::Variant::FromLong(o.loginMonth));
    if (!o.pages.empty()) {
        std::filesystem::create_directories(o.pages);
        com::Variant caller = com::Variant::FromDispatch(cli::CreatePageWriter(o.pages).get());
        com::CallByName(server.get(), "AddObjectReference", com::DISPATCH_METHOD,
                        {com::ByRef(caller)});
    }
    com::Variant xml = com::Variant::FromText(request);
    com::Variant loginArg = com::Variant::FromDispatch(login.get());
    com::Variant reply = com::CallByName(server.get(), "Transact", com::DISPATCH_METHOD,
                                         {*xml.get(), com::ByRef(loginArg)});
    std::string replyText = com::ToText(*reply.get());
    std::cout << replyText << '\n' << std::flush;
    if (!std::cout)
        throw base::Fault(base::kFileAccess, "Cannot write the reply to standard output");
    if (o.summary) std::cerr << cli::ReplySummary(request, replyText, RecordTagOf(o.progId));
    return cli::ExitCodeOfReply(replyText);
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command");
    const std::string& command = args[0];
    if (command == "--help" || command == "help" || command == "-h") {
        std::cout << kUsageText;
        return 0;
    }
    if (command == "--version") {
        std::cout << "wagelink " << WAGELINK_VERSION << '\n';
        return 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "demo-db") {
        if (rest.size() == 2 && rest[0] == "--connection") {
            sql::WriteServerDemo(rest[1]);
            std::cout << "wrote the demo data into the server database\n";
            return 0;
        }
        if (rest.size() != 1) throw UsageError("demo-db takes one PATH or --connection STR");
        sql::WriteDemoDatabase(rest[0]);
        std::cout << "wrote demo database " << rest[0] << '\n';
        return 0;
    }
    if (command == "register" || command == "unregister") {
        if (rest.size() > 1) throw UsageError(command + " takes at most one LIBRARY");
        std::vector<std::string> libraries =
            rest.empty() ? DefaultLibraries()
                         : std::vector<std::string>{std::filesystem::absolute(rest[0]).string()};
        for (const std::string& library : libraries)
            CallExport(library,
                       command == "register" ? "DllRegisterServer" : "DllUnregisterServer");
        return 0;
    }
    if (command == "transact") return Transact(ParseTransact(rest));
    throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    // A full pipe or a file size limit is an error the host reports, not a signal that kills it.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const UsageError& e) {
        std::cerr << "wagelink: " << e.what() << '\n' << kUsageText;
        return kUsage;
    } catch (const base::Fault& f) {
        std::cerr << "error " << f.number() << ": " << f.description() << '\n';
        return kFailed;
    } catch (const std::exception& e) {
        std::cerr << "error " << com::E_FAIL << ": " << e.what() << '\n';
        return kFailed;
    }
}
