// What a host leaves on disk: a batch cut short by a kill leaves a sound database holding a
// prefix of the batch, each record whole; a host that exits leaves everything in the database
// file itself, so copying that file alone keeps every written record.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "db/recordset.h"
#include "large_demo.h"
#include "support/host.h"

namespace {

constexpr int kPersons = 4000;

// An ADD request setting two items of each large-demo person: F_9 = 1000 + n, F_8 = 2000 + n.
std::string Batch() {
    return sql::LargeDemoItemRequest(
        0, kPersons,
        {{"奖金", 0, [](int n) { return std::to_string(1000 + n); }},
         {"岗位工资", 0, [](int n) { return std::to_string(2000 + n); }}});
}

std::string Scalar(const std::string& path, const std::string& sql) {
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + path);
    db::Recordset rows;
    rows.Open(sql, c);
    return rows[0].Text();
}

// The persons whose record was written, as "first..last", and whether every record is whole.
struct Written {
    int count;
    bool prefix;
    bool whole;
};

Written WrittenRecords(const std::string& path) {
    db::Connection c;
    c.Open("Provider=SQLite;Data Source=" + path);
    db::Recordset rows;
    rows.Open(
        "select cast(substr(cPsn_Num, 2) as integer), F_9, F_8 from WA_GZData where cPsn_Num like "
        "'B%' and iMonth = 11 order by cPsn_Num",
        c);
    Written w{0, true, true};
    bool gap = false;
    for (; !rows.IsEOF(); rows.MoveNext()) {
        int n = std::stoi(rows[0].Text());
        bool nine = !rows[1].IsNull() && rows[1].Text() == std::to_string(1000 + n);
        bool eight = !rows[2].IsNull() && rows[2].Text() == std::to_string(2000 + n);
        if (nine != eight) w.whole = false;
        if (nine && gap) w.prefix = false;
        if (nine) ++w.count;
        if (!nine) gap = true;
    }
    return w;
}

// Starts the host on the batch into a fresh large demo at `path` (its reply to `reply`) and
// returns once it has written 50 records: its process id.
pid_t StartBatch(const testing_support::HostFolder& host, const std::string& path,
                 const std::string& reply = "/dev/null") {
    sql::WriteLargeDemoDatabase(path, kPersons, 12);
    std::ofstream(host.File("batch.xml"), std::ios::binary) << Batch();
    pid_t pid = host.Start({"transact", "Wagelink.ISalaryItem", "-", "--connection",
                            "Provider=SQLite;Data Source=" + path},
                           host.File("batch.xml"), reply);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline &&
           std::stoi(Scalar(path,
                            "select count(*) from WA_GZData where cPsn_Num like 'B%' and "
                            "F_9 >= 1000")) < 50)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return pid;
}

TEST(Durability, AKilledBatchLeavesAPrefixOfWholeRecords) {
    testing_support::HostFolder host;
    const std::string path = host.File("load.db");
    pid_t pid = StartBatch(host, path);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the host finished before it was killed";

    EXPECT_EQ(Scalar(path, "PRAGMA integrity_check"), "ok");
    Written w = WrittenRecords(path);
    EXPECT_GE(w.count, 50);
    EXPECT_LT(w.count, kPersons) << "the whole batch was written before the kill";
    EXPECT_TRUE(w.prefix) << "the written records are not a prefix of the batch";
    EXPECT_TRUE(w.whole) << "a record was written in part";
}

// Ctrl-C stops the batch at a record boundary: exit 130, a reply whose written records are
// exactly those in the database, and the database file alone holds them (its log checkpointed).
TEST(Durability, AnInterruptedBatchAnswersTheRecordsItWrote) {
    testing_support::HostFolder host;
    const std::string path = host.File("load.db");
    pid_t pid = StartBatch(host, path, host.File("reply.xml"));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the host was killed by the interrupt";
    EXPECT_EQ(WEXITSTATUS(status), 130);

    const std::string reply = testing_support::Slurp(host.File("reply.xml"));
    int answered = 0;
    for (std::size_t at = reply.find("code=\"0\""); at != std::string::npos;
         at = reply.find("code=\"0\"", at + 1))
        ++answered;
    std::filesystem::copy_file(path, host.File("copy.db"));
    const Written w = WrittenRecords(host.File("copy.db"));
    EXPECT_EQ(answered, w.count) << "the reply's written records are the database's";
    EXPECT_GE(w.count, 50);
    EXPECT_LT(w.count, kPersons) << "the batch ended before the interrupt";
    EXPECT_TRUE(w.prefix && w.whole);
    EXPECT_FALSE(std::filesystem::exists(path + "-wal")) << "the log was left beside the file";
}

TEST(Durability, TheDatabaseFileAloneHoldsEveryWrittenRecord) {
    testing_support::HostFolder host;
    ASSERT_EQ(host.Run({"demo-db", "demo.db"}).exit, 0);
    testing_support::HostRun run = host.Run(
        {"transact", "Wagelink.ISalaryItem", "-", "--connection",
         "Provider=SQLite;Data Source=" + host.File("demo.db")},
        "<vkinterface roottag='salaryitem' docid='D' proc='ADD'><salaryitem>"
        "<salarygradeno>001</salarygradeno><departmentno>0101</departmentno><year>2026</year>"
        "<month>11</month><personno>0001</personno><personname>林晓东</personname>"
        "<persongradeno>管理人员</persongradeno><entry name='奖金' type='0'>4321</entry>"
        "</salaryitem></vkinterface>");
    ASSERT_NE(run.out.find("code=\"0\""), std::string::npos) << run.out << run.err;
    std::filesystem::copy_file(host.File("demo.db"), host.File("copy.db"));
    EXPECT_EQ(Scalar(host.File("copy.db"),
                     "select F_9 from WA_GZData where cPsn_Num = '0001' and iMonth = 11"),
              "4321");
}

}  // namespace
