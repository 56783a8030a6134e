// Each way an earlier interface revision differs from the current one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "base/fault.h"
#include "query/conditions.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/language.h"
#include "support/requests.h"
#include "support/revisions.h"

namespace {

using testing_support::AddRequest;
using testing_support::ItemRecord;
using testing_support::PersonRecord;
using testing_support::RevisionUnderTest;
using testing_support::Transact;

using testing_support::Language;

class Revisions : public ::testing::Test {
  protected:
    testing_support::DemoDb demo;
    com::ComPtr<com::IDispatch> login = testing_support::NewLogin(demo.ConnectionString());
    com::ComPtr<com::IDispatch> personLogin =
        testing_support::NewLogin(demo.ConnectionString(), "2026", 12);

    std::string Items(const RevisionUnderTest& revision, const std::vector<std::string>& records) {
        auto server = testing_support::NewSalaryItemOf(revision);
        return Transact(server.get(), AddRequest(records), login.get());
    }
    std::string Persons(const RevisionUnderTest& revision,
                        const std::vector<std::string>& records) {
        auto server = testing_support::NewSalaryPersonOf(revision);
        return Transact(server.get(), AddRequest(records, "salaryperson"), personLogin.get());
    }
    // The message of the single result of `reply`.
    static std::string Message(const std::string& reply) {
        std::size_t at = reply.find("message=\"");
        if (at == std::string::npos) return "<no message in " + reply + ">";
        at += 9;
        return reply.substr(at, reply.find('"', at) - at);
    }
    static std::size_t Count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1))
            ++n;
        return n;
    }
    static bool Calls(com::IDispatch* object, const std::string& method) {
        try {
            testing_support::CallText(object, method, {"Qz.WA.EAI.00038"});
            return true;
        } catch (const base::Fault&) {
            return false;
        }
    }
};

const char* kFiveRows =
    "<vkinterface roottag='salaryitem' proc='QUERY' paginate='2'><salaryitem><field "
    "name='cGZGradeNum' operation='=' value='002' logic='and'/><field name='iMonth' "
    "operation='=' value='12'/></salaryitem></vkinterface>";

TEST_F(Revisions, TheSecondRevisionNeitherPagesNorHoldsACaller) {
    auto server = testing_support::NewSalaryItemOf(testing_support::SecondRevision());
    std::string reply = Transact(server.get(), kFiveRows, login.get());
    EXPECT_EQ(Count(reply, "<salaryitem>"), 5u) << reply;
    com::Variant nothing = com::Variant::FromDispatch(nullptr);
    EXPECT_THROW(com::CallByName(server.get(), "AddObjectReference", com::DISPATCH_METHOD,
                                 {com::ByRef(nothing)}),
                 base::Fault);
    // The current revision pages the same request, and wants a caller for it.
    auto current = testing_support::NewSalaryItemOf(testing_support::CurrentRevision());
    EXPECT_THROW(Transact(current.get(), kFiveRows, login.get()), base::Fault);
}

TEST_F(Revisions, TheSecondRevisionExportsKestRequestsInTheOrdinaryForm) {
    std::string kest =
        "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem type='kest'>"
        "<field name='cGZGradeNum' operation='=' value='002'/></salaryitem></vkinterface>";
    std::string plain =
        "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem>"
        "<field name='cGZGradeNum' operation='=' value='002'/></salaryitem></vkinterface>";
    auto second = testing_support::NewSalaryItemOf(testing_support::SecondRevision());
    std::string secondKest = Transact(second.get(), kest, login.get());
    std::string secondPlain = Transact(second.get(), plain, login.get());
    // Apart from the request's own type attribute, which the export document echoes.
    EXPECT_EQ(Count(secondKest, "<salaryitem>"), Count(secondPlain, "<salaryitem>"));
    EXPECT_EQ(secondKest.substr(secondKest.find("</salaryitem>")),
              secondPlain.substr(secondPlain.find("</salaryitem>")));
    auto current = testing_support::NewSalaryItemOf(testing_support::CurrentRevision());
    std::string currentKest = Transact(current.get(), kest, login.get());
    EXPECT_NE(currentKest.find("<departmentname>"), std::string::npos) << currentKest;
    EXPECT_EQ(secondKest.find("<departmentname>"), std::string::npos) << secondKest;
}

TEST_F(Revisions, TheSecondRevisionDoesNotKnowTheSevenNewerItems) {
    Language english("en-US");
    auto second = testing_support::NewSalaryItemOf(testing_support::SecondRevision());
    auto current = testing_support::NewSalaryItemOf(testing_support::CurrentRevision());
    EXPECT_EQ(testing_support::CallText(second.get(), "Lang", {"年终奖"}), "年终奖");
    EXPECT_EQ(testing_support::CallText(current.get(), "Lang", {"年终奖"}), "Year-end bonus");
    EXPECT_EQ(testing_support::CallText(second.get(), "unLang", {"Year-end bonus"}),
              "Year-end bonus");
    EXPECT_EQ(testing_support::CallText(second.get(), "Lang", {"应发合计"}), "Gross pay total");
}

TEST_F(Revisions, OnlyTheCurrentItemBuilderReopensAClosedConnection) {
    auto connection = demo.Connect();
    connection->Close();
    xml::NodeList none;
    EXPECT_THROW(query::BuildItemWhere(none, *connection, query::ClosedConnection::kLeave),
                 base::Fault);
    EXPECT_EQ(query::BuildItemWhere(none, *connection, query::ClosedConnection::kReopen), "");
}

TEST_F(Revisions, EachRevisionHasItsOwnMethods) {
    auto first = testing_support::NewSalaryItemOf(testing_support::FirstRevision());
    auto second = testing_support::NewSalaryPersonOf(testing_support::SecondRevision());
    auto current = testing_support::NewSalaryPersonOf(testing_support::CurrentRevision());
    EXPECT_FALSE(Calls(first.get(), "GetResString"));
    EXPECT_FALSE(Calls(first.get(), "GenLen"));
    EXPECT_TRUE(Calls(second.get(), "GetResString"));
    EXPECT_TRUE(Calls(current.get(), "GetResString"));
    auto ids = [](com::IDispatch* object, const char* name) {
        std::u16string wide(name, name + std::char_traits<char>::length(name));
        com::LPOLESTR names[] = {wide.data()};
        com::DISPID id = 0;
        object->GetIDsOfNames(com::IID_NULL, names, 1, 0, &id);
        return id;
    };
    auto answers = [](com::IDispatch* object, const char* iid) {
        com::ComPtr<com::IUnknown> face;
        bool yes = com::SUCCEEDED(
            object->QueryInterface(com::MakeGuid(iid), reinterpret_cast<void**>(face.Receive())));
        return yes;
    };
    // The second revision answers for the first revision's interface and two between.
    EXPECT_TRUE(answers(second.get(), "{C33BF364-E5AF-484A-824B-EB45A7002117}"));
    EXPECT_TRUE(answers(second.get(), "{B41CA393-71FB-4C92-B579-D097354CC115}"));
    EXPECT_TRUE(answers(second.get(), "{8533C7A9-0BBC-4D3F-A7A7-BB595045FB19}"));
    EXPECT_FALSE(answers(second.get(), "{528ED197-7DCB-4D5F-8206-368AD2F9EDEF}"));
    EXPECT_TRUE(answers(first.get(), "{CC324116-A306-4A6D-9BD5-E549813F5C6E}"));
    EXPECT_FALSE(answers(first.get(), "{B04C73C5-57E5-43A1-8A14-D162E44F6E2E}"));
    EXPECT_EQ(ids(first.get(), "QueryProc"), 0x60030005);
    EXPECT_EQ(ids(second.get(), "unLang"), 0x60030019);
    EXPECT_EQ(ids(current.get(), "unLang"), 0x6003000D);
}

TEST_F(Revisions, TheFirstRevisionsTextsAreFixed) {
    Language english("en-US");
    auto first = testing_support::NewSalaryItemOf(testing_support::FirstRevision());
    EXPECT_EQ(Transact(first.get(), "<?xml version='1.0'?>", login.get()),
              "<reply code=\"101\" message=\"vkinterface结点不存在\"/>");
    EXPECT_EQ(
        Message(Items(testing_support::FirstRevision(), {ItemRecord({}, {{"奖金", "0", "1"}})})),
        "成功");
    EXPECT_EQ(
        Message(Items(testing_support::CurrentRevision(), {ItemRecord({}, {{"奖金", "0", "1"}})})),
        "Success");
}

TEST_F(Revisions, TheFirstRevisionsCodeAndNameRules) {
    const RevisionUnderTest first = testing_support::FirstRevision();
    const RevisionUnderTest current = testing_support::CurrentRevision();
    // A code shorter than the payroll's iPsn_len (4).
    EXPECT_EQ(Message(Items(first, {ItemRecord({{"personno", "001"}}, {{"奖金", "0", "1"}})})),
              "人员编码长度不符合规则！");
    EXPECT_EQ(Message(Persons(first, {PersonRecord({{"personno", "020"}})})),
              "人员编码长度不符合规则！");
    EXPECT_EQ(Message(Items(current, {ItemRecord({{"personno", "001"}}, {{"奖金", "0", "1"}})})),
              "人员档案中没有此人员编号！");
    // 21 characters: 42 bytes of UTF-16, 21 of the code page.
    std::string name(21, 'a');
    EXPECT_EQ(Message(Items(first, {ItemRecord({{"personname", name}}, {{"奖金", "0", "1"}})})),
              "人员姓名长度超长！");
    EXPECT_EQ(Message(Items(current, {ItemRecord({{"personname", name}}, {{"奖金", "0", "1"}})})),
              "人员档案中没有[" + name + "]的信息！");
}

TEST_F(Revisions, TheFirstRevisionUsesStoredItemNames) {
    Language english("en-US");
    const std::vector<testing_support::Entry> english_name = {{"Gross pay total", "0", "7"}};
    EXPECT_EQ(Message(Items(testing_support::FirstRevision(), {ItemRecord({}, english_name)})),
              "工资项目设置不正确！");
    EXPECT_EQ(Message(Items(testing_support::CurrentRevision(), {ItemRecord({}, english_name)})),
              "Success");
    auto first = testing_support::NewSalaryItemOf(testing_support::FirstRevision());
    std::string exported = Transact(first.get(), kFiveRows, login.get());
    EXPECT_NE(exported.find("<entry name=\"应发合计\""), std::string::npos) << exported;
}

TEST_F(Revisions, TheFirstRevisionWritesWithoutThePersonMaster) {
    demo.Exec("delete from pubperson where cPsn_Num = '0001'");
    EXPECT_EQ(
        Message(Items(testing_support::CurrentRevision(), {ItemRecord({}, {{"奖金", "0", "5"}})})),
        "人员档案中没有此人员编号！");
    EXPECT_EQ(
        Message(Items(testing_support::FirstRevision(), {ItemRecord({}, {{"奖金", "0", "5"}})})),
        "成功");
    EXPECT_EQ(demo.Scalar("select F_9 from WA_GZData where iMonth = 11 and cPsn_Num = '0001'"),
              "5");

    // An enrolment takes the record's name, which the current revision checks against the
    // person master, and the category of the record's persongradeno.
    EXPECT_EQ(Message(Persons(testing_support::CurrentRevision(),
                              {PersonRecord({{"personname", "梁诗"}})})),
              "人员档案中没有此编号和姓名的人员！");
    EXPECT_EQ(Message(Persons(testing_support::FirstRevision(),
                              {PersonRecord({{"personname", "梁诗"}})})),
              "成功");
    EXPECT_EQ(demo.Scalar("select cPsn_Name || '/' || iPsnGrd_id from WA_psn where cPsn_Num = "
                          "'0020'"),
              "梁诗/" + demo.Scalar("select iPsnGrd_id from WA_grade where cPsnGrd = '管理人员'"));
}

TEST_F(Revisions, AFailingUpdateEndsTheFirstRevisionsBatch) {
    demo.Exec(
        "create trigger no_updates before update on WA_GZData begin select raise(abort, 'the "
        "disk says no'); end");
    std::vector<std::string> two = {ItemRecord({}, {{"奖金", "0", "1"}}),
                                    ItemRecord({}, {{"奖金", "0", "2"}})};
    EXPECT_EQ(
        Items(testing_support::FirstRevision(), two),
        "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"Item\" code=\"999\" message=\"the "
        "disk says no\"/></reply>");
    EXPECT_EQ(Count(Items(testing_support::CurrentRevision(), two),
                    "code=\"100\" message=\"数据库操作错误：the disk says no\""),
              2u);
}

TEST_F(Revisions, TheFirstRevisionRefusesPersonsOfAPayrollBoundToThePersonnelModule) {
    demo.Exec("insert into accinformation values ('HM', 'cGZGradeNum', '001')");
    EXPECT_EQ(Message(Persons(testing_support::FirstRevision(), {PersonRecord()})),
              "工资类别：[001]已与HR设置接口关系，不能引入人员！");
    EXPECT_EQ(Message(Persons(testing_support::CurrentRevision(), {PersonRecord()})), "成功");
}

TEST_F(Revisions, TheFirstRevisionsPersonConditionsNameColumnsBare) {
    auto query = [&](const RevisionUnderTest& revision, const char* column, const char* value) {
        auto server = testing_support::NewSalaryPersonOf(revision);
        return Transact(server.get(),
                        std::string("<vkinterface roottag='salaryperson' proc='QUERY' "
                                    "paginate='0'><salaryperson><field name='") +
                            column + "' operation='=' value='" + value +
                            "'/></salaryperson></vkinterface>",
                        login.get());
    };
    EXPECT_EQ(Count(query(testing_support::FirstRevision(), "cPsn_Num", "0001"), "<salaryperson>"),
              1u);
    // A column of two joined tables is ambiguous without its table.
    EXPECT_THROW(query(testing_support::FirstRevision(), "cGZGradeNum", "002"), base::Fault);
    EXPECT_GT(
        Count(query(testing_support::CurrentRevision(), "cGZGradeNum", "002"), "<salaryperson>"),
        0u);
}

TEST_F(Revisions, EarlierRevisionsIgnoreTheValidateMode) {
    std::string request = AddRequest({ItemRecord({}, {{"奖金", "0", "9"}})});
    request.insert(request.find(' '), " mode='validate'");
    for (const RevisionUnderTest& revision :
         {testing_support::SecondRevision(), testing_support::FirstRevision()}) {
        auto server = testing_support::NewSalaryItemOf(revision);
        demo.Exec("update WA_GZData set F_9 = 0 where iMonth = 11 and cPsn_Num = '0001'");
        std::string reply = Transact(server.get(), request, login.get());
        EXPECT_EQ(reply.find("mode="), std::string::npos) << revision.name << reply;
        EXPECT_EQ(demo.Scalar("select F_9 from WA_GZData where iMonth = 11 and cPsn_Num = '0001'"),
                  "9")
            << revision.name;
    }
}

}  // namespace
