#include "support/fault_loop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/fault.h"
#include "large_demo.h"
#include "support/demo_db.h"
#include "support/dispatch.h"
#include "xml/document.h"

namespace testing_support {

void WriteLoopDatabases(const TempDir& dir) {
    sql::WriteLargeDemoDatabase(dir.File("items.db"), kLoopItems, 12);
    sql::WriteEnrolmentDemoDatabase(dir.File("persons.db"), kLoopPersons, 3);
}

std::string FreshLoopDatabase(const TempDir& dir, const std::string& file) {
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(dir.File(std::string("run.db") + suffix));
    std::filesystem::copy_file(dir.File(file), dir.File("run.db"));
    return "Provider=SQLite;Data Source=" + dir.File("run.db");
}

int LoopStride(int bounded) {
    const char* loops = std::getenv("WAGELINK_FAULT_LOOPS");
    return loops && std::string(loops) == "full" ? 1 : bounded;
}

namespace {

// Two groups of records, where the import writes in groups: the second half sets one item more.
std::string ItemRequest() {
    const sql::LargeDemoEntry bonus{"奖金", 0, [](int n) { return std::to_string(1000 + n); }};
    const int half = kLoopItems / 2;
    std::string request = sql::LargeDemoItemRequest(0, half, {bonus});
    const std::string second = sql::LargeDemoItemRequest(
        half, kLoopItems - half, {bonus, {"应发合计", 0, [](int) { return "1"; }}});
    request.erase(request.rfind("</vkinterface>"));
    return request + second.substr(second.find("<salaryitem>"));
}

// Two groups likewise: the second half of the persons with one extra field fewer.
std::string PersonRequest() {
    const int half = kLoopPersons / 2;
    std::string request = sql::EnrolmentRequest(0, half, 3);
    const std::string second = sql::EnrolmentRequest(half, kLoopPersons - half, 2);
    request.erase(request.rfind("</vkinterface>"));
    return request + second.substr(second.find("<salaryperson>"));
}

// An export of the large demo's persons whose pages go to a collector.
LoopCall Export(const char* name, bool person, std::string request) {
    auto pages = std::make_shared<std::vector<Page>>();
    const char* tag = person ? "salaryperson" : "salaryitem";
    return {name, "items.db",
            [=](const std::string& connection) {
                pages->clear();
                auto server = person ? NewSalaryPerson() : NewSalaryItem();
                auto collector = PageCollector::Create();
                HoldCaller(server.get(), *collector.get());
                std::string reply = CallWithLogin(server.get(), request, connection);
                *pages = collector->pages;
                return reply;
            },
            [=](const std::string&, const std::string& reply, bool complete, bool) {
                std::size_t records = 0;
                for (std::size_t i = 0; i < pages->size(); ++i) {
                    const Page& page = (*pages)[i];
                    EXPECT_EQ(page.number, static_cast<long>(i + 1)) << name;
                    EXPECT_EQ(page.count, kLoopItems / kLoopPageSize) << name;
                    EXPECT_EQ(RecordCount(page.xml, tag), std::size_t(kLoopPageSize)) << name;
                    records += kLoopPageSize;
                }
                const bool answered =
                    reply.rfind("fault ", 0) != 0 && reply.rfind("<reply code=", 0) != 0;
                if (answered && pages->empty()) records = RecordCount(reply, tag);
                if (answered || complete) {
                    EXPECT_EQ(records, std::size_t(kLoopItems)) << name << ": " << reply;
                }
            }};
}

}  // namespace

LoopCall LoopItemImport() {
    return {"item import", "items.db",
            [request = ItemRequest()](const std::string& connection) {
                return CallWithLogin(NewSalaryItem().get(), request, connection);
            },
            [](const std::string& connection, const std::string& reply, bool complete, bool) {
                ExpectItemsAsReplied(connection, reply, complete);
            }};
}

LoopCall LoopPersonImport() {
    return {"person import", "persons.db",
            [request = PersonRequest()](const std::string& connection) {
                return CallWithLogin(NewSalaryPerson().get(), request, connection);
            },
            [](const std::string& connection, const std::string& reply, bool complete, bool again) {
                ExpectPersonsAsReplied(connection, reply, complete, again);
            }};
}

std::vector<LoopCall> LoopExports() {
    const std::string like = "<field name='cPsn_Num' operation='like' value='B'/>";
    return {Export("paged item export", false,
                   "<vkinterface roottag='salaryitem' proc='QUERY' paginate='" +
                       std::to_string(kLoopPageSize) + "'><salaryitem>" + like +
                       "</salaryitem></vkinterface>"),
            Export("kest export", false,
                   "<vkinterface roottag='salaryitem' proc='QUERY' paginate='0'><salaryitem "
                   "type='kest'>" +
                       like + "</salaryitem></vkinterface>"),
            Export("roster export", true,
                   "<vkinterface roottag='salaryperson' proc='QUERY' paginate='0'><salaryperson>" +
                       like + "</salaryperson></vkinterface>")};
}

std::string CallWithLogin(com::IDispatch* server, const std::string& request,
                          const std::string& connectionString) {
    auto login = NewLogin(connectionString);
    return CallOrFault(server, request, login.get());
}

std::string CallOrFault(com::IDispatch* server, const std::string& request, com::IDispatch* login) {
    try {
        return Transact(server, request, login);
    } catch (const base::Fault& fault) {
        return "fault " + std::to_string(fault.number()) + ": " + fault.description();
    }
}

std::map<int, std::string> ResultCodes(const std::string& reply) {
    std::map<int, std::string> codes;
    xml::Document doc;
    if (!doc.Load(reply)) return codes;
    for (xml::Element result : doc.Root().Children("result")) {
        const std::string n = result.GetAttribute("n");
        if (n.empty() || n.find_first_not_of("0123456789") != std::string::npos) {
            ADD_FAILURE() << "a result without its place: " << reply;
            continue;
        }
        codes[std::stoi(n)] = result.GetAttribute("code");
    }
    return codes;
}

void ExpectItemsAsReplied(const std::string& connectionString, const std::string& reply,
                          bool complete) {
    std::map<int, std::string> codes = ResultCodes(reply);
    auto connection = ConnectTo(connectionString);
    for (int n = 0; n < kLoopItems; ++n) {
        const bool written = ScalarText(*connection,
                                        "select count(*) from WA_GZData where iMonth = 11 and "
                                        "cPsn_Num = '" +
                                            sql::LargeDemoPersonCode(n) +
                                            "' and F_9 = " + std::to_string(1000 + n)) == "1";
        EXPECT_EQ(written, codes[n + 1] == "0")
            << "record " << n + 1 << ": " << codes[n + 1] << " in " << reply;
        if (complete) {
            EXPECT_TRUE(written) << "record " << n + 1 << " in " << reply;
        }
    }
}

void ExpectPersonsAsReplied(const std::string& connectionString, const std::string& reply,
                            bool complete, bool again) {
    std::map<int, std::string> codes = ResultCodes(reply);
    auto connection = ConnectTo(connectionString);
    for (int n = 0; n < kLoopPersons; ++n) {
        const std::string code = sql::EnrolmentPersonCode(n);
        const std::string roster =
            ScalarText(*connection, "select count(*) from WA_psn where cPsn_Num = '" + code + "'");
        EXPECT_EQ(roster,
                  ScalarText(*connection,
                             "select count(*) from WA_GZData where cPsn_Num = '" + code + "'"))
            << "person " << n + 1 << " half enrolled";
        const bool duplicate = again && codes[n + 1] == "101";
        EXPECT_EQ(roster == "1", codes[n + 1] == "0" || duplicate)
            << "person " << n + 1 << ": " << codes[n + 1] << " in " << reply;
        if (complete) {
            EXPECT_EQ(roster, "1") << "person " << n + 1 << " in " << reply;
        }
    }
}

}  // namespace testing_support
