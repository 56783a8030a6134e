// wagelink: a command-line host that plays the integration platform.
//
//   wagelink demo-db PATH
//   wagelink register [LIBRARY]
//   wagelink unregister [LIBRARY]
//   wagelink transact PROGID REQUEST --connection STR [--login-year Y] [--login-month M]
//                     [--pages DIR]
//
// Exit codes: 0 done, 1 the call failed ("error NUMBER: DESCRIPTION" on standard error),
// 2 usage error.
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "com/activation.h"
#include "com/error_info.h"
#include "com/late_call.h"
#include "demo_database.h"
#include "page_writer.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "usage:\n"
    "  wagelink demo-db PATH\n"
    "  wagelink register [LIBRARY]\n"
    "  wagelink unregister [LIBRARY]\n"
    "  wagelink transact PROGID REQUEST --connection STR [--login-year Y] [--login-month M]\n"
    "                    [--pages DIR]\n"
    "REQUEST is a file, or - for standard input.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string DefaultLibrary() {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (ec ? std::filesystem::path(".") : self.parent_path()) / "libwagelink.so";
}

std::string ReadRequest(const std::string& source) {
    std::ostringstream text;
    if (source == "-") {
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream file(source, std::ios::binary);
    if (!file) throw com::Fault(53, "File not found: " + source);
    text << file.rdbuf();
    return text.str();
}

int CallExport(const std::string& library, const char* name) {
    auto function = reinterpret_cast<com::DllRegisterServerFn>(com::LoadExport(library, name));
    com::HRESULT hr = function();
    if (com::FAILED(hr)) {
        auto info = com::TakeErrorInfo();
        throw com::Fault(info ? info->number : hr,
                         info ? info->description : std::string(name) + " failed");
    }
    return 0;
}

struct TransactOptions {
    std::string progId;
    std::string request;
    std::string connection;
    std::string loginYear;
    long loginMonth = 0;
    std::string pages;
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
            o.loginYear = value();
        } else if (a == "--login-month") {
            std::string m = value();
            try {
                o.loginMonth = std::stol(m);
            } catch (...) {
                throw UsageError("--login-month takes a whole number");
            }
        } else if (a == "--pages") {
            o.pages = value();
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

int Transact(const TransactOptions& o) {
    std::string request = ReadRequest(o.request);
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
    std::cout << com::ToText(*reply.get()) << '\n';
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command");
    const std::string& command = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "demo-db") {
        if (rest.size() != 1) throw UsageError("demo-db takes one PATH");
        sql::WriteDemoDatabase(rest[0]);
        std::cout << "wrote demo database " << rest[0] << '\n';
        return 0;
    }
    if (command == "register" || command == "unregister") {
        if (rest.size() > 1) throw UsageError(command + " takes at most one LIBRARY");
        std::string library =
            rest.empty() ? DefaultLibrary() : std::filesystem::absolute(rest[0]).string();
        return CallExport(library,
                          command == "register" ? "DllRegisterServer" : "DllUnregisterServer");
    }
    if (command == "transact") return Transact(ParseTransact(rest));
    throw UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const UsageError& e) {
        std::cerr << "wagelink: " << e.what() << '\n' << kUsageText;
        return kUsage;
    } catch (const com::Fault& f) {
        std::cerr << "error " << f.number() << ": " << f.description() << '\n';
        return kFailed;
    } catch (const std::exception& e) {
        std::cerr << "error " << com::E_FAIL << ": " << e.what() << '\n';
        return kFailed;
    }
}
