// What every interface revision does alike, run once per revision.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/requests.h"
#include "support/revisions.h"

namespace {

using testing_support::AddRequest;
using testing_support::ItemRecord;
using testing_support::PersonRecord;
using testing_support::RevisionUnderTest;
using testing_support::Transact;

class EveryRevision : public ::testing::TestWithParam<RevisionUnderTest> {
  protected:
    testing_support::DemoDb demo;
    com::ComPtr<com::IDispatch> item = testing_support::NewSalaryItemOf(GetParam());
    com::ComPtr<com::IDispatch> person = testing_support::NewSalaryPersonOf(GetParam());
    com::ComPtr<com::IDispatch> login = testing_support::NewLogin(demo.ConnectionString());
    com::ComPtr<com::IDispatch> personLogin =
        testing_support::NewLogin(demo.ConnectionString(), "2026", 12);

    std::string Items(const std::vector<std::string>& records) {
        return Transact(item.get(), AddRequest(records), login.get());
    }
    std::string Persons(const std::vector<std::string>& records) {
        return Transact(person.get(), AddRequest(records, "salaryperson"), personLogin.get());
    }
    // A connection left open would keep the write-ahead log beside the file.
    bool Closed() const { return !std::filesystem::exists(demo.path() + "-wal"); }
};

TEST_P(EveryRevision, EarlyAnswers) {
    for (auto* server : {item.get(), person.get()}) {
        EXPECT_EQ(Transact(server, "not xml <", login.get()),
                  "<reply code=\"100\" message=\"解析XML时发生错误,请你检查XML参数格式\"/>");
        EXPECT_EQ(Transact(server, "<vkinterface proc='DELETE'/>", login.get()),
                  "<reply code=\"710\" message=\"暂不提供此功能\"/>");
        EXPECT_TRUE(Closed());
    }
}

TEST_P(EveryRevision, ItemRecordsAreWrittenAndPersonsEnrolledOnce) {
    EXPECT_EQ(Items({ItemRecord({}, {{"奖金", "0", "123.5"}})}),
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"0\" "
              "message=\"成功\"/></reply>");
    EXPECT_EQ(demo.Scalar("select F_9 from WA_GZData where iMonth = 11 and cPsn_Num = '0001'"),
              "123.5");
    EXPECT_EQ(Persons({PersonRecord(), PersonRecord()}),
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"梁诗雨\" code=\"0\" "
              "message=\"成功\"/><result n=\"2\" key=\"梁诗雨\" code=\"101\" "
              "message=\"人员编号[0020]已存在，不能重复导入！\"/></reply>");
    EXPECT_EQ(demo.Scalar("select count(*) from WA_psn where cPsn_Num = '0020'"), "1");
    EXPECT_EQ(demo.Scalar("select count(*) from WA_GZData where cPsn_Num = '0020'"), "1");
    EXPECT_TRUE(Closed());
}

TEST_P(EveryRevision, AnUnpagedExportReturnsItsRowsInTheReply) {
    std::string reply =
        Transact(item.get(),
                 "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem><field "
                 "name='cGZGradeNum' operation='=' value='002'/></salaryitem></vkinterface>",
                 login.get());
    std::size_t records = 0;
    for (std::size_t at = reply.find("<salaryitem>"); at != std::string::npos;
         at = reply.find("<salaryitem>", at + 1))
        ++records;
    EXPECT_EQ(std::to_string(records),
              demo.Scalar("select count(*) from WA_GZData where cGZGradeNum = '002'"));
    EXPECT_NE(reply.find("<personname>沈建平</personname>"), std::string::npos);
}

// What no revision gives up: values stay values, a writer that writes nothing says so, an
// enrolment is both rows or neither, and the connection closes on every path.
TEST_P(EveryRevision, SoundBehaviour) {
    std::string before = demo.Snapshot();
    std::string reply =
        Items({ItemRecord({{"personname", "林晓东' or '1'='1"}}, {{"奖金", "0", "1"}})});
    EXPECT_NE(reply.find("code=\"101\""), std::string::npos) << reply;
    EXPECT_EQ(demo.Snapshot(), before);

    // An amount that is not a number is refused, not written as its leading digits.
    EXPECT_EQ(Items({ItemRecord({}, {{"奖金", "0", "1,234.50"}})}),
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"101\" "
              "message=\"工资项目[奖金]的值[1,234.50]不是数字！\"/></reply>");
    EXPECT_EQ(demo.Snapshot(), before);

    // Person 0003 has no payroll row in department 0101.
    EXPECT_EQ(
        Items({ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}}, {{"奖金", "0", "1"}})}),
        "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"陈一鸣\" code=\"100\" "
        "message=\"数据库操作错误：工资类别[001]部门[0101]中没有人员[0003]本期间的工资数据"
        "\"/></reply>");
    EXPECT_EQ(demo.Snapshot(), before);

    demo.Exec(demo.OnServer() ? "create trigger no_rows before insert on WA_GZData for each row "
                                "signal sqlstate '45000' set message_text = 'no payroll rows today'"
                              : "create trigger no_rows before insert on WA_GZData begin select "
                                "raise(abort, 'no payroll rows today'); end");
    reply = Persons({PersonRecord()});
    EXPECT_EQ(reply.find("code=\"0\""), std::string::npos) << reply;
    EXPECT_NE(reply.find("no payroll rows today"), std::string::npos) << reply;
    EXPECT_EQ(demo.Scalar("select count(*) from WA_psn where cPsn_Num = '0020'"), "0")
        << "the roster row outlived its payroll row";
    EXPECT_TRUE(Closed());
}

INSTANTIATE_TEST_SUITE_P(Revisions, EveryRevision,
                         ::testing::ValuesIn(testing_support::AllRevisions()),
                         testing_support::RevisionName);

}  // namespace
