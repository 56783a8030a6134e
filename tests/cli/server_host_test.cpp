// The demo job run through the host twice, on the SQLite demo file and on the demo data written
// to the test database server: the same requests give the same replies and the same pages.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/host.h"
#include "support/server_db.h"

namespace {

using testing_support::HostFolder;
using testing_support::HostRun;
using testing_support::Slurp;

// Every reply of the demo job, and every page it delivered, in order.
std::string DemoJob(const HostFolder& folder, const std::string& connection) {
    const std::string examples = std::string(WAGELINK_SOURCE_DIR) + "/examples/";
    struct Step {
        const char* progId;
        const char* request;
        std::vector<std::string> more;
        int exit;
    };
    // Each import of the demo rejects a record: exit 4.
    const std::vector<Step> steps = {
        {"Wagelink.ISalaryItem", "add-salary-items.xml", {"--validate-only"}, 4},
        {"Wagelink.ISalaryItem", "add-salary-items.xml", {}, 4},
        {"Wagelink.ISalaryPerson", "add-salary-persons.xml", {}, 4},
        {"Wagelink.ISalaryItem", "query-salary-items.xml", {"--pages", "pages"}, 0},
        {"Wagelink.ISalaryItem", "query-kest.xml", {}, 0},
        {"Wagelink.ISalaryPerson", "query-salary-persons.xml", {"--pages", "roster-pages"}, 0},
    };
    std::string job;
    for (const Step& step : steps) {
        std::vector<std::string> args = {"transact", step.progId, examples + step.request,
                                         "--connection", connection};
        args.insert(args.end(), step.more.begin(), step.more.end());
        HostRun run = folder.Run(args);
        job += std::string(step.request) + " exit " + std::to_string(run.exit) + "\n" + run.out;
        EXPECT_EQ(run.exit, step.exit) << step.request << ": " << run.err;
    }
    for (const char* pages : {"pages", "roster-pages"}) {
        std::set<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.File(pages)))
            files.insert(entry.path());
        for (const auto& file : files)
            job += file.filename().string() + "\n" + Slurp(file.string()) + "\n";
    }
    return job;
}

TEST(ServerHost, TheDemoJobGivesTheSameRepliesOnSqliteAndOnTheServer) {
    REQUIRE_TEST_SERVER();
    HostFolder onFile;
    ASSERT_EQ(onFile.Run({"demo-db", "demo.db"}).exit, 0);
    const std::string expected =
        DemoJob(onFile, "Provider=SQLite;Data Source=" + onFile.File("demo.db"));

    testing_support::ServerDb server(testing_support::ServerDb::Contents::kNothing);
    HostFolder onServer;
    HostRun written = onServer.Run({"demo-db", "--connection", server.ConnectionString()});
    ASSERT_EQ(written.exit, 0) << written.err;
    const std::string persons = server.Scalar("select count(*) from pubperson");
    // Written twice: refused, the password kept out of the fault, nothing changed.
    HostRun again = onServer.Run({"demo-db", "--connection", server.ConnectionString()});
    EXPECT_NE(again.exit, 0);
    EXPECT_EQ(again.err.find("wagelink-test"), std::string::npos) << again.err;
    EXPECT_EQ(server.Scalar("select count(*) from pubperson"), persons);

    EXPECT_EQ(DemoJob(onServer, server.ConnectionString()), expected);
}

}  // namespace
