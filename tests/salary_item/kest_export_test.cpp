#include "salary_item/kest_export.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/faults.h"
#include "support/pages.h"

namespace {

struct Page {
    std::string xml;
    std::int32_t number;
    std::int32_t count;
};

class KestExport : public ::testing::Test {
  protected:
    testing_support::DemoDb demo;
    std::unique_ptr<db::Connection> connection = demo.Connect();
    messages::Messages messages{messages::SalaryItemNames()};
    std::string itemFilter = "stale";
    std::vector<Page> pages;

    std::string Export(const std::string& attributes, const std::string& conditions) {
        std::string request = "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" docid=\"K\"" +
                              attributes + "><salaryitem type=\"kest\">" + conditions +
                              "</salaryitem></vkinterface>";
        xml::Document doc;
        EXPECT_TRUE(doc.Load(request));
        std::string text = request;
        salary_item::QueryProcKest(*connection, messages, doc.Root().Select("salaryitem/field"),
                                   text, itemFilter,
                                   [this](const std::string& page, std::int32_t n, std::int32_t c) {
                                       pages.push_back({page, n, c});
                                   });
        return text;
    }
    // "person:entry names" per record, in order.
    static std::string Summary(const std::string& xml) {
        xml::Document doc;
        EXPECT_TRUE(doc.Load(xml)) << xml;
        std::string out;
        for (xml::Element r : doc.Root().Children("salaryitem")) {
            out += r.FirstChild("personno").Text() + "/" + r.FirstChild("month").Text() + ":";
            for (xml::Element e : r.Children("entry")) out += e.GetAttribute("name") + ",";
            out += " ";
        }
        return out;
    }
};

TEST_F(KestExport, RecordsCarryDepartmentNameMobilePhoneAndEntries) {
    std::string rest = Export(" paginate=\"0\"",
                              "<field name='cPsn_Num' operation='=' value='0004' logic='and'/>"
                              "<field name='salaryitem' operation='=' value='奖金' logic='and'/>"
                              "<field name='month' operation='=' value='11'/>");
    EXPECT_EQ(rest,
              "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" docid=\"K\" paginate=\"0\">"
              "<salaryitem><salarygradeno>001</salarygradeno><salarygradename>正式人员"
              "</salarygradename><departmentno>0102</departmentno><personno>0004</personno>"
              "<personname>吴海燕</personname><persongradeno>管理人员</persongradeno><year>2026"
              "</year><month>11</month><departmentname>人事科</departmentname><cpsnmobilephone>"
              "Null</cpsnmobilephone><entry name=\"奖金\" type=\"0\">1200</entry></salaryitem>"
              "</vkinterface>")
        << "0004 has no mobile row";
    demo.Exec("update WA_GZData set cDept_Num = '0999' where cPsn_Num = '0004' and iMonth = 11");
    rest = Export(" paginate=\"0\"",
                  "<field name='cPsn_Num' operation='=' value='0004' "
                  "logic='and'/><field name='month' operation='=' value='11'/>");
    EXPECT_NE(rest.find("<departmentname/><cpsnmobilephone>Null</cpsnmobilephone><entry"),
              std::string::npos)
        << "a department missing from the departments is empty: " << rest;
}

TEST_F(KestExport, TheItemConditionFiltersTheEntries) {
    EXPECT_EQ(Summary(Export(" paginate=\"0\"",
                             "<field name='salaryitem' operation='in' value='基本工资,奖金' "
                             "logic='and'/><field name='cPsn_Num' operation='=' value='0001'/>")),
              "0001/10:基本工资,奖金, 0001/11:基本工资,奖金, ");
    EXPECT_EQ(itemFilter, " and WA_GZtblset.cSetGzitemName in ('基本工资','奖金')");
    const std::string every =
        "应发合计,扣款合计,实发合计,本月扣零,上月扣零,代扣税,基本工资,岗位工资,奖金,备注,计件工资,"
        "年终奖,";
    EXPECT_EQ(Summary(Export(" paginate=\"0\"",
                             "<field name='salaryitem' operation='in' value='  ' logic='and'/>"
                             "<field name='cPsn_Num' operation='=' value='0001' logic='and'/>"
                             "<field name='month' operation='=' value='11'/>")),
              "0001/11:" + every + " ")
        << "a blank item value filters nothing";
    EXPECT_EQ(Summary(Export(" paginate=\"0\"",
                             "<field name='cPsn_Num' operation='=' value='0001' logic='and'/>"
                             "<field name='month' operation='=' value='11'/>")),
              "0001/11:" + every + " ")
        << "without an item condition every item with a setting";
    EXPECT_EQ(itemFilter, "");
    EXPECT_EQ(Summary(Export(" paginate=\"0\"",
                             "<field name='salaryitem' operation='in' value=\"x','奖金\" "
                             "logic='and'/><field name='cPsn_Num' operation='=' value='0001' "
                             "logic='and'/><field name='month' operation='=' value='11'/>")),
              "0001/11: ")
        << "a quote in an item name filters as data";
    // An item filter the database cannot read ('=' with two names): the settings lookup fails and
    // is left out, so the items' entries come without their styles (and items without a setting
    // with no name), and the export goes on.
    const std::string broken =
        Export(" paginate=\"0\"",
               "<field name='salaryitem' operation='=' value='奖金,基本工资' "
               "logic='and'/><field name='cPsn_Num' operation='=' "
               "value='0001' logic='and'/><field name='month' "
               "operation='=' value='11'/>");
    EXPECT_EQ(Summary(broken).rfind("0001/11:" + every, 0), 0u) << Summary(broken);
    EXPECT_EQ(broken.find(" type="), std::string::npos) << broken;
}

TEST_F(KestExport, RequestNamesSelectTheirColumns) {
    EXPECT_EQ(Summary(Export(" paginate=\"0\"",
                             "<field name='SALARYGRADENO' operation='=' value='002' logic='and'/>"
                             "<field name='departmentno' operation='in' value='0202,0299' "
                             "logic='and'/><field name='salaryitem' operation='=' value='奖金' "
                             "logic='and'/><field name='Month' operation='in' value='12,13'/>")),
              "0017/12:奖金, 0018/12:奖金, ");
    EXPECT_EQ(Summary(Export(" paginate=\"0\"",
                             "<field name='cPsn_Num' operation='not in' value='0001,0002,0003,"
                             "0004,0005,0006,0007,0008,0010,0011,0012,0013,0014,0015,0016' "
                             "logic='and'/><field name='salaryitem' operation='=' value='奖金'/>")),
              "0017/12:奖金, 0018/12:奖金, 0019/12:奖金, ");
}

TEST_F(KestExport, PagesAndTheirFailures) {
    const char* payroll002 =
        "<field name='salarygradeno' operation='=' value='002' logic='and'/>"
        "<field name='salaryitem' operation='=' value='奖金'/>";
    std::string rest = Export(" paginate=\"2\"", payroll002);
    ASSERT_EQ(pages.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pages[i].number, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(pages[i].count, 3);
        EXPECT_EQ(testing_support::RecordCount(pages[i].xml, "salaryitem"), i < 2 ? 2u : 1u);
    }
    EXPECT_EQ(rest, pages[2].xml);
    pages.clear();
    EXPECT_EQ(testing_support::RecordCount(Export(" paginate=\"abc\"", payroll002), "salaryitem"),
              5u)
        << "a paginate that is no number exports unpaged";
    EXPECT_TRUE(pages.empty());
    std::string request = "<r roottag=\"salaryitem\" paginate=\"2\"/>";
    EXPECT_THROW(salary_item::QueryProcKest(*connection, messages, {}, request, itemFilter,
                                            [](const std::string&, std::int32_t, std::int32_t) {
                                                throw base::Fault(91, "no caller");
                                            }),
                 base::Fault)
        << "an undeliverable page fails the call";
    request = "<r paginate=\"0\"/>";
    EXPECT_EQ(testing_support::FaultOf([&] {
                  salary_item::QueryProcKest(*connection, messages, {}, request, itemFilter,
                                             [](const std::string&, std::int32_t, std::int32_t) {});
              }),
              std::make_pair(94, std::string("Invalid use of Null: the request's root has no "
                                             "roottag attribute")))
        << "without roottag no record can be made: the rows would be lost";
}

TEST_F(KestExport, ThroughTransactAsThePlatformCallsIt) {
    auto server = testing_support::NewSalaryItem();
    auto login = testing_support::NewLogin(demo.ConnectionString());
    const std::string query =
        "<vkinterface roottag='salaryitem' proc='QUERY' paginate='2'><x><salaryitem type='KeSt'/>"
        "</x><salaryitem><field name='salarygradeno' operation='=' value='002'/></salaryitem>"
        "</vkinterface>";
    try {
        testing_support::Transact(server.get(), query, login.get());
        ADD_FAILURE() << "a paged kest export without a caller succeeded";
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), base::kObjectNotSet) << f.what();
    }
    auto collector = testing_support::PageCollector::Create();
    testing_support::HoldCaller(server.get(), *collector.get());
    std::string reply = testing_support::Transact(server.get(), query, login.get());
    ASSERT_EQ(collector->pages.size(), 3u);
    EXPECT_NE(collector->pages[0].xml.find("<cpsnmobilephone>13800000015</cpsnmobilephone>"),
              std::string::npos)
        << "the first salaryitem at any depth asked for the kest form";
    EXPECT_EQ(reply, collector->pages[2].xml);

    auto person = testing_support::NewSalaryPerson();
    reply = testing_support::Transact(
        person.get(),
        "<vkinterface roottag='salaryperson' proc='QUERY' paginate='0'><salaryitem type='kest'/>"
        "<salaryperson><field name='cPsn_Num' operation='=' value='0015'/></salaryperson>"
        "</vkinterface>",
        login.get());
    EXPECT_EQ(testing_support::RecordCount(reply, "salaryperson"), 1u)
        << "ISalaryPerson ignores type";
    reply = testing_support::Transact(
        server.get(),
        "<vkinterface proc='ADD' docid='A'><salaryitem type='KEST'><salarygradeno>002"
        "</salarygradeno></salaryitem></vkinterface>",
        login.get());
    EXPECT_NE(reply.find("code=\"101\""), std::string::npos)
        << "an ADD of type kest imports: " << reply;
}

TEST_F(KestExport, HostileConditionsAndFilterValuesChangeNothing) {
    connection.reset();
    std::string before = demo.FileBytes();
    connection = demo.Connect();
    std::string rest = Export(" paginate=\"0\"",
                              "<field name='salaryitem' operation='in' value=\"a') or 1=1 --\"/>");
    EXPECT_EQ(rest.find("<entry"), std::string::npos) << "a filter value named an item";
    for (const char* conditions :
         {"<field name='salaryitem' operation='; drop table WA_GZData' value='x'/>",
          "<field name='month' operation='in' value='1) or (1=1'/>",
          "<field name='departmentno' operation='in' value=\"0101') union select 1 --\"/>"}) {
        try {
            EXPECT_EQ(Summary(Export(" paginate=\"0\"", conditions)).find("/"), std::string::npos)
                << conditions;
        } catch (const base::Fault& f) {
            EXPECT_EQ(f.number(), base::kInvalidArgument) << conditions << ": " << f.what();
        }
    }
    // Two salary item conditions: refused before any statement runs, on every database.
    std::vector<std::string> statements;
    connection->SetStatementHook([&](const std::string& sql) { statements.push_back(sql); });
    try {
        Export(" paginate=\"0\"",
               "<field name='salaryitem' operation='=' value='奖金' logic='and'/>"
               "<field name='month' operation='=' value='11' logic='and'/>"
               "<field name='salaryitem' operation='like' value='应发'/>");
        ADD_FAILURE() << "two salary item conditions were exported";
    } catch (const base::Fault& f) {
        EXPECT_EQ(f.number(), base::kInvalidArgument);
        EXPECT_NE(std::string(f.what()).find("query condition 3: a kest request takes one salary "
                                             "item condition"),
                  std::string::npos)
            << f.what();
    }
    EXPECT_EQ(statements, std::vector<std::string>{});
    connection.reset();
    EXPECT_EQ(demo.FileBytes(), before);
}

}  // namespace
