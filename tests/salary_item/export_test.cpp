#include "salary_item/export.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/faults.h"

namespace {

struct Page {
    std::string xml;
    std::int32_t number;
    std::int32_t count;
};

class ItemExport : public ::testing::Test {
  protected:
    testing_support::DemoDb demo;
    std::unique_ptr<db::Connection> connection = demo.Connect();
    messages::Messages messages{messages::SalaryItemNames()};
    std::vector<Page> pages;

    // Runs the export for a request root with `attributes` and `conditions`; returns sRetXml.
    std::string Export(const std::string& attributes, const std::string& conditions) {
        std::string request = "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" docid=\"E\"" +
                              attributes + "><salaryitem>" + conditions +
                              "</salaryitem></vkinterface>";
        xml::Document doc;
        EXPECT_TRUE(doc.Load(request));
        std::string text = request;
        salary_item::QueryProc(*connection, messages, doc.Root().Select("salaryitem/field"), text,
                               [this](const std::string& page, std::int32_t n, std::int32_t count) {
                                   pages.push_back({page, n, count});
                               });
        return text;
    }
    static std::size_t Records(const std::string& xml) {
        xml::Document doc;
        EXPECT_TRUE(doc.Load(xml)) << xml;
        return doc.Root().Children("salaryitem").size();
    }
};

const char* kPayroll002 = "<field name='cGZGradeNum' operation='=' value='002'/>";  // 5 rows
const char* kDept0201 =
    "<field name='cDept_Num' operation='=' value='0201' logic='and'/>"
    "<field name='iMonth' operation='=' value='11'/>";  // 4 rows

TEST_F(ItemExport, PagesOfFiveRowsByTwo) {
    std::string rest = Export(" paginate=\"2\" extra=\"kept\"", kPayroll002);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(Records(pages[0].xml), 2u);
    EXPECT_EQ(Records(pages[1].xml), 2u);
    EXPECT_EQ(Records(pages[2].xml), 1u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].number, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(pages[i].count, 3);
        EXPECT_EQ(
            pages[i].xml.rfind(
                "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" docid=\"E\" paginate=\"2\" "
                "extra=\"kept\">",
                0),
            0u);
    }
    EXPECT_EQ(Records(rest), 1u);
    EXPECT_EQ(rest, pages[2].xml) << "the last partial page is also returned";
}

TEST_F(ItemExport, FullLastPageLeavesTheBareRoot) {
    std::string rest = Export(" paginate=\"2\"", kDept0201);
    ASSERT_EQ(pages.size(), 2u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].number, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(pages[i].count, 2) << "4 rows by 2 are 2 pages";
        EXPECT_EQ(Records(pages[i].xml), 2u);
    }
    EXPECT_EQ(rest,
              "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" docid=\"E\" paginate=\"2\"/>");
    pages.clear();
    Export(" paginate=\"1\"", kDept0201);
    ASSERT_EQ(pages.size(), 4u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].number, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(pages[i].count, 4) << "4 rows by 1 are 4 pages";
    }
    pages.clear();
    Export(" paginate=\"4\"", kDept0201);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].count, 1);
    EXPECT_EQ(Records(pages[0].xml), 4u);
}

TEST_F(ItemExport, UnpagedExportReturnsEveryRowWithMappedFieldsAndEntries) {
    std::string rest = Export(" paginate=\"0\"", "");
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(Records(rest), 33u - 2u) << "rows of the person who moved away are left out";
    rest = Export(" paginate=\"-3\"",
                  "<field name='cPsn_Num' operation='=' value='0001' logic='and'/>"
                  "<field name='iMonth' operation='=' value='11'/>");
    EXPECT_EQ(
        rest,
        "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" docid=\"E\" "
        "paginate=\"-3\"><salaryitem>"
        "<salarygradeno>001</salarygradeno><salarygradename>正式人员</salarygradename>"
        "<departmentno>0101</departmentno><personno>0001</personno><personname>林晓东</personname>"
        "<persongradeno>管理人员</persongradeno><year>2026</year><month>11</month>"
        "<entry name=\"应发合计\" type=\"0\">5550</entry><entry name=\"扣款合计\" "
        "type=\"0\">16.5</entry>"
        "<entry name=\"实发合计\" type=\"0\">5533.5</entry><entry name=\"本月扣零\" "
        "type=\"0\">0</entry>"
        "<entry name=\"上月扣零\" type=\"0\">0</entry><entry name=\"代扣税\" "
        "type=\"0\">16.5</entry>"
        "<entry name=\"基本工资\" type=\"0\">4250</entry><entry name=\"岗位工资\" "
        "type=\"0\">1000</entry>"
        "<entry name=\"奖金\" type=\"0\">300</entry><entry name=\"备注\" type=\"1\">0</entry>"
        "<entry name=\"计件工资\" type=\"0\">0</entry><entry name=\"年终奖\" type=\"0\">0</entry>"
        "</salaryitem></vkinterface>")
        << "Null gives 0; item 13 has no setting and gets no entry";
}

// The request's conditions go into parentheses, so a joiner never widens the export to persons
// who left the payroll: person 0009 (iPsnMove 1) matches every condition below.
TEST_F(ItemExport, TheExportsOwnConditionBindsToTheWholeRequestCondition) {
    std::vector<std::string> statements;
    connection->SetStatementHook([&](const std::string& sql) { statements.push_back(sql); });
    auto persons = [](const std::string& xml) {
        xml::Document doc;
        EXPECT_TRUE(doc.Load(xml));
        std::string out;
        for (xml::Element r : doc.Root().Children("salaryitem"))
            out += r.FirstChild("personno").Text() + "/" + r.FirstChild("month").Text() + " ";
        return out;
    };
    const std::string from =
        "from (WA_GZData left join WA_grade on WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id) left "
        "join (wa_account inner join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum) ON "
        "WA_psn.cGZGradeNum = WA_GZData.cGZGradeNum AND WA_psn.cPsn_Num = WA_GZData.cPsn_Num ";
    EXPECT_EQ(persons(Export(" paginate=\"0\"",
                             "<field name='cPsn_Num' operation='=' value='0009' logic='or'/>"
                             "<field name='cPsn_Num' operation='=' value='0008'/>")),
              "0008/10 0008/11 ");
    auto ran = [&](const std::string& sql) {
        return std::find(statements.begin(), statements.end(), sql) != statements.end();
    };
    EXPECT_TRUE(ran("select wa_account.cgzgradename,WA_GZData.*,WA_grade.cPsnGrd " + from +
                    "where ( WA_GZData.cPsn_Num = '0009' or  WA_GZData.cPsn_Num = '0008') and "
                    "WA_psn.iPsnMove = 0"));
    statements.clear();
    EXPECT_EQ(persons(Export(" paginate=\"5\"",
                             "<field name='cPsn_Num' operation='=' value='0009' logic='or'/>"
                             "<field name='cPsn_Num' operation='=' value='0008' logic='and'/>"
                             "<field name='iMonth' operation='=' value='11'/>")),
              "0008/11 ");
    const std::string where =
        "where ( WA_GZData.cPsn_Num = '0009' or  WA_GZData.cPsn_Num = '0008' and  "
        "WA_GZData.iMonth = 11) and WA_psn.iPsnMove = 0";
    EXPECT_TRUE(ran("select count(*) " + from + where)) << "the count has the export's condition";
    EXPECT_TRUE(ran("select wa_account.cgzgradename,WA_GZData.*,WA_grade.cPsnGrd " + from + where));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].count, 1);
}

// A character class in a like is read as the production database reads it, on every database:
// the same request exports the same rows on SQLite and on the server.
TEST_F(ItemExport, ALikeReadsCharacterClassesAsTheProductionDatabase) {
    auto persons = [&](const std::string& pattern, const char* operation = "like") {
        xml::Document doc;
        EXPECT_TRUE(doc.Load(
            Export(" paginate=\"0\"", "<field name='cPsn_Name' operation='" +
                                          std::string(operation) + "' value='" + pattern +
                                          "' logic='and'/><field name='iMonth' operation='=' "
                                          "value='11'/>")));
        std::string out;
        for (xml::Element r : doc.Root().Children("salaryitem"))
            out += r.FirstChild("personno").Text() + " ";
        return out;
    };
    EXPECT_EQ(persons("[孙钱]"), "0006 0007 ") << "the like's own % follows the class";
    EXPECT_EQ(persons("[^孙钱赵冯何许邓曹彭沈韩唐罗高]"), persons("[周吴郑王林陈李张刘杨黄]"));
    EXPECT_EQ(persons("[孙钱]", "not like").find("0006"), std::string::npos);
    EXPECT_EQ(persons("孙[雨]桐"), "0006 ");
    EXPECT_EQ(persons("[孙"), "") << "a '[' that no ']' closes is a character";
}

TEST_F(ItemExport, FaultsThatEndTheExport) {
    auto fails = [&](const std::string& attributes, const std::string& conditions) {
        try {
            Export(attributes, conditions);
        } catch (const base::Fault& f) {
            return f.number();
        }
        return 0;
    };
    EXPECT_EQ(fails("", ""), base::kTypeMismatch) << "no paginate";
    EXPECT_EQ(fails(" paginate=\"2x\"", ""), base::kTypeMismatch);
    EXPECT_NE(fails(" paginate=\"0\"", "<field name='nope' operation='=' value='1'/>"), 0);
    // A delivery that fails ends the export: nothing is dropped silently.
    std::string request = "<r roottag=\"salaryitem\" paginate=\"2\"/>";
    int delivered = 0;
    EXPECT_THROW(salary_item::QueryProc(*connection, messages, {}, request,
                                        [&](const std::string&, std::int32_t, std::int32_t) {
                                            if (++delivered == 2)
                                                throw base::Fault(-1, "caller gone");
                                        }),
                 base::Fault);
    EXPECT_EQ(delivered, 2);
    // A QUERY without roottag cannot name its records; settings that cannot be read end the
    // export rather than leave the entries out.
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(demo.ConnectionString());
    EXPECT_EQ(testing_support::FaultOf([&] {
                  testing_support::Transact(server.get(), "<r proc='QUERY' paginate='0'/>",
                                            login.get());
              }),
              std::make_pair(94, std::string("Invalid use of Null: the request's root has no "
                                             "roottag attribute")));
    demo.Exec("alter table WA_GZtblset rename column iSetGZItemStyle to iStyle");
    connection = demo.Connect();  // a server's driver keeps the columns it prepared with
    EXPECT_EQ(fails(" paginate=\"0\"", ""), db::kItemNotFound);
}

TEST_F(ItemExport, ExportedRecordImportsBackUnchanged) {
    std::string conditions =
        "<field name='cPsn_Num' operation='=' value='0005' logic='and'/><field name='iMonth' "
        "operation='=' value='11'/>";
    std::string before = Export(" paginate=\"0\"", conditions);
    std::string request = before;
    request.replace(request.find("proc=\"QUERY\""), 12, "proc=\"ADD\"");
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(demo.ConnectionString());
    EXPECT_EQ(testing_support::Transact(server.get(), request, login.get()),
              "<reply docid=\"E\" proc=\"ADD\"><result n=\"1\" key=\"郑立新\" code=\"0\" "
              "message=\"成功\"/></reply>");
    EXPECT_EQ(Export(" paginate=\"0\"", conditions), before);
}

}  // namespace
