// Whatever text arrives, Transact answers or fails the call with a fault; it never crashes and
// never leaves the database half-written.
#include <gtest/gtest.h>

#include <random>

#include "base/fault.h"
#include "component/request_limits.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "support/faults.h"
#include "support/requests.h"
#include "xml/document.h"

namespace {

std::string Mutate(std::string text, std::mt19937& random) {
    static const std::string kPieces[] = {
        "<",        ">",    "&",   "'",    "\"", "&amp;", "<entry/>", "</salaryitem>",
        "\xE5\x90", "\xFF", "]]>", "<!--", "%",  "';--",  "\n",       "\0"};
    std::uniform_int_distribution<int> edits(1, 6);
    for (int e = edits(random); e > 0 && !text.empty(); --e) {
        std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random);
        switch (random() % 3) {
            case 0:
                text.erase(at, 1 + random() % 8);
                break;
            case 1:
                text.insert(at, kPieces[random() % std::size(kPieces)]);
                break;
            default:
                text[at] = static_cast<char>(random() % 256);
                break;
        }
    }
    return text;
}

TEST(HostileRequests, MutatedRequestsNeverCrashTransact) {
    testing_support::DemoDb demo;
    auto login = testing_support::NewLogin(demo.ConnectionString());
    const std::string add = testing_support::AddRequest(
        {testing_support::ItemRecord({}, {{"奖金", "0", "10"}, {"备注", "1", "x"}}),
         testing_support::ItemRecord({{"personno", "0002"}, {"personname", "周文静"}})});
    const std::string query =
        "<vkinterface roottag=\"salaryitem\" proc=\"QUERY\" paginate=\"0\"><salaryitem>"
        "<field name=\"cPsn_Num\" operation=\"like\" value=\"000\" logic=\"and\"/>"
        "<field name=\"iMonth\" operation=\"=\" value=\"11\"/></salaryitem></vkinterface>";
    // Only the two persons the requests name may change, and only in their payroll rows.
    const std::string untouched =
        "select cPsn_Num || '/' || iMonth || '/' || ifnull(F_9, '') || '/' || ifnull(F_10, '') "
        "from WA_GZData where cPsn_Num not in ('0001', '0002') or iMonth <> 11 "
        "order by cPsn_Num, iYear, iMonth";
    const std::string before = demo.Column(untouched);
    const std::string roster =
        demo.Column("select cPsn_Num || cPsn_Name from WA_psn order by i_id");
    std::mt19937 random(20261208);
    int answered = 0, faulted = 0;
    for (int i = 0; i < 300; ++i) {
        auto server = i % 2 ? testing_support::NewSalaryItem() : testing_support::NewSalaryPerson();
        std::string request = Mutate(i % 3 ? add : query, random);
        try {
            std::string reply = testing_support::Transact(server.get(), request, login.get());
            xml::Document doc;
            EXPECT_TRUE(doc.Load(reply)) << "a reply that is not XML for: " << request;
            ++answered;
        } catch (const base::Fault& f) {
            EXPECT_FALSE(f.description().empty());
            ++faulted;
        }
    }
    EXPECT_GT(answered, 100);
    EXPECT_EQ(demo.Column(untouched), before);
    EXPECT_EQ(demo.Column("select cPsn_Num || cPsn_Name from WA_psn order by i_id"), roster);
    EXPECT_EQ(demo.Scalar("select count(*) from WA_GZData"), "33");
}

}  // namespace

namespace {

// Requests built to cost much: each is answered or refused at once and changes nothing.
TEST(HostileRequests, AmplificationAndOversizedPartsAreRefused) {
    testing_support::DemoDb demo;
    auto login = testing_support::NewLogin(demo.ConnectionString());
    const std::string before = demo.FileBytes();
    // Each entity is ten of the one before: &a8; would be 4,000,000,000 characters.
    std::string entities = "<!DOCTYPE r [<!ENTITY a0 \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (int i = 1; i <= 8; ++i) {
        entities += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) entities += "&a" + std::to_string(i - 1) + ";";
        entities += "\">";
    }
    entities += "]>";
    const std::string item =
        "<reply code=\"100\" message=\"解析XML时发生错误,请你检查XML参数格式\"/>";
    for (const std::string& request :
         {entities + "<vkinterface proc='ADD' docid='&a8;'/>",
          entities + "<vkinterface proc='ADD'><salaryitem><personname>&a8;</personname>"
                     "<entry name='奖金' type='0'>&a8;</entry></salaryitem></vkinterface>"}) {
        EXPECT_EQ(
            testing_support::Transact(testing_support::NewSalaryItem().get(), request, login.get()),
            item);
        EXPECT_EQ(testing_support::Transact(testing_support::NewSalaryPerson().get(), request,
                                            login.get()),
                  item)
            << "the person class answers with its own identifier, whose text is the same";
    }
    auto fault = [&](const std::string& request) {
        return testing_support::FaultOf([&] {
            testing_support::Transact(testing_support::NewSalaryItem().get(), request, login.get());
        });
    };
    const std::string longTag(5 << 20, 'r');
    EXPECT_EQ(
        fault("<vkinterface proc='QUERY' paginate='0' roottag='" + longTag + "'/>"),
        std::make_pair(5, std::string("Invalid procedure call or argument: The request "
                                      "exceeds a limit: roottag is longer than 64 characters")));
    EXPECT_EQ(fault("<vkinterface proc='QUERY' paginate='0' roottag='a | //*'/>").first, 5)
        << "roottag goes into an XPath expression";
    std::string attributes = "<vkinterface proc='ADD'";
    for (int i = 0; i < 100000; ++i) attributes += " a" + std::to_string(i) + "='1'";
    EXPECT_EQ(fault(attributes + "/>").second,
              "Invalid procedure call or argument: The request exceeds a limit: an element has "
              "more attributes than 256 (line 1)");
    EXPECT_EQ(demo.FileBytes(), before);
    // A request of exactly the limit is read; one byte more is not.
    const std::size_t limit = component::MaxRequestBytes();
    EXPECT_EQ(testing_support::FaultOf([&] { component::CheckRequestSize(limit); }).first, 0);
    EXPECT_EQ(testing_support::FaultOf([&] { component::CheckRequestSize(limit + 1); }),
              std::make_pair(5,
                             "Invalid procedure call or argument: The request exceeds a limit: "
                             "it is larger than " +
                                 std::to_string(limit) + " bytes"));
}

}  // namespace
