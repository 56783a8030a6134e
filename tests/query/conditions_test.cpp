#include "query/conditions.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "support/demo_db.h"

namespace {

struct Cond {
    const char* name;
    const char* operation;
    const char* value;
    const char* logic;
};

// A request's condition elements; a null part leaves its attribute out.
class Conditions {
  public:
    explicit Conditions(std::initializer_list<Cond> list) {
        doc_.SetRoot(doc_.CreateElement("r"));
        for (const Cond& c : list) {
            xml::NewElement field = doc_.CreateElement("field");
            if (c.name) field->SetAttribute("name", c.name);
            if (c.operation) field->SetAttribute("operation", c.operation);
            if (c.value) field->SetAttribute("value", c.value);
            if (c.logic) field->SetAttribute("logic", c.logic);
            doc_.Root().AppendChild(std::move(field));
        }
    }
    xml::NodeList list() const { return doc_.Root().Children("field"); }

  private:
    xml::Document doc_;
};

class Builders : public ::testing::Test {
  protected:
    testing_support::DemoDb demo;
    std::unique_ptr<db::Connection> connection = demo.Connect();

    std::string Item(std::initializer_list<Cond> c) {
        return query::BuildItemWhere(Conditions(c).list(), *connection);
    }
    std::string Person(std::initializer_list<Cond> c) {
        return query::BuildPersonWhere(Conditions(c).list(), *connection);
    }
    std::string Kest(std::initializer_list<Cond> c, std::string& filter) {
        return query::BuildKestWhere(Conditions(c).list(), *connection, filter);
    }
};

TEST_F(Builders, ItemTextKeepsItsExactSpacing) {
    EXPECT_EQ(Item({}), "");
    EXPECT_EQ(Item({{"cpsn_num", "=", "0001", "garbage"}}), "where  WA_GZData.cPsn_Num = '0001'");
    EXPECT_EQ(Item({{"iMonth", "=", "11", "and"}, {"cPsn_Num", ">=", "0003", "or"}}),
              "where  WA_GZData.iMonth = 11 and  WA_GZData.cPsn_Num >= '0003'");
    EXPECT_EQ(Item({{"cpsngrd", "=", "管理人员", nullptr}}), "where cPsnGrd = '管理人员'");
    EXPECT_EQ(Item({{"cDept_Num", "like", "02", nullptr}}),
              "where  WA_GZData.cDept_Num like '02%'");
    EXPECT_EQ(Item({{"iMonth", " != ", "11", nullptr}}), "where  WA_GZData.iMonth  !=  11");
    EXPECT_EQ(Item({{"cDept_Num", "LIKE", "02", nullptr}}), "where  WA_GZData.cDept_Num LIKE '02'");
    EXPECT_EQ(Item({{"cDept_Num", "not like", "02", nullptr}}),
              "where  WA_GZData.cDept_Num not like '02%'");
    EXPECT_EQ(Item({{"cPsn_Name", "=", nullptr, nullptr}}), "where  WA_GZData.cPsn_Name = ''");
    EXPECT_EQ(Item({{"cPsn_Name", "=", "O'Brien", nullptr}}),
              "where  WA_GZData.cPsn_Name = 'O''Brien'");
    demo.Exec("alter table WA_GZData add cFlag char(1)");
    connection = demo.Connect();  // a connection prepared before the change knows the old columns
    EXPECT_EQ(Item({{"cflag", "=", "1", nullptr}}), "where  WA_GZData.cFlag = 1")
        << "char is written bare";
}

TEST_F(Builders, ItemBuilderReopensAClosedConnection) {
    connection->Close();
    EXPECT_EQ(Item({{"iYear", "<>", "2025", nullptr}}), "where  WA_GZData.iYear <> 2025");
    EXPECT_EQ(connection->State(), db::adStateOpen);
}

TEST_F(Builders, PersonTextQualifiesEveryColumn) {
    EXPECT_EQ(Person({{"cPsn_Num", "=", "0001", "and"}, {"CPSNGRD", "=", "管理人员", "or"}}),
              "where WA_PSN.cPsn_Num = '0001' and WA_GRADE.cPsnGrd = '管理人员'");
    EXPECT_EQ(Person({{"ipsnmove", "=", "0", nullptr}}), "where WA_PSN.iPsnMove = 0 ");
}

TEST_F(Builders, KestListsMappedNamesAndTheItemFilter) {
    std::string filter = "stale";
    EXPECT_EQ(Kest({{"cpsn_name", "in", "a,b", "and"}}, filter),
              "where  WA_GZData.cPsn_Name in ('a','b')")
        << "unmapped names pass through";
    EXPECT_EQ(filter, "");
    EXPECT_EQ(Kest({{"MONTH", "not in", "10,11", nullptr}}, filter),
              "where  WA_GZData.iMonth not in (10,11)");
    EXPECT_EQ(Kest({{"departmentno", "=", "0101", "and"},
                    {"salaryitem", "in", "基本工资,奖金", "and"},
                    {"month", "=", "11", "never read"}},
                   filter),
              "where  WA_GZData.cDept_Num = '0101' and  WA_GZData.iMonth = 11");
    EXPECT_EQ(filter, " and WA_GZtblset.cSetGzitemName in ('基本工资','奖金')");
    EXPECT_EQ(
        Kest({{"salarygradeno", "=", "001", "and"}, {"salaryitem", "like", "奖", nullptr}}, filter),
        "where  WA_GZData.cGZGradeNum = '001'");
    EXPECT_EQ(filter, " and WA_GZtblset.cSetGzitemName like '奖%'");
    EXPECT_EQ(Kest({{"salaryitem", "=", "  ", nullptr}}, filter), "");
    EXPECT_EQ(filter, "") << "a blank item value filters nothing";
}

TEST_F(Builders, QuotesAreDoubledInListsAndInTheItemFilter) {
    std::string filter;
    EXPECT_EQ(Kest({{"cpsn_name", "in", "O'Brien,D'Arcy", nullptr}}, filter),
              "where  WA_GZData.cPsn_Name in ('O''Brien','D''Arcy')");
    EXPECT_EQ(Kest({{"salaryitem", "not in", "a'b,c", nullptr}}, filter), "");
    EXPECT_EQ(filter, " and WA_GZtblset.cSetGzitemName not in ('a''b','c')");
    EXPECT_EQ(Kest({{"salaryitem", "like", "x' or '1'='1", nullptr}}, filter), "");
    EXPECT_EQ(filter, " and WA_GZtblset.cSetGzitemName like 'x'' or ''1''=''1%'");
}

TEST_F(Builders, HostileConditionsNeverReachAStatement) {
    const std::string before = demo.Snapshot();
    auto refused = [&](std::initializer_list<Cond> c) {
        try {
            Item(c);
        } catch (const base::Fault& f) {
            return f.description();
        }
        return std::string("accepted");
    };
    EXPECT_NE(refused({{"iMonth", "; drop table WA_GZData; --", "1", nullptr}})
                  .find("query condition 1: the operation"),
              std::string::npos);
    EXPECT_NE(refused({{"iMonth", "=", "1", "; delete from WA_psn"}, {"iYear", "=", "1", nullptr}})
                  .find("joiner"),
              std::string::npos);
    EXPECT_NE(refused({{"iMonth", "=", "1 or 1=1", nullptr}}).find("must be a number"),
              std::string::npos);
    EXPECT_NE(refused({{"iMonth", "=", "", nullptr}}).find("must be a number"), std::string::npos);
    EXPECT_EQ(refused({{"no_such_column", "=", "1", nullptr}}).find("Item cannot be found"), 0u);
    // "in" without a list: SQLite would read the quoted value as a table name.
    for (const char* operation : {"in", "NOT IN", " in "}) {
        EXPECT_NE(refused({{"cPsn_Num", operation, "WA_psn", nullptr}}).find("needs a list"),
                  std::string::npos)
            << operation;
        EXPECT_NE(refused({{"iMonth", operation, "11", nullptr}}).find("needs a list"),
                  std::string::npos);
        EXPECT_THROW(Person({{"cPsn_Num", operation, "WA_GZData", nullptr}}), base::Fault);
    }
    std::string filter;
    EXPECT_THROW(Kest({{"iMonth", "in", "1,2) or (1=1", nullptr}}, filter), base::Fault);
    EXPECT_EQ(Item({{"cPsn_Num", "=", "x' or '1'='1", nullptr}}),
              "where  WA_GZData.cPsn_Num = 'x'' or ''1''=''1'");
    EXPECT_EQ(demo.Snapshot(), before);
}

}  // namespace
