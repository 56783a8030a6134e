// The demo job run through the host twice, on the SQLite demo file and on the demo data written
// to the test database server: the same requests give the same replies and the same pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "large_demo.h"
#include "server_database.h"
#include "support/host.h"
#include "support/requests.h"
#include "support/server_db.h"

namespace {

using testing_support::HostFolder;
using testing_support::HostRun;
using testing_support::Slurp;

// Every reply of the demo job, and every page it delivered, in order.
std::string DemoJob(const HostFolder& folder, const std::string& connection) {
    const std::string examples = std::string(WAGELINK_SOURCE_DIR) + "/examples/";
    struct Step {
        const char* progId;
        const char* request;
        std::vector<std::string> more;
        int exit;
    };
    // Each import of the demo rejects a record: exit 4.
    const std::vector<Step> steps = {
        {"Wagelink.ISalaryItem", "add-salary-items.xml", {"--validate-only"}, 4},
        {"Wagelink.ISalaryItem", "add-salary-items.xml", {}, 4},
        {"Wagelink.ISalaryPerson", "add-salary-persons.xml", {}, 4},
        {"Wagelink.ISalaryItem", "query-salary-items.xml", {"--pages", "pages"}, 0},
        {"Wagelink.ISalaryItem", "query-kest.xml", {}, 0},
        {"Wagelink.ISalaryPerson", "query-salary-persons.xml", {"--pages", "roster-pages"}, 0},
    };
    std::string job;
    for (const Step& step : steps) {
        std::vector<std::string> args = {"transact", step.progId, examples + step.request,
                                         "--connection", connection};
        args.insert(args.end(), step.more.begin(), step.more.end());
        HostRun run = folder.Run(args);
        job += std::string(step.request) + " exit " + std::to_string(run.exit) + "\n" + run.out;
        EXPECT_EQ(run.exit, step.exit) << step.request << ": " << run.err;
    }
    for (const char* pages : {"pages", "roster-pages"}) {
        std::set<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.File(pages)))
            files.insert(entry.path());
        for (const auto& file : files)
            job += file.filename().string() + "\n" + Slurp(file.string()) + "\n";
    }
    return job;
}

TEST(ServerHost, TheDemoJobGivesTheSameRepliesOnSqliteAndOnTheServer) {
    REQUIRE_TEST_SERVER();
    HostFolder onFile;
    ASSERT_EQ(onFile.Run({"demo-db", "demo.db"}).exit, 0);
    const std::string expected =
        DemoJob(onFile, "Provider=SQLite;Data Source=" + onFile.File("demo.db"));

    testing_support::ServerDb server(testing_support::ServerDb::Contents::kNothing);
    HostFolder onServer;
    HostRun written = onServer.Run({"demo-db", "--connection", server.ConnectionString()});
    ASSERT_EQ(written.exit, 0) << written.err;
    const std::string persons = server.Scalar("select count(*) from pubperson");
    // Written twice: refused, the password kept out of the fault, nothing changed.
    HostRun again = onServer.Run({"demo-db", "--connection", server.ConnectionString()});
    EXPECT_NE(again.exit, 0);
    EXPECT_EQ(again.err.find("wagelink-test"), std::string::npos) << again.err;
    EXPECT_EQ(server.Scalar("select count(*) from pubperson"), persons);
    // A string that names no database, or one the server lacks: the hint says to make it first.
    for (const std::string& missing :
         {*testing_support::TestServer(), *testing_support::TestServer() + ";Database=nosuchdb"}) {
        HostRun none = onServer.Run({"demo-db", "--connection", missing});
        EXPECT_EQ(none.exit, 1);
        EXPECT_NE(none.err.find("hint: demo-db writes into an empty database that exists: create "
                                "it on the server first"),
                  std::string::npos)
            << none.err;
    }

    EXPECT_EQ(DemoJob(onServer, server.ConnectionString()), expected);
}

// What unixODBC's trace of a process shows: the calls it made, by name, and the executions,
// parameter bindings and highest parameter bound of each statement handle.
struct Trace {
    struct Statement {
        int executions = 0, bindings = 0, parameters = 0;
    };
    std::map<std::string, int> calls;
    std::map<std::string, Statement> statements;  // by handle
};

Trace ReadTrace(const std::string& text) {
    Trace trace;
    const std::regex entry(
        R"(\]\[(SQL\w+?)W?\.c\]\[\d+\]\n\t\tEntry: *\n\t\t\t(\w+) = (\w+)(\n\t\t\tParam Number = (\d+))?)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), entry);
         it != std::sregex_iterator(); ++it) {
        const std::string call = (*it)[1];
        ++trace.calls[call];
        if ((*it)[2] != "Statement") continue;
        Trace::Statement& statement = trace.statements[(*it)[3]];
        statement.executions += call == "SQLExecute";
        if (call != "SQLBindParameter") continue;
        ++statement.bindings;
        statement.parameters = std::max(statement.parameters, std::stoi((*it)[5]));
    }
    return trace;
}

// unixODBC's trace of the host running `request` on `server` for `progId`.
Trace TracedRun(HostFolder& folder, testing_support::ServerDb& server, const char* progId,
                const std::string& request) {
    std::ofstream(folder.File("request.xml")) << request;
    {
        std::ifstream drivers("/etc/odbcinst.ini");
        std::ofstream traced(folder.File("odbcinst.ini"));
        traced << drivers.rdbuf() << "\n[ODBC]\nTrace=Yes\nTraceFile=" << folder.File("trace.log")
               << "\n";
    }
    std::filesystem::remove(folder.File("trace.log"));
    const char* before = std::getenv("ODBCSYSINI");
    const std::string kept = before ? before : "";
    setenv("ODBCSYSINI", folder.dir().path().c_str(), 1);
    HostRun run = folder.Run({"transact", progId, folder.File("request.xml"), "--connection",
                              server.ConnectionString()});
    before ? setenv("ODBCSYSINI", kept.c_str(), 1) : unsetenv("ODBCSYSINI");
    EXPECT_EQ(run.exit, 0) << run.err;
    return ReadTrace(Slurp(folder.File("trace.log")));
}

// A statement the connection prepared once is executed again with its parameters where they
// are bound, as unixODBC's trace of the host shows: an enrolment of 2,000 persons and an import
// of 2,000 item records on the server go in groups of 400, whose statements (the same text for
// each full group) are prepared once, executed once a group and bound once in all. (FreeTDS
// sends such an execution to SQL Server as sp_execute, one request; a statement bound afresh
// would be unprepared and prepared again.) A few executions a group, a few lookups and
// read-aheads: a few hundredths of an execution a record.
TEST(ServerHost, ARepeatedStatementIsPreparedAndBoundOnce) {
    REQUIRE_TEST_SERVER();
    constexpr int kRecords = 2000;
    const double records = kRecords;
    HostFolder folder;
    testing_support::ServerDb server;
    auto expectBoundOnce = [&](const Trace& trace) {
        int repeated = 0;
        for (const auto& [handle, statement] : trace.statements) {
            if (statement.executions < 2) continue;
            repeated = std::max(repeated, statement.executions);
            EXPECT_LE(statement.bindings, statement.parameters)
                << handle << " executed " << statement.executions << " times";
        }
        EXPECT_GE(repeated, kRecords / 400) << "a statement a group";
        EXPECT_LE(trace.calls.at("SQLPrepare") / records, 0.01) << trace.calls.at("SQLPrepare");
        EXPECT_LE(trace.calls.at("SQLExecute") / records, 0.03) << trace.calls.at("SQLExecute");
    };

    sql::WriteEnrolmentDemoDatabase(folder.File("enrol.db"), kRecords, 1);
    sql::CopyPayrollRows(folder.File("enrol.db"), server.ConnectionString());
    expectBoundOnce(
        TracedRun(folder, server, "Wagelink.ISalaryPerson", sql::EnrolmentRequest(0, kRecords, 1)));
    EXPECT_EQ(server.Scalar("select count(*) from WA_psn where cPsn_Num like 'E%'"), "2000");

    sql::WriteLargeDemoDatabase(folder.File("large.db"), kRecords, 4);
    sql::CopyPayrollRows(folder.File("large.db"), server.ConnectionString());
    const Trace trace = TracedRun(
        folder, server, "Wagelink.ISalaryItem",
        sql::LargeDemoItemRequest(0, kRecords,
                                  {{"奖金", 0, [](int n) { return std::to_string(1000 + n); }},
                                   {"应发合计", 0, [](int n) { return n % 2 ? "12.5" : "1"; }}}));
    expectBoundOnce(trace);
    EXPECT_EQ(server.Scalar("select count(*) from WA_GZData where F_9 = 2999"), "1");
    EXPECT_EQ(trace.calls.at("SQLEndTran"), 5) << "a commit a group";
}

// A platform that delivers a message again, or a value already stored: the rows the UPDATE
// matched are what the reply tells, whether the string asks the driver for them (Option=2, as
// the test server's does) or not, and through a data source whose Option leaves them out.
TEST(ServerHost, AnImportOfUnchangedValuesIsWrittenWhateverTheStringSays) {
    REQUIRE_TEST_SERVER();
    testing_support::ServerDb server;
    HostFolder folder;
    std::ofstream(folder.File("request.xml"))
        << testing_support::AddRequest({testing_support::ItemRecord({}, {{"奖金", "0", "500"}})});
    std::string plain = server.ConnectionString();
    const std::size_t option = plain.find(";Option=2");
    ASSERT_NE(option, std::string::npos) << plain;
    plain.erase(option, 9);
    // The same server as a data source of the user's, whose Option asks for changed rows.
    std::string source = "[payroll]\nDriver=MariaDB Unicode\nOption=0\n";
    for (const char* key : {"Server", "Port", "User", "Password", "Database"}) {
        const std::regex value(std::string(";") + key + "=([^;]*)");
        std::smatch found;
        ASSERT_TRUE(std::regex_search(plain, found, value)) << key;
        source += std::string(key) + "=" + found[1].str() + "\n";
    }
    std::ofstream(folder.File("odbc.ini")) << source;
    setenv("ODBCINI", folder.File("odbc.ini").c_str(), 1);
    for (const std::string& connection :
         {plain, std::string("Provider=MSDASQL;DSN=payroll"), server.ConnectionString()}) {
        for (int delivery = 1; delivery <= 2; ++delivery) {
            HostRun run = folder.Run({"transact", "Wagelink.ISalaryItem",
                                      folder.File("request.xml"), "--connection", connection});
            EXPECT_EQ(run.exit, 0)
                << connection << ", delivery " << delivery << ": " << run.out << run.err;
            EXPECT_NE(run.out.find("code=\"0\""), std::string::npos) << run.out;
        }
    }
    unsetenv("ODBCINI");
}

}  // namespace
