// Imports whose link to the database server breaks: before a write nothing is written and the
// record is not reported written; after the commit the record is read back and reported as it
// is; the batch and the next request go on on a new connection.
#include <gtest/gtest.h>

#include "support/dispatch.h"
#include "support/fault_proxy.h"
#include "support/requests.h"
#include "support/server_db.h"

namespace {

using testing_support::FaultProxy;
using When = testing_support::FaultProxy::When;

constexpr const char* kBasicPay =
    "select F_7 from WA_GZData where cPsn_Num = '0001' and iYear = 2026 and iMonth = 11";

class ServerLink : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_TEST_SERVER();
        server = std::make_unique<testing_support::ServerDb>();
        proxy = std::make_unique<FaultProxy>(server->Port());
        login = testing_support::NewLogin(server->ConnectionStringVia(proxy->port()));
    }
    std::string Items(const std::vector<std::string>& pays) {
        std::vector<std::string> records;
        for (const std::string& pay : pays)
            records.push_back(testing_support::ItemRecord({}, {{"基本工资", "0", pay}}));
        auto item = testing_support::NewSalaryItem();
        return testing_support::Transact(item.get(), testing_support::AddRequest(records),
                                         login.get());
    }
    std::string Person() {
        auto person = testing_support::NewSalaryPerson();
        return testing_support::Transact(
            person.get(),
            testing_support::AddRequest({testing_support::PersonRecord()}, "salaryperson"),
            login.get());
    }
    std::string Enrolled() {
        return server->Scalar("select count(*) from WA_psn where cPsn_Num = '0020'") + "/" +
               server->Scalar("select count(*) from WA_GZData where cPsn_Num = '0020'");
    }

    std::unique_ptr<testing_support::ServerDb> server;
    std::unique_ptr<FaultProxy> proxy;
    com::ComPtr<com::IDispatch> login;
};

TEST_F(ServerLink, ACutBeforeTheWriteWritesNothingAndIsNotReportedWritten) {
    const std::string before = server->Scalar(kBasicPay);
    proxy->CutAt("UPDATE WA_GZData", When::kBefore);
    std::string reply = Items({"1111", "2222"});
    EXPECT_EQ(proxy->cuts(), 1);
    EXPECT_NE(reply.find("code=\"100\""), std::string::npos) << reply;
    EXPECT_EQ(reply.find("code=\"0\""), reply.rfind("code=\"0\"")) << "one record written";
    EXPECT_EQ(server->Scalar(kBasicPay), "2222") << "the second record, on a new connection";
    EXPECT_NE(before, "2222");

    proxy->CutAt("INSERT INTO WA_GZData", When::kBefore);
    reply = Person();
    EXPECT_EQ(reply.find("code=\"0\""), std::string::npos) << reply;
    EXPECT_EQ(Enrolled(), "0/0") << "the roster row went with its transaction";

    EXPECT_NE(Items({"3333"}).find("code=\"0\""), std::string::npos) << "the next request works";
    EXPECT_EQ(server->Scalar(kBasicPay), "3333");
}

// A cut after a commit on its way: read back on a new connection, reported as found. An item
// record's UPDATE commits by itself, and so does the one statement of an enrolment's two rows.
TEST_F(ServerLink, ACutAfterTheCommitIsReadBackAndReportedWritten) {
    proxy->CutAt("UPDATE WA_GZData", When::kAfter);
    std::string reply = Items({"4444.12345"});
    EXPECT_EQ(proxy->cuts(), 1);
    EXPECT_NE(reply.find("code=\"0\""), std::string::npos) << reply;
    EXPECT_EQ(server->Scalar(kBasicPay), "4444.1235") << "money keeps four places";

    proxy->CutAt("INSERT INTO WA_GZData", When::kAfter);
    reply = Person();
    EXPECT_EQ(proxy->cuts(), 2);
    EXPECT_NE(reply.find("code=\"0\""), std::string::npos) << reply;
    EXPECT_EQ(Enrolled(), "1/1");
}

}  // namespace
