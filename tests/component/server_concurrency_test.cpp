// Several importers and a paged exporter on the test database server at once, each with its own
// connection: no caller sees a deadlock or a lock error, every record reported written is in the
// database, and every paged export delivers the rows of one moment.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "large_demo.h"
#include "server_database.h"
#include "support/at_once.h"
#include "support/dispatch.h"
#include "support/pages.h"
#include "support/server_db.h"
#include "support/temp_dir.h"
#include "xml/document.h"

namespace {

constexpr int kImporters = 4, kRecords = 40;

std::size_t PagedExport(const std::string& connectionString) {
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(connectionString);
    auto pages = testing_support::PageCollector::Create();
    testing_support::HoldCaller(server.get(), *pages.get());
    testing_support::Transact(
        server.get(),
        "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" paginate=\"9\"><salaryitem><field "
        "name=\"cDept_Num\" operation=\"=\" value=\"0201\" logic=\"and\"/><field name=\"iMonth\" "
        "operation=\"=\" value=\"11\"/></salaryitem></vkinterface>",
        login.get());
    std::size_t records = 0;
    for (const testing_support::Page& page : pages->pages) {
        EXPECT_EQ(page.count, static_cast<long>(pages->pages.size()));
        records += testing_support::RecordCount(page.xml, "salaryitem");
    }
    return records;
}

TEST(ServerConcurrency, ImportersAndAPagedExporterShareOneServerDatabase) {
    REQUIRE_TEST_SERVER();
    testing_support::TempDir dir;
    sql::WriteLargeDemoDatabase(dir.File("load.db"), kImporters * kRecords, 12);
    testing_support::ServerDb server;
    sql::CopyPayrollRows(dir.File("load.db"), server.ConnectionString());
    const std::size_t rows = kImporters * kRecords + 4;  // the demo has 4 more in 0201, month 11

    std::atomic<bool> importing{true};
    std::vector<std::size_t> exported;
    std::thread exporter([&] {
        while (importing || exported.size() < 2)
            exported.push_back(PagedExport(server.ConnectionString()));
    });
    std::vector<std::string> replies = testing_support::AtOnce(kImporters, [&](int t) {
        // Every importer writes every person, so that they meet on the same rows.
        std::string request = sql::LargeDemoItemRequest(
            0, kImporters * kRecords,
            {{"奖金", 0, [t](int n) { return std::to_string(1000 * (t + 1) + n); }}});
        auto item = testing_support::NewSalaryItem();
        auto login = testing_support::NewLogin(server.ConnectionString());
        return testing_support::Transact(item.get(), request, login.get());
    });
    importing = false;
    exporter.join();

    for (const std::string& text : replies) {
        xml::Document reply;
        ASSERT_TRUE(reply.Load(text)) << text;
        xml::NodeList results = reply.Root().Children("result");
        ASSERT_EQ(results.size(), static_cast<std::size_t>(kImporters * kRecords)) << text;
        for (xml::Element result : results)
            ASSERT_EQ(result.GetAttribute("code"), "0") << result.GetAttribute("message");
    }
    for (std::size_t records : exported) EXPECT_EQ(records, rows);
    // Each person holds the value of one importer: the one whose write came last.
    EXPECT_EQ(server.Scalar("select count(*) from WA_GZData where iMonth = 11 and cPsn_Num like "
                            "'B%' and mod(F_9, 1000) = cast(substr(cPsn_Num, 2) as unsigned) and "
                            "F_9 between 1000 and 4999"),
              std::to_string(kImporters * kRecords));
}

}  // namespace

// Importers enrolling the same persons at once meet on the same roster rows, which the server
// resolves by failing one transaction of a deadlock: that record is run again and finds the
// person enrolled. Each person is enrolled once, with one payroll row.
TEST(ServerConcurrency, ImportersEnrollingTheSamePersonsEnrolEachOnce) {
    REQUIRE_TEST_SERVER();
    constexpr int kPersons = 30, kEnrollers = 3;
    testing_support::TempDir dir;
    sql::WriteEnrolmentDemoDatabase(dir.File("enrol.db"), kPersons, 3);
    testing_support::ServerDb server;
    sql::CopyPayrollRows(dir.File("enrol.db"), server.ConnectionString());

    std::vector<std::string> replies = testing_support::AtOnce(kEnrollers, [&](int) {
        auto person = testing_support::NewSalaryPerson();
        auto login = testing_support::NewLogin(server.ConnectionString());
        return testing_support::Transact(person.get(), sql::EnrolmentRequest(0, kPersons, 3),
                                         login.get());
    });

    int enrolled = 0;
    for (const std::string& text : replies) {
        xml::Document reply;
        ASSERT_TRUE(reply.Load(text)) << text;
        xml::NodeList results = reply.Root().Children("result");
        ASSERT_EQ(results.size(), static_cast<std::size_t>(kPersons)) << text;
        for (xml::Element result : results) {
            const std::string code = result.GetAttribute("code");
            ASSERT_TRUE(code == "0" || code == "101") << result.GetAttribute("message");
            enrolled += code == "0";
        }
    }
    EXPECT_EQ(enrolled, kPersons);
    EXPECT_EQ(server.Scalar("select count(*) from WA_psn where cPsn_Num like 'E%'"),
              std::to_string(kPersons));
    EXPECT_EQ(server.Scalar("select count(*) from WA_GZData where cPsn_Num like 'E%'"),
              std::to_string(kPersons));
}
