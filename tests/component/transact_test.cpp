#include "component/transact.h"

#include <gtest/gtest.h>

#include "base/fault.h"
#include "component/classes.h"
#include "db/contention.h"
#include "platform/message_resource.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/foreign_objects.h"
#include "support/language.h"
#include "support/pages.h"
#include "support/requests.h"

namespace {

using testing_support::Transact;

class TransactTest : public ::testing::Test {
  protected:
    testing_support::DemoDb demo;
    com::ComPtr<com::IDispatch> login = testing_support::NewLogin(demo.ConnectionString());
};

TEST_F(TransactTest, EarlyAnswersAndTheCallAfterThem) {
    for (auto server : {testing_support::NewSalaryItem(), testing_support::NewSalaryPerson()}) {
        EXPECT_EQ(Transact(server.get(), "not xml <", login.get()),
                  "<reply code=\"100\" message=\"解析XML时发生错误,请你检查XML参数格式\"/>");
        EXPECT_EQ(Transact(server.get(), "<?xml version='1.0'?>", login.get()),
                  "<reply code=\"101\" message=\"XML根结点不存在\"/>");
        EXPECT_EQ(Transact(server.get(), "<r docid='1'/>", login.get()),
                  "<reply code=\"710\" message=\"暂不提供此功能\"/>");
        EXPECT_EQ(Transact(server.get(), "<r proc='delete'/>", login.get()),
                  "<reply code=\"710\" message=\"暂不提供此功能\"/>");
        auto broken = testing_support::NewLogin("Provider=SQLite;Data Source=/no/such/dir/x.db");
        std::string reply = Transact(server.get(), "<r proc='ADD'/>", broken.get());
        EXPECT_EQ(reply.rfind("<reply code=\"-2147467259\" message=\"Cannot open database", 0), 0u)
            << reply;
        EXPECT_EQ(Transact(server.get(), "<r proc='Add' docid='7'><x/></r>", login.get()),
                  "<reply docid=\"7\" proc=\"Add\"/>")
            << "the call after every early answer works, and mixed-case add is ADD";
    }
}

TEST_F(TransactTest, MissingLoginIsTheFaultReply) {
    auto item = testing_support::NewSalaryItem();
    std::string reply = Transact(item.get(), "<r proc='ADD'/>", nullptr);
    EXPECT_EQ(reply.rfind("<reply code=\"91\"", 0), 0u) << reply;
}

// A language without a catalog is the set-up's fault reply, naming the languages there are; the
// languages as users and locales write them each find their catalog.
TEST_F(TransactTest, MessageLanguagesAsUsersWriteThem) {
    const std::pair<const char*, const char*> kSettings[] = {
        {"zh-CN", "zh-CN"},       {"zh_CN", "zh-CN"}, {"zh", "zh-CN"},
        {"ZH-cn", "zh-CN"},       {"", "zh-CN"},      {"en-US", "en-US"},
        {"en_US.UTF-8", "en-US"}, {"en", "en-US"},    {"EN_gb@euro", "en-US"}};
    for (const auto& [setting, catalog] : kSettings)
        EXPECT_EQ(platform::CatalogLanguage(setting), catalog) << setting;
    const std::string request =
        testing_support::AddRequest({testing_support::ItemRecord({{"month", "5"}})});
    {
        testing_support::Language english("en");
        auto item = testing_support::NewSalaryItem();
        EXPECT_NE(Transact(item.get(), request, login.get())
                      .find("5 month's data has already been closed"),
                  std::string::npos);
    }
    testing_support::Language french("fr");
    auto item = testing_support::NewSalaryItem();
    EXPECT_EQ(Transact(item.get(), request, login.get()),
              "<reply code=\"5\" message=\"No messages in language fr: WAGELINK_LANG may name "
              "zh-CN (the default) or en-US\"/>");
}

// Test implementations behind the seams: records named "boom" fault, "bad" are rejected,
// "unwritten" fail their writer.
// An export that fails, when `exportFails` is set.
struct Recording final : component::RecordKind {
    int validated = 0;
    int written = 0;
    bool exportFails = false;

    std::string_view RecordTag() const override { return "salaryitem"; }
    const char* NotXmlMessageId() const override { return "Qz.WA.EAI.00002"; }
    bool ReadsKestFlag() const override { return true; }
    void ReadAhead(const xml::NodeList&, std::size_t) override {}
    void BeginRecord() override {}
    bool WritesOneStatement(const db::Dialect&) const override { return false; }
    bool Validate(xml::Element record, std::string& message) override {
        ++validated;
        std::string name = record.GetAttribute("personname");
        if (name == "boom") throw base::Fault(13, "Type mismatch in record");
        message = name == "bad" ? "rejected" : "ok";
        return name != "bad";
    }
    bool Write(xml::Element record, std::string& message) override {
        ++written;
        message = "disk full";
        return record.GetAttribute("personname") != "unwritten";
    }
    bool Written(xml::Element) override { return false; }
    void Export(const xml::NodeList& conditions, std::string& reply) override {
        if (exportFails) throw base::Fault(-5, "export failed");
        reply = "query:" + std::to_string(conditions.size());
    }
    void ExportKest(const xml::NodeList& conditions, std::string& reply) override {
        reply = "kest:" + std::to_string(conditions.size());
    }
};

TEST_F(TransactTest, BatchStopsAtTheFaultingRecordAndKeepsEarlierResults) {
    component::Instance self(messages::SalaryItemNames());
    Recording r;
    std::string reply = component::Transact(
        self, r,
        "<r proc='ADD' docid='B'><salaryitem personname='p1'/><salaryitem personname='unwritten'/>"
        "<salaryitem personname='boom'/><salaryitem personname='p4'/><salaryitem "
        "personname='bad'/></r>",
        login.get());
    EXPECT_EQ(
        reply,
        "<reply docid=\"B\" proc=\"ADD\"><result n=\"1\" key=\"p1\" code=\"0\" message=\"ok\"/>"
        "<result n=\"2\" key=\"unwritten\" code=\"100\" message=\"数据库操作错误：disk full\"/>"
        "<result n=\"3\" key=\"Item\" code=\"999\" message=\"Type mismatch in record\"/></reply>");
    EXPECT_EQ(r.validated, 3) << "records after the fault were validated";
    EXPECT_EQ(r.written, 2);
    EXPECT_FALSE(self.connection) << "the connection outlived Transact";

    reply = component::Transact(self, r,
                                "<r proc='add'><salaryitem personname='bad'/><x><salaryitem "
                                "personname='nested'/></x></r>",
                                login.get());
    EXPECT_EQ(reply,
              "<reply docid=\"\" proc=\"add\"><result n=\"1\" key=\"bad\" code=\"101\" "
              "message=\"rejected\"/></reply>")
        << "nested record elements are not records";
}

// A record whose write keeps losing deadlocks is run again a few times, then not written; the
// batch goes on.
TEST_F(TransactTest, ARecordThatKeepsLosingDeadlocksIsNotWritten) {
    using testing_support::ItemRecord;
    component::Instance self(messages::SalaryItemNames());
    int attempts = 0;
    self.statementHook = [&](const std::string& sql) {
        if (sql.rfind("UPDATE", 0) == 0 && sql.find("F_9") != std::string::npos &&
            ++attempts <= db::kDeadlockAttempts)
            throw db::Deadlock("[40001] deadlock found");
    };
    std::string reply =
        component::Transact(self, *component::SalaryItem::NewRecordKind(self),
                            testing_support::AddRequest({ItemRecord({}, {{"奖金", "0", "111"}}),
                                                         ItemRecord({}, {{"奖金", "0", "222"}})}),
                            login.get());
    EXPECT_EQ(attempts, db::kDeadlockAttempts + 1);
    EXPECT_EQ(reply,
              "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" code=\"100\" "
              "message=\"数据库操作错误：[40001] deadlock found\"/><result n=\"2\" key=\"林晓东\" "
              "code=\"0\" message=\"成功\"/></reply>");
    EXPECT_EQ(demo.Scalar("select F_9 from WA_GZData where iMonth = 11 and cPsn_Num = '0001'"),
              "222");
}

// A record is reported written only when its commit happened. The three records go as one group,
// whose commit (on a server: its UPDATE) fails first, so they are written again one by one; then
// the second record's own fails. On SQLite a COMMIT that fails is a fault, which ends the batch
// with "Item"/999 after the records before it; on a server an item record's UPDATE commits by
// itself, and one that fails leaves its record not written.
TEST_F(TransactTest, ACommitThatFailsIsNeverReportedWritten) {
    using testing_support::ItemRecord;
    component::Instance self(messages::SalaryItemNames());
    const std::string commit = demo.OnServer() ? "UPDATE WA_GZData" : "COMMIT";
    int commits = 0;
    self.statementHook = [&](const std::string& sql) {
        if (sql.rfind(commit, 0) == 0 && (++commits == 1 || commits == 3))
            throw base::Fault(-2147467259, "disk full on commit");
    };
    std::string reply = component::Transact(
        self, *component::SalaryItem::NewRecordKind(self),
        testing_support::AddRequest(
            {ItemRecord({}, {{"奖金", "0", "111"}}),
             ItemRecord({{"personno", "0002"}, {"personname", "周文静"}}, {{"奖金", "0", "222"}}),
             ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}, {"departmentno", "0102"}},
                        {{"奖金", "0", "333"}})}),
        login.get());
    const std::string first =
        "<reply docid=\"T\" proc=\"ADD\"><result n=\"1\" key=\"林晓东\" "
        "code=\"0\" message=\"成功\"/>";
    EXPECT_EQ(
        reply,
        first + (demo.OnServer()
                     ? "<result n=\"2\" key=\"周文静\" code=\"100\" message=\"数据库操作错误："
                       "disk full on commit\"/><result n=\"3\" key=\"陈一鸣\" code=\"0\" "
                       "message=\"成功\"/></reply>"
                     : "<result n=\"2\" key=\"Item\" code=\"999\" message=\"disk full on "
                       "commit\"/></reply>"));
    auto bonus = [&](const char* person) {
        return demo.Scalar(
            std::string("select F_9 from WA_GZData where iMonth = 11 and cPsn_Num = '") + person +
            "'");
    };
    EXPECT_EQ(bonus("0001"), "111");
    EXPECT_EQ(bonus("0002"), "600") << "the record whose commit failed was written";
    EXPECT_EQ(bonus("0003"), demo.OnServer() ? "333" : "900")
        << "after the failed UPDATE the batch goes on; after the failed COMMIT it ends";
}

TEST_F(TransactTest, QueryRoutesByTheFirstSalaryItemType) {
    component::Instance self(messages::SalaryItemNames());
    Recording r;
    const char* kest =
        "<r proc='Query' roottag='salaryitem'><x><salaryitem type='KEST'/></x>"
        "<salaryitem><field name='a'/><field name='b'/></salaryitem></r>";
    EXPECT_EQ(component::Transact(self, r, kest, login.get()), "kest:2");
    EXPECT_EQ(component::Transact(self, r,
                                  "<r proc='QUERY' roottag='salaryitem'><salaryitem type='plain'>"
                                  "<field/></salaryitem></r>",
                                  login.get()),
              "query:1");
    EXPECT_FALSE(self.kest);
    // On ADD the kest type changes nothing.
    EXPECT_EQ(
        component::Transact(self, r, "<r proc='ADD'><salaryitem type='kest' personname='p'/></r>",
                            login.get()),
        "<reply docid=\"\" proc=\"ADD\"><result n=\"1\" key=\"p\" code=\"0\" "
        "message=\"ok\"/></reply>");
    r.exportFails = true;
    EXPECT_THROW(component::Transact(self, r, "<r proc='QUERY' roottag='s'/>", login.get()),
                 base::Fault);
    EXPECT_FALSE(self.connection) << "a faulting export left the connection open";
}

}  // namespace

namespace {

using testing_support::ForeignObject;
using testing_support::Manner;

// A platform may hand the server a login and a caller of any automation client: the person
// import (which reads the connection string and the period) and a paged export give what they
// give with the platform's own login, whichever forms the objects' members answer and whether
// the period is text or a number; an object that answers no form is a fault that names the
// property and the kind of object.
TEST(ForeignObjects, LoginsAndCallersOfEveryAutomationClient) {
    const std::string import = testing_support::AddRequest(
        {testing_support::PersonRecord(), testing_support::PersonRecord({{"personno", "0021"}})},
        "salaryperson");
    const std::string exportRequest =
        "<vkinterface roottag='salaryitem' proc='QUERY' paginate='2'><salaryitem>"
        "<field name='cGZGradeNum' operation='=' value='001'/></salaryitem></vkinterface>";
    auto replies = [&](com::IDispatch* login, com::IDispatch* caller) {
        auto person = testing_support::NewSalaryPerson();
        auto item = testing_support::NewSalaryItem();
        com::Variant held = com::Variant::FromDispatch(caller);
        com::CallByName(item.get(), "AddObjectReference", com::DISPATCH_METHOD, {com::ByRef(held)});
        return Transact(person.get(), import, login) + Transact(item.get(), exportRequest, login);
    };
    std::string expected;
    std::size_t expectedPages = 0;
    {
        testing_support::DemoDb demo;
        testing_support::PageCollector pages;
        pages.AddRef();  // lives on the stack
        expected =
            replies(testing_support::NewLogin(demo.ConnectionString(), "2026", 12).get(), &pages);
        expectedPages = pages.pages.size();
    }
    ASSERT_NE(expected.find("code=\"0\""), std::string::npos) << expected;
    ASSERT_GE(expectedPages, 2u);
    const std::pair<const char*, std::pair<com::Variant, com::Variant>> kPeriods[] = {
        {"texts", {com::Variant::FromText("2026"), com::Variant::FromText("12")}},
        {"16-bit and 32-bit numbers", {com::Variant::FromShort(2026), com::Variant::FromLong(12)}},
        {"doubles", {com::Variant::FromDouble(2026), com::Variant::FromDouble(12)}},
    };
    for (Manner manner : {Manner::kPropertyGetOnly, Manner::kMethodOnly, Manner::kJScript,
                          Manner::kVBScriptClass}) {
        for (const auto& [what, period] : kPeriods) {
            testing_support::DemoDb demo;
            auto login = testing_support::NewForeignLogin(
                manner, com::Variant::FromText(demo.ConnectionString()),
                com::Variant::CopyOf(*period.first.get()),
                com::Variant::CopyOf(*period.second.get()));
            auto caller = ForeignObject::Create(manner, std::map<std::string, com::Variant>{});
            EXPECT_EQ(replies(login.get(), caller.get()), expected)
                << "manner " << static_cast<int>(manner) << ", the period as " << what;
            EXPECT_EQ(caller->pages.size(), expectedPages) << static_cast<int>(manner);
        }
    }
    testing_support::DemoDb demo;
    auto mute = testing_support::NewForeignLogin(
        Manner::kNone, com::Variant::FromText(demo.ConnectionString()),
        com::Variant::FromText("2026"), com::Variant::FromLong(12));
    auto item = testing_support::NewSalaryItem();
    EXPECT_EQ(Transact(item.get(), "<r proc='ADD'/>", mute.get()),
              "<reply code=\"-2147352573\" message=\"Cannot read the property ConnectionString "
              "of an automation object: Call of ConnectionString failed\"/>");
}

}  // namespace
