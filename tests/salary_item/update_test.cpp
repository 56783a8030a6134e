#include "salary_item/update.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "base/fault.h"
#include "salary_item/update_group.h"
#include "support/item_import.h"

namespace {

using testing_support::Entry;
using testing_support::ItemRecord;

class ItemUpdate : public testing_support::ItemImportTest {
  protected:
    std::string Import(const std::string& record) { return ImportReply(record); }
    std::string Row(const std::string& column, const std::string& person = "0001") {
        return demo.Scalar("select " + column + " from WA_GZData where cPsn_Num = '" + person +
                           "' and iYear = 2026 and iMonth = 11");
    }
    static std::string Result(const std::string& code, const std::string& message) {
        return "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"" + code +
               "\" message=\"" + message + "\"/></reply>";
    }
};

TEST_F(ItemUpdate, ValuesAreWrittenByStyle) {
    const std::string october =
        demo.Scalar("select F_9 from WA_GZData where cPsn_Num = '0001' and iMonth = 10");
    EXPECT_EQ(Import(ItemRecord({}, {{"奖金", "0", "\t1500 "},
                                     {"岗位工资", "0", ""},
                                     {"基本工资", "0", "1.50"},
                                     {"备注", "1", "  两 个 空格  "}})),
              Result("0", "成功"));
    EXPECT_EQ(Row("F_9"), "1500") << "blanks around a number";
    EXPECT_EQ(Row("F_8"), "0") << "the empty text is 0";
    EXPECT_EQ(Row("F_7"), "1.5");
    EXPECT_EQ(Row("F_10"), "  两 个 空格  ");
    EXPECT_EQ(Row("F_9", "0002"), "600") << "another person's row changed";
    EXPECT_EQ(demo.Scalar("select F_9 from WA_GZData where cPsn_Num = '0001' and iMonth = 10"),
              october)
        << "another month's row changed";
    const std::string quoted = "O'Brien's \"bonus\"; drop table WA_psn; --";
    EXPECT_EQ(
        Import(ItemRecord({}, {{"备注", "1", quoted}, {"奖金", "0", "1234567.891234567891"}})),
        Result("0", "成功"));
    EXPECT_EQ(Row("F_10"), quoted);
    // 15 significant digits; a server keeps money to four places, as the production database does.
    EXPECT_EQ(Row("F_9"), demo.OnServer() ? "1234567.8912" : "1234567.89123457");
    EXPECT_EQ(Import(ItemRecord({}, {{"奖金", "0", "-0"},
                                     {"岗位工资", "0", "-1e-400"},
                                     {"基本工资", "0", "-2.5"},
                                     {"本月扣零", "0", "1234567890123456"},
                                     {"上月扣零", "0", "1.5e3"}})),
              Result("0", "成功"));
    EXPECT_EQ(Row("F_9"), "0") << "-0 is written as 0";
    EXPECT_EQ(Row("F_8"), "0") << "an underflow is written as 0";
    EXPECT_EQ(Row("F_7"), "-2.5");
    EXPECT_EQ(Row("F_4"), "1234567890123460") << "16 significant digits are rounded to 15";
    EXPECT_EQ(Row("F_5"), "1500");
    EXPECT_EQ(demo.Scalar("select count(*) from WA_psn"), "19");
}

TEST_F(ItemUpdate, ItemNamesInTheUsersLanguage) {
    setenv("WAGELINK_LANG", "en-US", 1);
    auto english = testing_support::NewSalaryItem();
    std::string reply = testing_support::Transact(
        english.get(), testing_support::AddRequest({ItemRecord({}, {{"TAX WITHHELD", "0", "88"}})}),
        login.get());
    setenv("WAGELINK_LANG", "zh-CN", 1);
    EXPECT_NE(reply.find("code=\"0\" message=\"Success\""), std::string::npos) << reply;
    EXPECT_EQ(Row("F_6"), "88");
}

TEST_F(ItemUpdate, NothingToWriteIsAFailureThatNamesTheCause) {
    // Each failure must leave every payroll table as it was.
    auto unchanged = [&](const std::string& record) {
        std::string before = demo.Snapshot();
        std::string reply = Import(record);
        EXPECT_EQ(demo.Snapshot(), before) << "a record that was not written changed the database";
        return reply;
    };
    // Department 0102 is a valid leaf of payroll 001, but person 0001's row is in 0101.
    EXPECT_EQ(
        unchanged(ItemRecord({{"departmentno", "0102"}}, {{"奖金", "0", "1"}})),
        Result("100", "数据库操作错误：工资类别[001]部门[0102]中没有人员[0001]本期间的工资数据"));
    EXPECT_EQ(unchanged(ItemRecord()),
              Result("100", "数据库操作错误：Invalid procedure call or argument"))
        << "a record without entries";
    demo.Exec("insert into WA_GZtblset values ('001', 13, '加班天数', 2)");
    EXPECT_EQ(unchanged(ItemRecord({}, {{"加班天数", "2", "3"}})),
              Result("100", "数据库操作错误：Invalid procedure call or argument"))
        << "style 2 entries are skipped";
    demo.Exec("update pubperson set rPersonType = 'none' where cPsn_Num = '0001'");
    EXPECT_EQ(
        unchanged(ItemRecord({}, {{"奖金", "0", "1"}})),
        Result("100",
               "数据库操作错误：人员档案中没有人员编号[0001]，或其人员类型没有对应的人员类别"));
}

// The production database refuses what SQLite lets pass; the server refuses it too.
TEST_F(ItemUpdate, WhatTheProductionDatabaseRefusesIsRefused) {
    std::string before = demo.Snapshot();
    EXPECT_EQ(Import(ItemRecord(
                  {}, {{"基本工资", "0", "1"}, {"奖金", "0", "2"}, {"基本工资", "0", "3"}})),
              Result("100", "数据库操作错误：工资项目[基本工资]在一条记录中出现多次"));
    EXPECT_EQ(demo.Snapshot(), before) << "a record that sets a column twice was written";
    // The entry named is the first that repeats a column, whichever column that is.
    for (auto [a, b] : {std::pair{"基本工资", "奖金"}, std::pair{"奖金", "基本工资"}})
        EXPECT_EQ(
            Import(ItemRecord({}, {{a, "0", "1"}, {b, "0", "2"}, {b, "0", "3"}, {a, "0", "4"}})),
            Result("100", std::string("数据库操作错误：工资项目[") + b + "]在一条记录中出现多次"));
    // Two names of one item column (the second named in another payroll's settings) repeat it
    // as much as one name twice.
    demo.Exec("insert into WA_GZtblset values ('002', 7, '底薪', 0)");
    before = demo.Snapshot();
    EXPECT_EQ(
        Import(ItemRecord({}, {{"奖金", "0", "1"}, {"底薪", "0", "2"}, {"基本工资", "0", "3"}})),
        Result("100", "数据库操作错误：工资项目[基本工资]在一条记录中出现多次"));
    EXPECT_EQ(demo.Snapshot(), before);
    // F_10 (备注) is nvarchar(50): 50 characters fit, 51 do not, whatever their bytes.
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += "注";
    EXPECT_EQ(Import(ItemRecord({}, {{"备注", "1", fifty}})), Result("0", "成功"));
    EXPECT_EQ(Row("F_10"), fifty);
    before = demo.Snapshot();
    EXPECT_EQ(Import(ItemRecord({}, {{"奖金", "0", "5"}, {"备注", "1", fifty + "x"}})),
              Result("100", "数据库操作错误：列[F_10]的值超过其长度50"));
    EXPECT_EQ(demo.Snapshot(), before) << "a text longer than its column was written";
    // Two settings rows for one name: the item query's subquery finds two rows.
    demo.Exec("insert into WA_GZtblset values ('002', 9, '奖金', 0)");
    before = demo.Snapshot();
    std::string reply = testing_support::Transact(
        server.get(),
        testing_support::AddRequest({ItemRecord({}, {{"岗位工资", "0", "77"}}),
                                     ItemRecord({}, {{"奖金", "0", "88"}}),
                                     ItemRecord({}, {{"岗位工资", "0", "99"}})}),
        login.get());
    // A server finds the two rows itself and says so in its own words.
    const std::string several =
        demo.OnServer() ? "[21000] [ma-3.1.15][10.11.19-MariaDB-0+deb12u1]Subquery returns more "
                          "than 1 row"
                        : "A subquery returned more than one value where one is required: "
                          "payroll item 奖金 has 2 settings rows";
    EXPECT_EQ(reply,
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"0\" "
              "message=\"成功\"/><result n=\"2\" key=\"Item\" code=\"999\" message=\"" +
                  several + "\"/></reply>");
    EXPECT_EQ(Row("F_8"), "77") << "the record before the fault keeps its result";
    EXPECT_EQ(Row("F_9"), "300");
}

TEST_F(ItemUpdate, AFailingStatementReportsItsErrorAndWritesNothing) {
    auto connection = demo.Connect();
    connection->SetStatementHook([](const std::string& sql) {
        if (sql.rfind("UPDATE", 0) == 0)
            throw base::Fault(-2147467259, "disk I/O error (injected)");
    });
    messages::Messages m(messages::SalaryItemNames());
    db::LookupCache lookups;
    salary_item::ItemCatalog items(m, lookups);
    xml::Document doc;
    ASSERT_TRUE(doc.Load(ItemRecord({}, {{"奖金", "0", "999"}})));
    std::string before = demo.Snapshot();
    std::string message = "unchanged";
    EXPECT_FALSE(
        salary_item::UpdateItemData({*connection, m, lookups}, items, doc.Root(), message));
    EXPECT_EQ(message, "disk I/O error (injected)");
    EXPECT_EQ(demo.Snapshot(), before);
}

}  // namespace

namespace {

using testing_support::AddRequest;

// Records that go in groups give each the outcome it has alone, in a request of its own: among
// rejected records, one no payroll row takes, two for one row (the later value kept), a
// department spelled with a trailing blank (one row to a server that pads, none to SQLite), a
// value the database may refuse, and a last group cut by a record with another item.
TEST_F(ItemUpdate, ARecordInAGroupHasTheOutcomeItWouldHaveAlone) {
    const std::vector<std::string> records = {
        ItemRecord({}, {{"奖金", "0", "111"}}),
        ItemRecord({{"departmentno", "0102"}}, {{"奖金", "0", "1"}}),
        ItemRecord({{"month", "10"}, {"personno", "0002"}, {"personname", "周文静"}},
                   {{"奖金", "0", "2"}}),
        ItemRecord({{"personno", "0002"}, {"personname", "周文静"}}, {{"奖金", "0", "222"}}),
        ItemRecord({}, {{"奖金", "0", "333"}}),
        ItemRecord({{"departmentno", "0101 "}}, {{"奖金", "0", "444"}}),
        ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}, {"departmentno", "0102"}},
                   {{"奖金", "0", "1e300"}}),
        ItemRecord({{"personno", "0002"}, {"personname", "周文静"}}, {{"基本工资", "0", "5"}}),
    };
    const std::string grouped = testing_support::ResultLines(
        testing_support::Transact(server.get(), AddRequest(records), login.get()));

    testing_support::DemoDb alone;
    auto aloneLogin = testing_support::NewLogin(alone.ConnectionString());
    std::string each;
    for (const std::string& record : records)
        each += testing_support::ResultLines(
            testing_support::Transact(server.get(), AddRequest({record}), aloneLogin.get()));
    EXPECT_EQ(grouped, each);
    EXPECT_EQ(demo.Snapshot(), alone.Snapshot());
    EXPECT_NE(grouped.find("code=\"100\""), std::string::npos) << grouped;
    EXPECT_NE(grouped.find("code=\"101\""), std::string::npos) << grouped;
    EXPECT_EQ(Row("F_9"), demo.OnServer() ? "444" : "333");
}

}  // namespace

namespace {

// The group's own answer: which records found their row, and false where the database joined
// one row to two records (a server reads "0101 " as "0101"; SQLite compares bytes).
TEST_F(ItemUpdate, AGroupTellsEachRecordsRowOrThatItCannot) {
    using salary_item::PlannedUpdate;
    auto connection = demo.Connect();
    const db::Dialect& dialect = connection->dialect();
    auto plan = [](const char* department, const char* person, double bonus) {
        return PlannedUpdate{
            {"F_9"},
            {bonus},
            {"001", department, person, "林晓东", std::int64_t{11}, std::int64_t{2026}}};
    };
    auto send = [&](const std::vector<PlannedUpdate>& plans, std::vector<bool>& written) {
        salary_item::ItemUpdateGroup group;
        for (const PlannedUpdate& p : plans) {
            EXPECT_TRUE(group.Fits(dialect, p));
            group.Add(p);
        }
        EXPECT_FALSE(group.Fits(dialect, plans.front())) << "a row named twice";
        db::Transaction transaction(*connection);
        const bool sure = group.Send(*connection, written);
        if (sure) transaction.Commit();
        return sure;
    };
    std::vector<bool> written;
    ASSERT_TRUE(send({plan("0101", "0001", 7), plan("0101", "0009", 8)}, written));
    EXPECT_EQ(written, (std::vector<bool>{true, false}));
    EXPECT_EQ(Row("F_9"), "7");
    EXPECT_EQ(send({plan("0101", "0001", 9), plan("0101 ", "0001", 10)}, written),
              !demo.OnServer());
    EXPECT_EQ(Row("F_9"), demo.OnServer() ? "7" : "9") << "what was not kept is rolled back";
}

}  // namespace
