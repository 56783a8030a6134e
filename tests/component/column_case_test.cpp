// The replies and pages of a request do not depend on the case in which a database declares its
// columns: the demo job and requests of every kind, run on the demo database and on one whose
// every column name is declared in the other case, give the same bytes, on SQLite and on the
// server.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "create_database.h"
#include "demo_database.h"
#include "server_database.h"
#include "support/dispatch.h"
#include "support/pages.h"
#include "support/requests.h"
#include "support/server_db.h"
#include "support/temp_dir.h"

namespace {

using testing_support::Entry;
using testing_support::ItemRecord;
using testing_support::PersonRecord;

// The schema with the case of every letter of every declared column name turned over.
std::string OtherCase(std::string_view schema) {
    static const std::regex column(
        R"(\b([A-Za-z_][A-Za-z0-9_]*)(\s+)(n?varchar|n?char|smallint|int|integer|bit|money|float|datetime)\b)",
        std::regex::icase);
    std::string out;
    auto end = std::sregex_iterator();
    std::string text(schema);
    std::size_t copied = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), column); it != end; ++it) {
        std::string name = (*it)[1];
        for (char& c : name)
            c = std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c);
        out += text.substr(copied, static_cast<std::size_t>(it->position(1)) - copied) + name;
        copied = static_cast<std::size_t>(it->position(1) + it->length(1));
    }
    return out + text.substr(copied);
}

std::string Example(const std::string& name) {
    std::ifstream file(std::string(WAGELINK_SOURCE_DIR "/examples/") + name);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

struct Request {
    bool person;
    std::string xml;
};

// The demo job (scripts/demo.sh), then requests of the import, export, kest and roster suites.
std::vector<Request> Job() {
    std::string trial = Example("add-salary-items.xml");
    trial.replace(trial.find("proc=\"ADD\""), 10, "proc=\"ADD\" mode=\"validate\"");
    const std::string longRemark(51, 'x');
    return {
        {false, trial},
        {false, Example("add-salary-items.xml")},
        {true, Example("add-salary-persons.xml")},
        {false, Example("query-salary-items.xml")},
        {false, Example("query-kest.xml")},
        {true, Example("query-salary-persons.xml")},
        {false,
         testing_support::AddRequest(
             {ItemRecord({}, {{"备注", "1", longRemark}}),
              ItemRecord({{"departmentno", "9999"}}, {{"奖金", "0", "1"}}),
              ItemRecord({}, {{"奖金", "0", "1,5"}}),
              ItemRecord({{"personno", "0003"}, {"personname", "陈一鸣"}}, {{"奖金", "0", "1"}}),
              ItemRecord({}, {{"奖金", "0", "77"}, {"代扣税", "0", "7.5"}})})},
        {true, testing_support::AddRequest(
                   {PersonRecord({{"personno", "0021"}, {"personname", "韦佳琪"}},
                                 {testing_support::ByName("m2", std::string(13, '9'))}),
                    PersonRecord({{"personno", "0023"}, {"personname", "秦雨菲"}},
                                 {testing_support::ByCaption("开户银行", "湖滨银行")})},
                   "salaryperson")},
        {false,
         "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem type='kest'>"
         "<field name='SALARYGRADENO' operation='=' value='001' logic='and'/><field "
         "name='salaryitem' operation='in' value='奖金,代扣税'/></salaryitem></vkinterface>"},
        {false,
         "<vkinterface roottag='salaryitem' proc='QUERY' paginate='3'><salaryitem><field "
         "name='CPSN_NUM' operation='&lt;' value='0005' logic='and'/><field name='cpsngrd' "
         "operation='like' value='管理'/></salaryitem></vkinterface>"},
        {true,
         "<vkinterface roottag='salaryperson' proc='QUERY' paginate='0'><salaryperson><field "
         "name='CDEPT_NUM' operation='=' value='0101' logic='or'/><field name='m1' "
         "operation='like' "
         "value='99'/></salaryperson></vkinterface>"},
    };
}

// Every reply and every page of the job on the database `connectionString` opens.
std::string Transcript(const std::string& connectionString) {
    auto login = testing_support::NewLogin(connectionString);
    std::string transcript;
    for (const Request& request : Job()) {
        auto server =
            request.person ? testing_support::NewSalaryPerson() : testing_support::NewSalaryItem();
        auto pages = testing_support::PageCollector::Create();
        testing_support::HoldCaller(server.get(), *pages.get());
        transcript += testing_support::Transact(server.get(), request.xml, login.get()) + "\n";
        for (const testing_support::Page& page : pages->pages)
            transcript += std::to_string(page.number) + "/" + std::to_string(page.count) + ": " +
                          page.xml + "\n";
    }
    return transcript;
}

TEST(ColumnCase, RepliesAndPagesAreTheSameWhateverTheCaseOfTheDeclaredColumns) {
    const std::string otherCase = OtherCase(sql::SchemaScript());
    ASSERT_NE(otherCase.find("CdEPnAME"), std::string::npos) << "the schema was not turned over";
    ASSERT_NE(otherCase.find("CpSNmOBILEpHONE"), std::string::npos);

    testing_support::TempDir dir;
    sql::WriteDemoDatabase(dir.File("declared.db"));
    sql::CreateDatabase(dir.File("other.db"), otherCase + "\n" + std::string(sql::DemoScript()));
    const std::string declared =
        Transcript("Provider=SQLite;Data Source=" + dir.File("declared.db"));
    const std::string other = Transcript("Provider=SQLite;Data Source=" + dir.File("other.db"));
    EXPECT_EQ(other, declared);
    for (const char* written :
         {"code=\"0\"", "code=\"100\"", "code=\"101\"", "<departmentname>", "<cpsnmobilephone>1",
          "列[F_10]", "1/3: ", "公积金账号不能超过12位"})
        EXPECT_NE(declared.find(written), std::string::npos) << written << " in " << declared;

    if (!testing_support::TestServer()) return;
    testing_support::ServerDb onServer(testing_support::ServerDb::Contents::kDemo);
    testing_support::ServerDb otherOnServer(testing_support::ServerDb::Contents::kNothing);
    sql::WriteServerDatabase(otherOnServer.ConnectionString(), otherCase, sql::DemoScript());
    const std::string serverDeclared = Transcript(onServer.ConnectionString());
    EXPECT_EQ(Transcript(otherOnServer.ConnectionString()), serverDeclared);
    EXPECT_NE(serverDeclared.find("<cpsnmobilephone>1"), std::string::npos);
}

}  // namespace
