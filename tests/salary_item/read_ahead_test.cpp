// On a server an import reads its persons ahead, hundreds of records to a statement: each record
// must still find exactly what its own lookups would, across the runs read at once, and a person
// enrolled by an earlier record of the request is not enrolled again.
#include <gtest/gtest.h>

#include "db/statement_counts.h"
#include "demo_database.h"
#include "large_demo.h"
#include "server_database.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/requests.h"
#include "support/server_db.h"

namespace {

using testing_support::Entry;

constexpr std::size_t kPersons = 1100;  // three runs read ahead

std::string Code(std::size_t i) {
    return "R" + std::to_string(1000 + i);
}
std::string Name(std::size_t i) {
    return "员工" + std::to_string(i);
}

// Persons in payroll 001 with their payroll rows of 2026-11; every 5th is in the person master
// only, without a roster row.
void WritePersons(db::Connection& connection) {
    db::Transaction transaction(connection);
    for (std::size_t i = 0; i < kPersons; ++i)
        testing_support::WritePayrollPerson(connection, Code(i), Name(i), i % 5 != 3);
    transaction.Commit();
}

// Records for every person, a few of them wrong in a way one lookup tells: a name that is not
// the roster's (every 7th), a code the person master lacks (every 11th), a person twice.
std::string Request() {
    std::vector<std::string> records;
    for (std::size_t i = 0; i < kPersons; ++i) {
        const std::string name = i % 7 == 6 ? Name(i + 1) : Name(i);
        const std::string code = i % 11 == 10 ? "X" + Code(i) : Code(i);
        records.push_back(testing_support::ItemRecord({{"personno", code}, {"personname", name}},
                                                      {Entry{"奖金", "0", std::to_string(i)}}));
    }
    records.push_back(records[499]);
    return testing_support::AddRequest(records);
}

// The reply of `request` (of `records` records) to `server`, and the statements it sent per
// record.
std::pair<std::string, double> Run(com::IDispatch* server, const std::string& connectionString,
                                   const std::string& request, std::size_t records) {
    auto login = testing_support::NewLogin(connectionString);
    const db::StatementCounts before = db::CountedStatements();
    std::string reply = testing_support::Transact(server, request, login.get());
    const double sent = static_cast<double>(db::CountedStatements().total() - before.total());
    return {std::move(reply), sent / static_cast<double>(records)};
}

std::pair<std::string, double> Import(const std::string& connectionString) {
    WritePersons(*testing_support::ConnectTo(connectionString));
    return Run(testing_support::NewSalaryItem().get(), connectionString, Request(), kPersons + 1);
}

TEST(ReadAhead, EveryItemRecordFindsWhatItsOwnLookupsWould) {
    REQUIRE_TEST_SERVER();
    testing_support::TempDir dir;
    sql::WriteDemoDatabase(dir.File("demo.db"));
    const auto [onSqlite, perRecordOnSqlite] =
        Import("Provider=SQLite;Data Source=" + dir.File("demo.db"));
    testing_support::ServerDb server;
    const auto [onServer, perRecord] = Import(server.ConnectionString());

    EXPECT_EQ(onServer, onSqlite);
    for (const char* outcome : {"code=\"0\"", "code=\"101\""})
        EXPECT_NE(onServer.find(outcome), std::string::npos) << outcome << " in " << onServer;
    EXPECT_LE(perRecord, 1.1) << "statements per record on the server";
}

// Enrolments of persons in the person master only: every 7th under a name the master does not
// have, and the first 30 again after the rest, when they are enrolled.
std::string EnrolmentRequest() {
    std::string request = sql::EnrolmentRequest(0, kPersons, 1);
    for (std::size_t i = 6; i < kPersons; i += 7) {
        const std::string name = "<personname>" + sql::LargeDemoPersonName(int(i)) + "<";
        request.replace(request.find(name), name.size(), "<personname>某人<");
    }
    const std::string again = sql::EnrolmentRequest(0, 30, 1);
    const std::size_t records = again.find("<salaryperson>");
    request.insert(request.rfind("</vkinterface>"),
                   again.substr(records, again.rfind("</vkinterface>") - records));
    return request;
}

std::pair<std::string, double> Enrol(const std::string& connectionString) {
    return Run(testing_support::NewSalaryPerson().get(), connectionString, EnrolmentRequest(),
               kPersons + 30);
}

TEST(ReadAhead, EveryPersonRecordFindsWhatItsOwnLookupsWould) {
    REQUIRE_TEST_SERVER();
    testing_support::TempDir dir;
    sql::WriteEnrolmentDemoDatabase(dir.File("enrol.db"), kPersons, 1);
    testing_support::ServerDb server;
    sql::CopyPayrollRows(dir.File("enrol.db"), server.ConnectionString());
    const auto [onSqlite, perPersonOnSqlite] =
        Enrol("Provider=SQLite;Data Source=" + dir.File("enrol.db"));
    const auto [onServer, perPerson] = Enrol(server.ConnectionString());

    EXPECT_EQ(onServer, onSqlite);
    for (const char* outcome : {"code=\"0\"", "不能重复导入", "人员档案中没有此编号和姓名的人员"})
        EXPECT_NE(onServer.find(outcome), std::string::npos) << outcome << " in " << onServer;
    // All but those under another name; of these, 4 of the first 30 come again under their own.
    EXPECT_EQ(server.Scalar("select count(*) from WA_psn where cPsn_Num like 'E%'"),
              std::to_string(kPersons - kPersons / 7 + 4));
    EXPECT_LE(perPerson, 3.1) << "statements per person on the server";
}

}  // namespace
