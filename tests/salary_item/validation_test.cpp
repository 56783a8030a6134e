#include <gtest/gtest.h>

#include "support/item_import.h"
#include "xml/document.h"

namespace {

using testing_support::Entry;
using testing_support::ItemRecord;

// Imports one record through Transact and returns (code, message) of its result.
class ItemImport : public testing_support::ItemImportTest {
  protected:
    std::pair<std::string, std::string> Import(const std::string& record) {
        std::string reply = ImportReply(record);
        xml::Document doc;
        EXPECT_TRUE(doc.Load(reply)) << reply;
        xml::Element result = doc.Root().FirstChild("result");
        return {result.GetAttribute("code"), result.GetAttribute("message")};
    }
    // A rejection must leave every payroll table as it was.
    std::string Rejection(const std::map<std::string, std::string>& changes,
                          const std::vector<Entry>& entries = {}) {
        std::string before = demo.Snapshot();
        auto [code, message] = Import(ItemRecord(changes, entries));
        EXPECT_EQ(code, "101") << message;
        EXPECT_EQ(demo.Snapshot(), before) << "a rejected record changed the database";
        return message;
    }
};

TEST_F(ItemImport, PayrollDepartmentAndPeriodChecks) {
    EXPECT_EQ(Rejection({{"salarygradeno", "009"}, {"salarygradename", "正式人员"}}),
              "工资类别：[009]不存在！");
    EXPECT_EQ(Rejection({{"salarygradeno", ""}}), "工资类别编号和名称不能同时为空！");
    EXPECT_EQ(Rejection({{"salarygradeno", ""}, {"salarygradename", "未知类别"}}),
              "工资类别：[未知类别]不存在！");
    EXPECT_EQ(Rejection({{"departmentno", ""}}), "部门编号不能为空！");
    EXPECT_EQ(Rejection({{"departmentno", "9999"}}), "工资类别[001]中没有部门[9999]！");
    EXPECT_EQ(Rejection({{"salarygradeno", ""}, {"salarygradename", "临时人员"}}),
              "工资类别[002]中没有部门[0101]！")
        << "the number looked up by name is used by the later checks";
    EXPECT_EQ(Rejection({{"departmentno", "01"}}), "部门编码为[01]的部门为非末级部门！");
    EXPECT_EQ(Rejection({{"year", ""}}), "年度不能为空！");
    EXPECT_EQ(Rejection({{"year", "abc"}}), "年度不能为空！");
    EXPECT_EQ(Rejection({{"year", "2025"}}), "导入数据年度不符！");
    EXPECT_EQ(Rejection({{"month", "5"}}), "5月数据已做月结！");
    EXPECT_EQ(Rejection({{"month", ""}}), "导入月份不能为空！");
    EXPECT_EQ(Rejection({{"month", "12"}}), "导入月份不正确！");
    demo.Exec("insert into GL_mend values (0, 1)");
    EXPECT_EQ(Rejection({{"month", "0"}}), "0月数据已做月结！")
        << "the closed-month query runs before the zero test";
    demo.Exec("update WA_account set iLastMonth = 0 where cGZGradeNum = '001'");
    EXPECT_EQ(Import(ItemRecord({{"month", "12"}}, {{"奖金", "0", "1"}})).second,
              "数据库操作错误：工资类别[001]部门[0101]中没有人员[0001]本期间的工资数据")
        << "with iLastMonth 0 any month that is not closed passes the checks";
    // The earlier check wins when a record fails two.
    EXPECT_EQ(Rejection({{"departmentno", ""}, {"year", ""}}), "部门编号不能为空！");
}

TEST_F(ItemImport, NumbersReadTheirLeadingDigits) {
    const std::vector<Entry> bonus = {{"奖金", "0", "10"}};
    EXPECT_EQ(Import(ItemRecord({{"year", "2026abc"}, {"month", " 11.4"}}, bonus)).first, "0");
    EXPECT_EQ(
        Import(ItemRecord({{"salarygradeno", "001"}, {"salarygradename", "不存在的名称"}}, bonus))
            .first,
        "0")
        << "the name is not read when the number is given";
    std::string reply = testing_support::Transact(
        server.get(),
        testing_support::AddRequest(
            {ItemRecord({}, bonus), ItemRecord({{"year", "40000"}}, bonus), ItemRecord({}, bonus)}),
        login.get());
    EXPECT_EQ(reply,
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"0\" "
              "message=\"成功\"/>"
              "<result n=\"2\" key=\"Item\" code=\"999\" message=\"Overflow\"/></reply>");
}

TEST_F(ItemImport, PersonChecks) {
    EXPECT_EQ(Rejection({{"personname", ""}}), "人员姓名不能为空！");
    EXPECT_EQ(Rejection({{"personname", std::string(41, 'n')}}), "人员姓名长度超长！");
    std::string twentyOne;
    for (int i = 0; i < 21; ++i) twentyOne += "薪";
    EXPECT_EQ(Rejection({{"personname", twentyOne}}), "人员姓名长度超长！");
    EXPECT_EQ(Rejection({{"personname", std::string(40, 'n')}}),
              "人员档案中没有[" + std::string(40, 'n') + "]的信息！")
        << "40 bytes pass the length check";
    EXPECT_EQ(Rejection({{"personno", ""}}), "人员编号不能为空！");
    EXPECT_EQ(Rejection({{"personno", "9999"}}), "人员档案中没有此人员编号！");
    const std::string longCode(21, '7');
    EXPECT_EQ(Rejection({{"personno", longCode}}), "人员档案中没有此人员编号！")
        << "the lookup comes first";
    // A code longer than the person master's column: SQLite stores it, a server refuses it.
    if (!demo.OnServer()) {
        demo.Exec("insert into pubperson (cPsn_Num, cPsn_Name) values ('" + longCode + "', 'x')");
        EXPECT_EQ(Rejection({{"personno", longCode}}), "人员编号长度超长！");
    }
    // A code of exactly the longest length passes the length check (and fails the next).
    const std::string longest(20, '7');
    demo.Exec("insert into pubperson (cPsn_Num, cPsn_Name) values ('" + longest + "', 'x')");
    EXPECT_EQ(Rejection({{"personno", longest}}), "人员档案中没有[林晓东]的信息！");
    EXPECT_EQ(Rejection({{"personno", "0020"}, {"personname", "梁诗雨"}}),
              "人员档案中没有[梁诗雨]的信息！");
    EXPECT_EQ(Rejection({{"personname", "林晓"}}), "人员档案中没有[林晓]的信息！");
    EXPECT_EQ(Rejection({{"persongradeno", ""}}), "人员类别名称不能为空！");
    EXPECT_EQ(Rejection({{"persongradeno", "不存在"}}), "人员类别设置不正确！");
}

TEST_F(ItemImport, ItemChecks) {
    EXPECT_EQ(Rejection({}, {{"", "0", "1", false, true}}), "工资项目名称未设置！");
    EXPECT_EQ(Rejection({}, {{"奖金", "", "1", true, false}}), "工资项目属性未设置！");
    EXPECT_EQ(Rejection({}, {{"不存在的项目", "0", "1"}}), "工资项目设置不正确！");
    // A setting whose item row is missing: the item is not defined, and not written.
    demo.Exec(
        "insert into WA_GZtblset (cGZGradeNum, iGZItem_id, cSetGZItemName, iSetGZItemStyle) "
        "values ('001', 99, '孤立项目', 0)");
    EXPECT_EQ(Rejection({}, {{"孤立项目", "0", "1"}}), "工资项目设置不正确！");
    EXPECT_EQ(Rejection({}, {{"奖金", "1", "1"}}), "工资项目设置不正确！")
        << "defined, but not with that type";
    EXPECT_EQ(Rejection({}, {{"奖金", "0", "1"}, {"岗位工资", "", "1", true, false}}),
              "工资项目属性未设置！");
    EXPECT_EQ(Rejection({}, {{"未定义", "0", "1"}, {"岗位工资", "", "1", true, false}}),
              "工资项目设置不正确！");
    EXPECT_EQ(Import(ItemRecord({}, {{"奖金", "abc", "5"}})).first, "0")
        << "a type of abc is style 0";
    EXPECT_EQ(Rejection({}, {{"奖金", "0.4", "6"}}), "工资项目设置不正确！")
        << "the style is not rounded";
    // A numeric item's value is a number as a whole; the first failing entry is reported.
    for (const char* value : {"1,234.50", "¥100", "１００", "12abc", "abc", "NaN", "1e999", "+",
                              ".", "1e", "1.5.2", "0x10", "1 2", "-.e1"})
        EXPECT_EQ(Rejection({}, {{"奖金", "0", value}}),
                  std::string("工资项目[奖金]的值[") + value + "]不是数字！");
    EXPECT_EQ(Rejection({}, {{"备注", "1", "abc"}, {"奖金", "0", "abc"}, {"未定义", "0", "1"}}),
              "工资项目[奖金]的值[abc]不是数字！");
    EXPECT_EQ(Rejection({}, {{"未定义", "0", "1"}, {"奖金", "0", "abc"}}), "工资项目设置不正确！");
}

TEST_F(ItemImport, QuotesAndSqlInKeysAreJustUnknownNames) {
    std::string before = demo.Snapshot();
    EXPECT_EQ(Rejection({{"salarygradeno", "001'; drop table WA_GZData; --"}}),
              "工资类别：[001'; drop table WA_GZData; --]不存在！");
    EXPECT_EQ(Rejection({{"personno", "0001' or '1'='1"}}), "人员档案中没有此人员编号！");
    EXPECT_EQ(Rejection({{"personname", "x' or 'a'='a"}}), "人员档案中没有[x' or 'a'='a]的信息！");
    EXPECT_EQ(Rejection({}, {{"奖金' or '1'='1", "0", "1"}}), "工资项目设置不正确！");
    EXPECT_EQ(demo.Snapshot(), before);
}

}  // namespace

namespace {

// Each record fails two neighbouring checks; the earlier check must be the one reported, so that
// swapping any two neighbours fails this test.
TEST_F(ItemImport, TheEarlierOfTwoFailingChecksIsReported) {
    const std::string longCode(21, '8');
    // SQLite stores a code longer than the person master's column; a server refuses it.
    const bool longCodes = !demo.OnServer();
    if (longCodes)
        demo.Exec("insert into pubperson (cPsn_Num, cPsn_Name) values ('" + longCode + "', 'x')");
    struct Case {
        std::map<std::string, std::string> changes;
        std::vector<Entry> entries;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{{"salarygradeno", "009"}, {"departmentno", ""}}, {}, "工资类别：[009]不存在！"},
        {{{"departmentno", "9999"}}, {}, "工资类别[001]中没有部门[9999]！"},
        {{{"departmentno", "01"}, {"year", ""}}, {}, "部门编码为[01]的部门为非末级部门！"},
        {{{"year", ""}, {"month", "5"}}, {}, "年度不能为空！"},
        {{{"year", "2025"}, {"month", "5"}}, {}, "导入数据年度不符！"},
        {{{"month", "5"}, {"personname", ""}}, {}, "5月数据已做月结！"},
        {{{"month", ""}, {"personname", ""}}, {}, "导入月份不能为空！"},
        {{{"month", "12"}, {"personname", ""}}, {}, "导入月份不正确！"},
        {{{"personname", ""}, {"personno", ""}}, {}, "人员姓名不能为空！"},
        {{{"personname", std::string(41, 'n')}, {"personno", ""}}, {}, "人员姓名长度超长！"},
        {{{"personno", ""}, {"persongradeno", ""}}, {}, "人员编号不能为空！"},
        {{{"personno", "9999"}, {"persongradeno", ""}}, {}, "人员档案中没有此人员编号！"},
        {{{"personno", longCode}, {"persongradeno", ""}}, {}, "人员编号长度超长！"},
        {{{"personname", "林晓"}, {"persongradeno", ""}}, {}, "人员档案中没有[林晓]的信息！"},
        {{{"persongradeno", ""}}, {{"", "", "1", false, false}}, "人员类别名称不能为空！"},
        {{{"persongradeno", "不存在"}}, {{"", "0", "1", false, true}}, "人员类别设置不正确！"},
        {{}, {{"", "", "1", false, false}}, "工资项目名称未设置！"},
        {{}, {{"奖金", "", "1", true, false}, {"", "0", "1", false, true}}, "工资项目属性未设置！"},
    };
    for (const Case& c : cases) {
        if (!longCodes && c.message == "人员编号长度超长！") continue;
        EXPECT_EQ(Rejection(c.changes, c.entries), c.message);
    }
}

TEST_F(ItemImport, TheStartDateSettingMustBeADateBeforeTheYearIsChecked) {
    auto fault = [&](const std::string& value) {
        demo.Exec("update accinformation set cValue = " + value + " where cName = 'dWAFirstDate'");
        std::string before = demo.Snapshot();
        std::string reply = ImportReply(ItemRecord({{"year", ""}}, {{"奖金", "0", "1"}}));
        EXPECT_EQ(demo.Snapshot(), before);
        return reply;
    };
    EXPECT_EQ(fault("NULL"),
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"Item\" code=\"999\" "
              "message=\"Invalid "
              "use of Null: dWAFirstDate\"/></reply>");
    for (const char* notADate : {"'abc'", "'2025-02-29'", "'2026-13-01'", "''"})
        EXPECT_NE(fault(notADate).find("code=\"999\" message=\"Type mismatch: dWAFirstDate"),
                  std::string::npos)
            << notADate;
    EXPECT_EQ(ImportReply(ItemRecord({{"departmentno", "01"}})),
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"101\" "
              "message=\"部门编码为[01]的部门为非末级部门！\"/></reply>")
        << "the department checks come before the start date";
    EXPECT_EQ(fault("'2024-02-29'"),
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"101\" "
              "message=\"年度不能为空！\"/></reply>")
        << "a leap day is a date";
    demo.Exec("delete from accinformation");
    EXPECT_NE(ImportReply(ItemRecord()).find("code=\"999\" message=\"Either BOF or EOF"),
              std::string::npos)
        << "a missing setting row ends the batch";
}

TEST_F(ItemImport, TheStartDateIsReadInTheFormsADatabaseHoldsIt) {
    auto year = [&](const std::string& value) {
        demo.Exec("update accinformation set cValue = '" + value + "'");
        return ImportReply(ItemRecord({{"year", ""}}));
    };
    const std::string rejected =
        "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"101\" "
        "message=\"年度不能为空！\"/></reply>";
    for (const char* date : {"2026-01-01", "2026-01-01T08:30", "2026-01-01 08:30:15",
                             "2026-01-01T08:30:15.125", "2026-1-1 0:00:00.0", "2026/01/01",
                             "2026/01/01 23:59:59", "2026年1月1日", "2024年2月29日", "2000-02-29"})
        EXPECT_EQ(year(date), rejected) << date << " is a date";
    for (const char* notADate :
         {"Jan 1, 2026", "abc", "2026-01-01T", "2026-01-01 24:00", "2026-01/01", "2026年1月1",
          "2026-01-01 08:30:15Z", "26-01-01", "2026年2月30日", "1900-02-29", "2100-02-29"})
        EXPECT_NE(year(notADate).find("code=\"999\" message=\"Type mismatch: dWAFirstDate"),
                  std::string::npos)
            << notADate << " is not a date";
}

// Records are found by their exact name: a salaryitem in a namespace is not a record, as a
// condition in a namespace is not a condition.
TEST_F(ItemImport, RecordsInANamespaceAreNotRecords) {
    std::string record = ItemRecord({}, {{"奖金", "0", "55"}});
    std::string prefixed = record;
    prefixed.replace(0, std::string("<salaryitem>").size(), "<x:salaryitem xmlns:x=\"urn:a\">");
    prefixed.replace(prefixed.rfind("</salaryitem>"), 13, "</x:salaryitem>");
    std::string defaulted = record;
    defaulted.replace(0, std::string("<salaryitem>").size(), "<salaryitem xmlns=\"urn:b\">");
    std::string reply = testing_support::Transact(
        server.get(),
        "<vkinterface proc=\"ADD\" docid=\"N\">" + prefixed + defaulted + "</vkinterface>",
        login.get());
    EXPECT_EQ(reply, "<reply docid=\"N\" proc=\"ADD\"/>");
    reply = testing_support::Transact(
        server.get(),
        "<vkinterface proc=\"ADD\" docid=\"N\">" + prefixed + record + "</vkinterface>",
        login.get());
    EXPECT_EQ(reply,
              "<reply docid=\"N\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"0\" "
              "message=\"成功\"/></reply>");
}

TEST_F(ItemImport, AMonthBelowTheOpenOneIsRefused) {
    demo.Exec("update GL_mend set bflag_WA = 0");
    EXPECT_EQ(Rejection({{"month", "10"}}), "导入月份不正确！") << "iLastMonth 10: only 11 is open";
    EXPECT_EQ(Rejection({{"month", "1"}}), "导入月份不正确！");
    demo.Exec("update WA_account set iLastMonth = 12 where cGZGradeNum = '001'");
    EXPECT_EQ(Rejection({{"month", "12"}}), "导入月份不正确！") << "with iLastMonth 12 only 13";
    EXPECT_EQ(Import(ItemRecord({{"month", "13"}}, {{"奖金", "0", "1"}})).first, "100")
        << "month 13 passes the checks (no payroll row exists for it)";
}

TEST_F(ItemImport, NumberEdgesOfRecordFields) {
    demo.Exec("update GL_mend set bflag_WA = 0");
    EXPECT_EQ(Rejection({{"month", "-32768"}}), "导入月份不正确！") << "-32768 fits 16 bits";
    EXPECT_EQ(Rejection({{"month", "32767"}}), "导入月份不正确！") << "32767 fits 16 bits";
    for (const char* month : {"32768", "32767.5"})  // 32767.5 rounds to even 32768
        EXPECT_EQ(ImportReply(ItemRecord({{"month", month}})),
                  "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"Item\" code=\"999\" "
                  "message=\"Overflow\"/></reply>");
    EXPECT_EQ(Rejection({{"month", "1e-400"}}), "导入月份不能为空！") << "an underflow reads as 0";
    EXPECT_EQ(Rejection({{"month", "10.5"}}), "导入月份不正确！") << "10.5 rounds to even 10";
    EXPECT_EQ(Import(ItemRecord({{"month", "10.6"}}, {{"奖金", "0", "1"}})).first, "0")
        << "10.6 rounds to 11";
}

}  // namespace
