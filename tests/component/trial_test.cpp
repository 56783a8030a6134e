// Validate-only requests: a trial run answers as the real run would and writes nothing.
#include <gtest/gtest.h>

#include <regex>

#include "base/fault.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/pages.h"
#include "support/requests.h"

namespace {

using testing_support::AddRequest;
using testing_support::ItemRecord;
using testing_support::PersonRecord;

class Trial : public ::testing::Test {
  protected:
    testing_support::DemoDb demo;

    std::string Run(bool person, const std::string& request) {
        auto server =
            person ? testing_support::NewSalaryPerson() : testing_support::NewSalaryItem();
        auto login = person ? testing_support::NewLogin(demo.ConnectionString(), "2026", 12)
                            : testing_support::NewLogin(demo.ConnectionString());
        return testing_support::Transact(server.get(), request, login.get());
    }
    // The request with mode="validate" (as `mode` spells it) on its root.
    static std::string AsTrial(const std::string& request, const std::string& mode = "validate") {
        return std::regex_replace(request, std::regex("^<(\\w+)"), "<$1 mode=\"" + mode + "\"",
                                  std::regex_constants::format_first_only);
    }
    // Runs `request` as a trial, then for real: the trial's reply with its mode taken out must
    // equal the real reply, and the trial must leave the file as it found it.
    // Returns the real reply.
    std::string ExpectTrialAnswersAsTheRealRun(bool person, const std::string& request,
                                               const std::string& mode = "validate") {
        std::string before = demo.FileBytes();
        std::string trial = Run(person, AsTrial(request, mode));
        EXPECT_EQ(demo.FileBytes(), before) << "the trial wrote to the database";
        EXPECT_NE(trial.find(" mode=\"validate\""), std::string::npos) << trial;
        std::string real = Run(person, request);
        EXPECT_EQ(std::regex_replace(trial, std::regex(" mode=\"validate\""), ""), real);
        EXPECT_EQ(real.find("mode="), std::string::npos) << real;
        EXPECT_NE(demo.FileBytes(), before) << "the real run wrote nothing: a weak test";
        return real;
    }
};

TEST_F(Trial, ItemRecordsOfEveryOutcomeAnswerAsTheRealRun) {
    std::string real = ExpectTrialAnswersAsTheRealRun(
        false,
        AddRequest(
            {ItemRecord({}, {{"奖金", "0", "111"}}),
             ItemRecord({{"month", "10"}}, {{"奖金", "0", "1"}}),  // a closed month: 101
             // person 0003 has no payroll row in department 0101: 100
             ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}}, {{"奖金", "0", "333"}}),
             ItemRecord({}, {{"奖金", "0", "222"}}),
             ItemRecord({}, {{"奖金", "0", "12abc"}})}),  // not a number: 101
        "VaLiDaTe");
    for (const char* code : {"code=\"0\"", "code=\"101\"", "code=\"100\"", "[12abc]不是数字"})
        EXPECT_NE(real.find(code), std::string::npos) << code << " in " << real;
    EXPECT_EQ(demo.Scalar("select F_9 from WA_GZData where iMonth = 11 and cPsn_Num = '0001'"),
              "222");
}

TEST_F(Trial, OtherModesAndQueriesAreOrdinary) {
    std::string before = demo.FileBytes();
    std::string reply =
        Run(false, AsTrial(AddRequest({ItemRecord({}, {{"奖金", "0", "5"}})}), "validated"));
    EXPECT_EQ(reply.find("mode="), std::string::npos) << reply;
    EXPECT_NE(demo.FileBytes(), before) << "mode=\"validated\" is not a trial";
    // A query is a query whatever its mode: the same pages, and nothing written.
    std::string query =
        "<vkinterface roottag='salaryitem' proc='QUERY' paginate='100'><salaryitem><field "
        "name='cPsn_Num' operation='=' value='0001'/></salaryitem></vkinterface>";
    auto pages = [&](const std::string& request) {
        auto server = testing_support::NewSalaryItem();
        auto sink = testing_support::PageCollector::Create();
        testing_support::HoldCaller(server.get(), *sink.get());
        auto login = testing_support::NewLogin(demo.ConnectionString());
        testing_support::Transact(server.get(), request, login.get());
        std::string text;
        for (const testing_support::Page& page : sink->pages) text += page.xml;
        return text;
    };
    std::string exported = pages(query);
    EXPECT_NE(exported.find("0001"), std::string::npos) << exported;
    // The pages echo the request's root, attributes and all.
    EXPECT_EQ(std::regex_replace(pages(AsTrial(query)), std::regex(" mode=\"validate\""), ""),
              exported);
}

// Later records see what earlier ones would have written: the second enrolment of one person
// is a duplicate in both modes, and a record after it that fails leaves the first one standing.
TEST_F(Trial, RecordsOfATrialSeeEachOther) {
    ExpectTrialAnswersAsTheRealRun(
        true, AddRequest({PersonRecord(), PersonRecord(), PersonRecord({{"taxtoken", "2"}}),
                          PersonRecord({{"departmentno", "0201"},
                                        {"personno", "0021"},
                                        {"personname", "韦佳琪"},
                                        {"persongradeno", "生产工人"}})},
                         "salaryperson"));
    EXPECT_EQ(demo.Scalar("select count(*) from WA_psn where cPsn_Num = '0020'"), "1");
}

TEST_F(Trial, AFaultInTheThirdOfFiveRecordsEndsBothRunsAlike) {
    // Two settings rows for one name: the checks of a record naming it fault.
    demo.Exec("insert into WA_GZtblset values ('002', 9, '奖金', 0)");
    std::string request = AddRequest(
        {ItemRecord({}, {{"岗位工资", "0", "1"}}), ItemRecord({}, {{"岗位工资", "0", "2"}}),
         ItemRecord({}, {{"奖金", "0", "3"}}), ItemRecord({}, {{"岗位工资", "0", "4"}}),
         ItemRecord({}, {{"岗位工资", "0", "5"}})});
    ExpectTrialAnswersAsTheRealRun(false, request);
    std::string real = Run(false, request);
    EXPECT_NE(real.find("<result n=\"3\" key=\"Item\" code=\"999\""), std::string::npos) << real;
    EXPECT_EQ(demo.Scalar("select F_8 from WA_GZData where iMonth = 11 and cPsn_Num = '0001'"),
              "2");
}

}  // namespace
