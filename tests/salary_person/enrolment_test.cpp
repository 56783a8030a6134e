#include <gtest/gtest.h>

#include "base/fault.h"
#include "component/classes.h"
#include "salary_person/enrolment_group.h"
#include "support/person_import.h"

namespace {

using testing_support::ByCaption;
using testing_support::ByName;
using testing_support::PersonRecord;

class Enrolment : public testing_support::PersonImportTest {
  protected:
    std::string Roster(const std::string& columns, const std::string& person = "0020") {
        return demo.Scalar("select " + columns + " from WA_psn where cPsn_Num = '" + person + "'");
    }
    std::string PayrollRows(const std::string& person = "0020") {
        return demo.Column(
            "select cGZGradeNum || '/' || cDept_Num || '/' || cPsn_Name || '/' || iPsnGrd_id || "
            "'/' || iYear || '/' || iMonth || '/' || iAccMonth || '/' || (bDCBZ + 0) || "
            "(bTFBZ + 0) from WA_GZData where cPsn_Num = '" +
            person + "'");
    }
    const std::pair<std::string, std::string> kWritten{"0", "成功"};
};

TEST_F(Enrolment, TheRosterRowCarriesMasterDataFlagsAndTrimmedExtras) {
    demo.Exec("insert into WA_PsnMsg (iNum, cMsgName) values (4, 'Branch Code')");
    EXPECT_EQ(Import(PersonRecord(
                  {{"persongradeno", "销售人员"}, {"isforeign", "1abc"}, {"taxtoken", "0"}},
                  {ByName("M1", "  990120199509071234  "), ByCaption("公积金账号", "PF0000000020"),
                   ByName("m3", " 湖滨银行 "), ByCaption("BRANCH code", "B7")})),
              kWritten);
    EXPECT_EQ(
        Roster("cGZGradeNum || cDept_num || '/' || cPsn_Name || '/' || iPsnGrd_id || '/' || "
               "(bForeign + 0) || (bTaxBz + 0) || '/' || M1 || '/' || M2 || '/' || M3 || '/' || "
               "ifnull(M4, 'null')"),
        "0010101/梁诗雨/1/10/990120199509071234/PF0000000020/湖滨银行/B7")
        << "the category is the master's (管理人员), not the record's; m3 is column M3; a "
           "caption is found whatever the case of its letters";
    EXPECT_EQ(PayrollRows(), "001/0101/梁诗雨/1/2026/11/11/00")
        << "the month after iLastMonth 10, in iLastYear";
}

TEST_F(Enrolment, ThePayrollRowIsGuardedByTheLoginsPeriod) {
    // The login works in 2026-11, and the person already has a row there.
    login = testing_support::NewLogin(demo.ConnectionString(), "2026", 11);
    demo.Exec(
        "insert into WA_GZData (cGZGradeNum, cDept_Num, cPsn_Num, cPsn_Name, iPsnGrd_id, iYear, "
        "iMonth, iAccMonth) values ('001', '0101', '0020', '梁诗雨', 1, 2026, 11, 11)");
    EXPECT_EQ(Import(PersonRecord()), kWritten);
    EXPECT_EQ(PayrollRows(), "001/0101/梁诗雨/1/2026/11/11/00") << "a second row was written";
    EXPECT_EQ(Roster("count(*)"), "1");
}

TEST_F(Enrolment, TheNextMonthIsNotCarriedIntoTheNextYear) {
    demo.Exec("update WA_account set iLastMonth = 12 where cGZGradeNum = '001'");
    EXPECT_EQ(Import(PersonRecord()), kWritten);
    EXPECT_EQ(PayrollRows(), "001/0101/梁诗雨/1/2026/13/13/00");
    demo.Exec("update WA_account set iLastMonth = 0 where cGZGradeNum = '002'");
    EXPECT_EQ(Import(PersonRecord({{"salarygradeno", "002"},
                                   {"departmentno", "0201"},
                                   {"personno", "0022"},
                                   {"personname", "范志强"},
                                   {"persongradeno", "临时工"}})),
              kWritten);
    EXPECT_EQ(PayrollRows("0022"), "002/0201/范志强/4/2026/1/1/00");
}

TEST_F(Enrolment, LimitsOfIdentityCardAndProvidentFundAccount) {
    const std::string id18 = "990120199509071234", pf12 = "PF0000000020";
    EXPECT_EQ(
        Unwritten(PersonRecord({}, {ByCaption("身份证号", " " + id18 + "5 ")})),
        std::make_pair(std::string("100"), std::string("数据库操作错误：身份证号不能超过18位")));
    EXPECT_EQ(
        Unwritten(PersonRecord({}, {ByName("M2", pf12 + "3")})),
        std::make_pair(std::string("100"), std::string("数据库操作错误：公积金账号不能超过12位")));
    EXPECT_EQ(
        Import(PersonRecord({}, {ByCaption("身份证号", "  " + id18 + "  "), ByName("M2", pf12)})),
        kWritten);
    EXPECT_EQ(Roster("M1 || '/' || M2"), id18 + "/" + pf12);
}

TEST_F(Enrolment, APersonWithoutMasterDataOfAKnownTypeIsNotEnrolled) {
    demo.Exec("update pubperson set rPersonType = '999' where cPsn_Num = '0020'");
    EXPECT_EQ(
        Unwritten(PersonRecord()),
        std::make_pair(std::string("100"),
                       std::string("数据库操作错误：人员档案中没有人员编号[0020]，或其人员类型"
                                   "没有对应的人员类别")));
}

TEST_F(Enrolment, ABadLoginPeriodWritesNothing) {
    login = testing_support::NewLogin(demo.ConnectionString(), "two thousand", 12);
    auto [code, message] = Unwritten(PersonRecord());
    EXPECT_EQ(code, "100");
    EXPECT_EQ(message, "数据库操作错误：Type mismatch");
}

TEST_F(Enrolment, AnEnrolledPersonIsADuplicateTheSecondTime) {
    std::string reply = ImportReply({PersonRecord(), PersonRecord()});
    EXPECT_EQ(reply,
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"梁诗雨\" code=\"0\" "
              "message=\"成功\"/>"
              "<result n=\"2\" key=\"梁诗雨\" code=\"101\" "
              "message=\"人员编号[0020]已存在，不能重复导入！\"/></reply>");
    EXPECT_EQ(
        Import(PersonRecord()),
        std::make_pair(std::string("101"), std::string("人员编号[0020]已存在，不能重复导入！")));
}

// The statements of an enrolment, as the database receives them: on SQLite two, in the record's
// transaction; on a server one, which commits by itself.
TEST_F(Enrolment, StatementsBindEveryValue) {
    component::Instance self(messages::SalaryPersonNames());
    std::vector<std::string> writes;
    self.statementHook = [&](const std::string& sql) {
        if (sql.find("INSERT INTO") != std::string::npos) writes.push_back(sql);
    };
    self.login = login;
    std::string reply = component::Transact(
        self, *component::SalaryPerson::NewRecordKind(self),
        testing_support::AddRequest({PersonRecord()}, "salaryperson"), login.get());
    ASSERT_NE(reply.find("code=\"0\""), std::string::npos) << reply;
    ASSERT_EQ(writes.size(), demo.OnServer() ? 1u : 2u);
    const std::string roster =
        "INSERT INTO WA_psn(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bForeign,bTaxBz) "
        "SELECT ?,?,?,?,?,?,? WHERE NOT EXISTS(SELECT * FROM WA_psn WHERE cGZGradeNum = ? AND "
        "cPsn_Num = ?)";
    const std::string payroll =
        "INSERT INTO WA_GZData(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bDCBZ,bTFBZ,"
        "iMonth,iYear,iAccMonth) SELECT ?,?,?,?,?,0,0,?,?,? WHERE NOT EXISTS(SELECT * FROM "
        "WA_GZDATA WHERE cGZGradeNum = ? AND cDept_Num = ? AND cPsn_Name = ? AND cPsn_Num = ? AND "
        "iYear = ? AND iMonth = ?)";
    const std::string sent = writes.front() + "\n" + writes.back();
    const std::size_t first = sent.find(roster);
    EXPECT_NE(first, std::string::npos) << "without entries the roster row has the seven "
                                           "standard columns: "
                                        << sent;
    EXPECT_NE(sent.find(payroll, first), std::string::npos) << sent;
}

// Both rows or neither: a payroll row that the database refuses (another row holds its place in
// a unique index) leaves no roster row behind, and the person can be enrolled again afterwards.
TEST_F(Enrolment, APayrollRowThatFailsTakesTheRosterRowWithIt) {
    demo.Exec("create unique index one_name_a_month on WA_GZData(cPsn_Name, iMonth)");
    demo.Exec(
        "insert into WA_GZData(cGZGradeNum, cDept_Num, cPsn_Num, cPsn_Name, iPsnGrd_id, "
        "iYear, iMonth, iAccMonth) values ('002', '0201', '9999', '梁诗雨', 4, 2026, 11, 11)");
    std::string before = demo.FileBytes();
    auto [code, message] = Unwritten(PersonRecord());
    EXPECT_EQ(code, "100");
    EXPECT_EQ(message.rfind("数据库操作错误：", 0), 0u) << message;
    EXPECT_EQ(demo.FileBytes(), before) << "the roster row was left behind";
    demo.Exec("delete from WA_GZData where cPsn_Num = '9999'");
    EXPECT_EQ(Import(PersonRecord()), kWritten) << "the person is not taken for a duplicate";
}

TEST_F(Enrolment, QuotesAndSqlAreStoredOrRejectedAsData) {
    const std::string hostile = "O'Brien'); delete from WA_psn; --";
    EXPECT_EQ(Import(PersonRecord({}, {ByName("M3", hostile)})), kWritten);
    EXPECT_EQ(Roster("M3"), hostile);
    EXPECT_EQ(Rejection({{"personno", "0021' or '1'='1"}, {"personname", "韦佳琪"}}),
              "人员档案中没有此编号和姓名的人员！");
    EXPECT_EQ(Rejection({{"personno", "0021"}, {"personname", "韦佳琪"}},
                        {ByCaption("开户银行' or '1'='1", "x")}),
              "人员附加信息[开户银行' or '1'='1]未设置！");
    EXPECT_EQ(demo.Scalar("select count(*) from WA_psn"), "20");
}

}  // namespace

namespace {

// Persons enrolled in groups get each the outcome they get alone, in a request of their own:
// among them one enrolled twice, one refused by the checks, one whose extra field is over its
// limit and one naming a column the roster lacks (a group of another shape).
TEST_F(Enrolment, APersonInAGroupHasTheOutcomeItWouldHaveAlone) {
    auto person = [](const char* code, const char* name,
                     std::vector<testing_support::Extra> e = {}) {
        return PersonRecord({{"personno", code}, {"personname", name}}, e);
    };
    const std::vector<std::string> records = {
        person("0020", "梁诗雨"),
        person("0021", "韦佳琪"),
        person("0020", "梁诗雨"),
        PersonRecord({{"personno", "0022"}, {"personname", "范志强"}, {"departmentno", "9999"}}),
        person("0022", "范志强", {ByCaption("身份证号", std::string(19, '1'))}),
        person("0023", "秦雨菲", {ByName("M99", "x")}),
        person("0022", "范志强", {ByName("M2", "12")}),
        person("0023", "秦雨菲"),
    };
    const std::string grouped = testing_support::ResultLines(ImportReply(records));

    testing_support::DemoDb alone;
    auto aloneLogin = testing_support::NewLogin(alone.ConnectionString(), "2026", 12);
    std::string each;
    for (const std::string& record : records)
        each += testing_support::ResultLines(testing_support::Transact(
            server.get(), testing_support::AddRequest({record}, "salaryperson"), aloneLogin.get()));
    EXPECT_EQ(grouped, each);
    // A server's roster numbers its rows, and leaves gaps after a statement of many rows.
    const char* rows =
        "select cGZGradeNum || cDept_Num || cPsn_Num || cPsn_Name || iPsnGrd_id || "
        "coalesce(M2, '-') from WA_psn order by cPsn_Num";
    EXPECT_EQ(demo.Column(rows), alone.Column(rows));
    if (!demo.OnServer()) {
        EXPECT_EQ(demo.Snapshot(), alone.Snapshot());
    }
    for (const char* code : {"code=\"0\"", "code=\"100\"", "code=\"101\""})
        EXPECT_NE(grouped.find(code), std::string::npos) << code << " in " << grouped;
}

}  // namespace

namespace {

// The group's own answer: false (or a fault), and nothing kept, where a guard finds its person
// (enrolled since the checks looked) or the database reads two codes as one (a server reads
// "0020 " as "0020").
TEST_F(Enrolment, AGroupIsNotKeptWhenItsRowsFindTheirPersons) {
    auto connection = demo.Connect();
    auto plan = [](const char* code) {
        const std::vector<db::Value> key = {"001", code};
        return salary_person::PlannedEnrolment{
            {"WA_psn(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bForeign,bTaxBz)",
             "?,?,?,?,?,?,?",
             {"001", "0101", code, "梁诗雨", std::int64_t{1}, std::int64_t{0}, std::int64_t{1}},
             "SELECT * FROM WA_psn WHERE cGZGradeNum = ? AND cPsn_Num = ?",
             key},
            {"WA_GZData(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bDCBZ,bTFBZ,iMonth,"
             "iYear,iAccMonth)",
             "?,?,?,?,?,0,0,?,?,?",
             {"001", "0101", code, "梁诗雨", std::int64_t{1}, std::int64_t{11}, std::int64_t{2026},
              std::int64_t{11}},
             "SELECT * FROM WA_GZDATA WHERE cPsn_Num = ? AND iMonth = ?",
             {code, std::int64_t{11}}}};
    };
    for (const auto& [second, kept] : {std::pair{"0001", false}, {"0020 ", !demo.OnServer()}}) {
        SCOPED_TRACE(second);
        salary_person::EnrolmentGroup group;
        for (const char* code : {"0020", second}) {
            EXPECT_TRUE(group.Fits(connection->dialect(), plan(code)));
            group.Add(plan(code));
        }
        EXPECT_FALSE(group.Fits(connection->dialect(), plan("0020"))) << "a person twice";
        std::vector<bool> written;
        db::Transaction transaction(*connection);
        bool sent = false;
        try {
            sent = group.Send(*connection, written);
        } catch (const base::Fault&) {
            // A roster with a unique key refuses the second code outright: not kept either.
        }
        EXPECT_EQ(sent, kept);
        EXPECT_EQ(written.size(), kept ? 2u : 0u);
    }
    EXPECT_EQ(Roster("count(*)"), "0") << "what was not kept is rolled back";
}

}  // namespace
