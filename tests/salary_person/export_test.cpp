#include "salary_person/export.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "support/dispatch.h"
#include "support/person_import.h"

namespace {

struct Page {
    std::string xml;
    std::int32_t number;
    std::int32_t count;
};

class RosterExport : public testing_support::PersonImportTest {
  protected:
    std::unique_ptr<db::Connection> connection = demo.Connect();
    std::vector<Page> pages;
    std::vector<std::string> statements;

    void SetUp() override {
        connection->SetStatementHook([this](const std::string& sql) { statements.push_back(sql); });
    }
    std::string Export(const std::string& attributes, const std::string& conditions) {
        std::string request = "<vkinterface roottag=\"salaryperson\" proc=\"QUERY\" docid=\"R\"" +
                              attributes + "><salaryperson>" + conditions +
                              "</salaryperson></vkinterface>";
        xml::Document doc;
        EXPECT_TRUE(doc.Load(request));
        std::string text = request;
        salary_person::QueryProc(*connection, doc.Root().Select("salaryperson/field"), text,
                                 [this](const std::string& page, std::int32_t n, std::int32_t c) {
                                     pages.push_back({page, n, c});
                                 });
        return text;
    }
    // The person codes of the records, in order.
    static std::string Persons(const std::string& xml) {
        xml::Document doc;
        EXPECT_TRUE(doc.Load(xml)) << xml;
        std::string out;
        for (xml::Element r : doc.Root().Children("salaryperson"))
            out += r.FirstChild("personno").Text() + " ";
        return out;
    }
};

const char* kPayroll002 = "<field name='cGZGradeNum' operation='=' value='002'/>";  // 5 persons

TEST_F(RosterExport, PagesOfFivePersonsByTwo) {
    std::string rest = Export(" paginate=\"2\" extra=\"kept\"", kPayroll002);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(Persons(pages[0].xml) + Persons(pages[1].xml) + Persons(pages[2].xml),
              "0015 0016 0017 0018 0019 ");
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].number, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(pages[i].count, 3);
        EXPECT_EQ(pages[i].xml.rfind("<vkinterface roottag=\"salaryperson\" proc=\"QUERY\" "
                                     "docid=\"R\" paginate=\"2\" extra=\"kept\">",
                                     0),
                  0u);
    }
    EXPECT_EQ(rest, pages[2].xml) << "the fifth person is returned as well";
    pages.clear();
    rest = Export(" paginate=\"0\"", kPayroll002);
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(Persons(rest), "0015 0016 0017 0018 0019 ");
}

TEST_F(RosterExport, TheStatementsAreThoseOfTheRoster) {
    Export(" paginate=\"1\"",
           "<field name='cPsn_Num' operation='=' value='0015' logic='or'/>"
           "<field name='cpsngrd' operation='=' value='管理人员'/>");
    const std::string from =
        "wa_account inner join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum left join "
        "WA_grade on WA_psn.iPsnGrd_id = WA_grade.iPsnGrd_id where (WA_PSN.cPsn_Num = '0015' or "
        "WA_GRADE.cPsnGrd = '管理人员') and WA_psn.iPsnMove = 0";
    auto ran = [&](const std::string& sql) {
        return std::find(statements.begin(), statements.end(), sql) != statements.end();
    };
    EXPECT_TRUE(ran("select count(*) from " + from));
    EXPECT_TRUE(
        ran("select WA_psn.M1,WA_psn.M2,WA_psn.M3,wa_account.cgzgradename, "
            "WA_psn.cGZGradeNum, WA_psn.cPsn_Num, WA_psn.cPsn_Name, WA_psn.cLkxcode, "
            "WA_psn.cDept_num, WA_psn.iPsnGrd_id, WA_psn.cAccount, WA_psn.dInTime, "
            "WA_psn.dGZTFTime, WA_psn.cMemo, WA_psn.bForeign, WA_psn.bTaxBz, "
            "WA_psn.bPRCal, WA_psn.i_id, WA_psn.iPsnMove, WA_grade.cPsnGrd from  " +
            from));
    EXPECT_EQ(pages.size(), 5u) << "0015 and the four 管理人员 of payroll 001";
}

TEST_F(RosterExport, RecordsCarryTheMappedColumnsAndEveryExtraField) {
    demo.Exec("update WA_psn set M2 = NULL, bForeign = 1 where cPsn_Num = '0016'");
    std::string rest =
        Export(" paginate=\"0\"", "<field name='cPsn_Num' operation='=' value='0016'/>");
    EXPECT_EQ(rest,
              "<vkinterface roottag=\"salaryperson\" proc=\"QUERY\" docid=\"R\" paginate=\"0\">"
              "<salaryperson><salarygradeno>002</salarygradeno><salarygradename>临时人员"
              "</salarygradename><departmentno>0201</departmentno><personno>0016</personno>"
              "<personname>韩若溪</personname><persongradeno>临时工</persongradeno><isforeign>1"
              "</isforeign><taxtoken>1</taxtoken><lkxcode>K0016</lkxcode><persongradeid>4"
              "</persongradeid><account>9900000000000016</account><intime>2011-08-01 00:00:00"
              "</intime><paytime/><memo/><prcal>0</prcal><id>16</id><psnmove>0</psnmove>"
              "<entry name=\"M1\" extraname=\"身份证号\">990116199608162268</entry>"
              "<entry name=\"M2\" extraname=\"公积金账号\"/>"
              "<entry name=\"M3\" extraname=\"开户银行\">湖滨银行</entry></salaryperson>"
              "</vkinterface>")
        << "a Null extra value is the empty text";
    demo.Exec("delete from WA_PsnMsg");
    rest = Export(" paginate=\"0\"", "<field name='cPsn_Num' operation='=' value='0016'/>");
    EXPECT_EQ(rest.find("<entry"), std::string::npos) << "no definitions, no entries";
    EXPECT_TRUE(std::any_of(statements.begin(), statements.end(), [](const std::string& sql) {
        return sql.rfind("select wa_account.cgzgradename, WA_psn.cGZGradeNum", 0) == 0;
    })) << "without definitions the column list starts with the payroll name";
}

TEST_F(RosterExport, OnlyPersonsStillOnAnExistingPayroll) {
    EXPECT_EQ(Persons(Export(" paginate=\"0\"",
                             "<field name='cPsn_Num' operation='=' value='0009' logic='or'/>"
                             "<field name='cPsn_Num' operation='=' value='0008'/>")),
              "0008 ")
        << "0009 moved away";
    EXPECT_EQ(Persons(Export(" paginate=\"0\"", "")).find("0009"), std::string::npos);
    demo.Exec("update WA_psn set iPsnGrd_id = 99 where cPsn_Num = '0017'");
    std::string rest =
        Export(" paginate=\"0\"", "<field name='cPsn_Num' operation='=' value='0017'/>");
    EXPECT_NE(rest.find("<personno>0017</personno><personname>唐伟杰</personname><persongradeno/>"),
              std::string::npos)
        << "a category without a WA_grade row is exported empty: " << rest;
    demo.Exec("delete from WA_account where cGZGradeNum = '002'");
    EXPECT_EQ(Persons(Export(" paginate=\"0\"", kPayroll002)), "");
}

TEST_F(RosterExport, FaultsThatEndTheExport) {
    auto fault = [&](const std::string& attributes, const std::string& conditions) {
        try {
            Export(attributes, conditions);
        } catch (const base::Fault& f) {
            return f.number();
        }
        return 0;
    };
    EXPECT_EQ(fault("", ""), base::kTypeMismatch) << "no paginate";
    EXPECT_EQ(fault(" paginate=\"0\"", "<field name='nope' operation='=' value='1'/>"),
              db::kItemNotFound);
    demo.Exec("insert into WA_PsnMsg values (9, '未建列')");
    EXPECT_EQ(fault(" paginate=\"0\"", ""), db::kErrorsInCommand)
        << "a definition without its roster column";
    demo.Exec("delete from WA_PsnMsg where iNum = 9");
    std::string request = "<r roottag=\"salaryperson\" paginate=\"2\"/>";
    int delivered = 0;
    EXPECT_THROW(salary_person::QueryProc(*connection, {}, request,
                                          [&](const std::string&, std::int32_t, std::int32_t) {
                                              if (++delivered == 2)
                                                  throw base::Fault(-1, "caller gone");
                                          }),
                 base::Fault);
    EXPECT_EQ(delivered, 2);
}

TEST_F(RosterExport, HostileConditionsChangeNothing) {
    std::string before = demo.FileBytes();
    for (const char* conditions :
         {"<field name='cPsn_Num' operation='=' value=\"x' or '1'='1\"/>",
          // A backslash is no escape character: the quote after it still ends nothing.
          "<field name='cPsn_Num' operation='=' value=\"x\\' or 1=1 -- \"/>",
          "<field name='iPsnMove' operation='=' value='0 or 1=1'/>",
          "<field name='iPsnMove' operation='; delete from WA_psn; --' value='1'/>",
          "<field name='cPsn_Num' operation='=' value='1' logic='; drop table WA_psn'/>"
          "<field name='cPsn_Num' operation='=' value='2'/>"}) {
        try {
            EXPECT_EQ(Persons(Export(" paginate=\"0\"", conditions)), "") << conditions;
        } catch (const base::Fault& f) {
            EXPECT_EQ(f.number(), base::kInvalidArgument) << conditions << ": " << f.what();
        }
    }
    connection.reset();
    EXPECT_EQ(demo.FileBytes(), before);
}

// An exported roster record, sent back as an ADD record to a payroll the person is not on,
// enrols the person with the same flags and extra-field values.
TEST_F(RosterExport, AnExportedRecordEnrolsThePersonElsewhere) {
    demo.Exec("update WA_psn set bForeign = 1, bTaxBz = 0, M3 = NULL where cPsn_Num = '0016'");
    std::string exported =
        Export(" paginate=\"0\"", "<field name='cPsn_Num' operation='=' value='0016'/>");
    std::string request = exported;
    request.replace(request.find("proc=\"QUERY\""), 12, "proc=\"ADD\"");
    request.replace(request.find("<salarygradeno>002</salarygradeno>"), 34,
                    "<salarygradeno>001</salarygradeno>");
    EXPECT_EQ(testing_support::Transact(server.get(), request, login.get()),
              "<reply docid=\"R\" proc=\"ADD\"><result n=\"1\" key=\"韩若溪\" code=\"0\" "
              "message=\"成功\"/></reply>");
    EXPECT_EQ(demo.Column("select cGZGradeNum || '/' || (bForeign + 0) || (bTaxBz + 0) || '/' || "
                          "M1 || '/' || M2 || '/' || ifnull(M3, 'null') from WA_psn where "
                          "cPsn_Num = '0016' order by i_id"),
              "002/10/990116199608162268/PF000000016/null;001/10/990116199608162268/PF000000016/")
        << "the empty text of a Null value comes back as the empty text";
}

}  // namespace
