// Whatever text arrives, Transact answers or fails the call with a fault; it never crashes and
// never leaves the database half-written.
#include <gtest/gtest.h>

#include <random>

#include "base/fault.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
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
        "select group_concat(cPsn_Num || '/' || iMonth || '/' || ifnull(F_9, '') || '/' || "
        "ifnull(F_10, ''), ';') "
        "from WA_GZData where cPsn_Num not in ('0001', '0002') or iMonth <> 11";
    const std::string before = demo.Scalar(untouched);
    const std::string roster =
        demo.Scalar("select group_concat(cPsn_Num || cPsn_Name, ';') from WA_psn");
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
    EXPECT_EQ(demo.Scalar(untouched), before);
    EXPECT_EQ(demo.Scalar("select group_concat(cPsn_Num || cPsn_Name, ';') from WA_psn"), roster);
    EXPECT_EQ(demo.Scalar("select count(*) from WA_GZData"), "33");
}

}  // namespace
