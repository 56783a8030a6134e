// Several writers and readers on one database file, each with its own connection, as a busy
// platform runs the server: no caller meets a busy or locked database, every record reported
// written is in the database, and every paged export delivers exactly the rows of one snapshot.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "db/recordset.h"
#include "large_demo.h"
#include "support/at_once.h"
#include "support/dispatch.h"
#include "support/pages.h"
#include "support/temp_dir.h"
#include "xml/document.h"

namespace {

using testing_support::PageCollector;

constexpr int kPageSize = 7;

std::string ExportRequest() {
    return "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" paginate=\"" +
           std::to_string(kPageSize) +
           "\"><salaryitem><field name=\"cDept_Num\" operation=\"=\" value=\"0201\" "
           "logic=\"and\"/><field name=\"iMonth\" operation=\"=\" value=\"11\"/></salaryitem>"
           "</vkinterface>";
}

// Runs one paged export and returns the records it delivered; checks that its pages agree with
// its page count.
std::size_t PagedExport(const std::string& connectionString) {
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(connectionString);
    auto pages = PageCollector::Create();
    testing_support::HoldCaller(server.get(), *pages.get());
    testing_support::Transact(server.get(), ExportRequest(), login.get());
    std::size_t records = 0;
    for (std::size_t i = 0; i < pages->pages.size(); ++i) {
        const testing_support::Page& page = pages->pages[i];
        std::size_t here = testing_support::RecordCount(page.xml, "salaryitem");
        EXPECT_EQ(page.number, static_cast<long>(i + 1));
        EXPECT_EQ(page.count, static_cast<long>(pages->pages.size()))
            << "the page count differs from the pages delivered";
        if (i + 1 < pages->pages.size()) {
            EXPECT_EQ(here, static_cast<std::size_t>(kPageSize));
        }
        EXPECT_GE(here, 1u);
        records += here;
    }
    return records;
}

class Concurrency : public ::testing::Test {
  protected:
    testing_support::TempDir dir;
    std::string path = dir.File("load.db");
    std::string connectionString = "Provider=SQLite;Data Source=" + path;
};

TEST_F(Concurrency, ImportersAndAPagedExporterShareOneFile) {
    constexpr int kImporters = 8, kRecords = 60;
    sql::WriteLargeDemoDatabase(path, kImporters * kRecords, 12);
    const std::size_t rows = kImporters * kRecords + 4;  // the demo has 4 more in 0201, month 11

    std::atomic<bool> importing{true};
    std::vector<std::size_t> exported;
    std::thread exporter([&] {
        while (importing || exported.size() < 3) exported.push_back(PagedExport(connectionString));
    });
    std::vector<std::string> replies = testing_support::AtOnce(kImporters, [&](int t) {
        std::string request = sql::LargeDemoItemRequest(
            t * kRecords, kRecords, {{"奖金", 0, [](int n) { return std::to_string(1000 + n); }}});
        auto server = testing_support::NewSalaryItem();
        auto login = testing_support::NewLogin(connectionString);
        return testing_support::Transact(server.get(), request, login.get());
    });
    importing = false;
    exporter.join();

    for (int t = 0; t < kImporters; ++t) {
        xml::Document reply;
        ASSERT_TRUE(reply.Load(replies[t])) << replies[t];
        xml::NodeList results = reply.Root().Children("result");
        ASSERT_EQ(results.size(), static_cast<std::size_t>(kRecords)) << replies[t];
        for (xml::Element result : results)
            EXPECT_EQ(result.GetAttribute("code"), "0") << result.GetAttribute("message");
    }
    for (std::size_t records : exported) EXPECT_EQ(records, rows);

    db::Connection check;
    check.Open(connectionString);
    db::Recordset written;
    written.Open(
        "select count(*) from WA_GZData where iMonth = 11 and cPsn_Num like 'B%' and F_9 = 1000 + "
        "cast(substr(cPsn_Num, 2) as integer)",
        check);
    EXPECT_EQ(written[0].Text(), std::to_string(kImporters * kRecords))
        << "a record reported written is not in the database";
}

// A writer adds and removes rows while exports run: each export counts and reads one snapshot,
// so it delivers all the rows of that moment, never fewer than it counted.
TEST_F(Concurrency, ExportsDuringInsertsAndDeletesSeeOneSnapshot) {
    constexpr int kPersons = 40, kToggled = 10;
    sql::WriteLargeDemoDatabase(path, kPersons + kToggled, 12);
    {
        db::Connection setup;
        setup.Open(connectionString);
        setup.Execute("delete from WA_GZData where cPsn_Num >= ?",
                      {sql::LargeDemoPersonCode(kPersons)});
    }
    const std::size_t base = kPersons + 4;

    std::atomic<bool> exporting{true};
    std::atomic<int> toggles{0};
    std::thread writer([&] {
        db::Connection c;
        c.Open(connectionString);
        for (bool present = false; exporting; present = !present, ++toggles) {
            db::Transaction tx(c);
            for (int n = kPersons; n < kPersons + kToggled; ++n) {
                if (present) {
                    c.Execute("delete from WA_GZData where cPsn_Num = ?",
                              {sql::LargeDemoPersonCode(n)});
                } else {
                    c.Execute(
                        "insert into WA_GZData (cGZGradeNum, cDept_Num, cPsn_Num, cPsn_Name, "
                        "iPsnGrd_id, iYear, iMonth, iAccMonth) values ('001', '0201', ?, ?, 2, "
                        "2026, 11, 11)",
                        {sql::LargeDemoPersonCode(n), sql::LargeDemoPersonName(n)});
                }
            }
            tx.Commit();
        }
    });
    for (int i = 0; i < 30; ++i) {
        std::size_t records = PagedExport(connectionString);
        EXPECT_TRUE(records == base || records == base + kToggled) << records << " records";
    }
    exporting = false;
    writer.join();
    EXPECT_GT(toggles, 2) << "the writer hardly ran: the test proved nothing";
}

}  // namespace
