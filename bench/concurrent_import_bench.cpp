// Concurrent importers on one database file: W host processes import R records each at the same
// time, as a busy integration platform would run them, for a number of rounds. Every record of
// every batch must be processed (a result of its own, no "Item"/999) and no result may mention a
// busy or locked database. Prints the records per second of each round; exits 1 on a failure.
// With a database server given (bench_util.h), the same rounds run against it too: there the
// importers meet in deadlocks, which must be run again unseen.
//
//   concurrent_import_bench [W] [R] [ROUNDS]     (defaults 16, 500 and 2)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_util.h"
#include "large_demo.h"

extern char** environ;

namespace {

const std::string kHost = std::string(WAGELINK_BINARY_DIR) + "/wagelink";

// Each round writes other values, so that every round changes every row.
std::string Batch(long first, long records, long round) {
    return sql::LargeDemoItemRequest(
        static_cast<int>(first), static_cast<int>(records),
        {{"奖金", 0, [round](int n) { return std::to_string((n + round) % 1000); }}});
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& in, const std::string& out) {
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, kHost.c_str(), &files, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

long Count(const std::string& text, const std::string& what) {
    long n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Runs the rounds against the database `connection` opens; true when every record of every
// batch was processed.
bool Rounds(const std::string& dir, const std::string& connection, long writers, long records,
            long rounds) {
    bool ok = true;
    for (long round = 1; round <= rounds; ++round) {
        for (long w = 0; w < writers; ++w)
            std::ofstream(dir + "/batch-" + std::to_string(w) + ".xml")
                << Batch(w * records, records, round);
        auto start = std::chrono::steady_clock::now();
        std::vector<pid_t> pids;
        for (long w = 0; w < writers; ++w)
            pids.push_back(
                Spawn({"wagelink", "transact", "Wagelink.ISalaryItem",
                       dir + "/batch-" + std::to_string(w) + ".xml", "--connection", connection},
                      "/dev/null", dir + "/reply-" + std::to_string(w) + ".xml"));
        long processed = 0, written = 0, failed = 0;
        for (long w = 0; w < writers; ++w) {
            int status = 0;
            waitpid(pids[w], &status, 0);
            std::string reply = Read(dir + "/reply-" + std::to_string(w) + ".xml");
            long results = Count(reply, "<result ");
            long faults = Count(reply, "code=\"999\"");
            long locked = Count(reply, "locked") + Count(reply, "busy") + Count(reply, "eadlock");
            processed += results - faults;
            written += Count(reply, "code=\"0\"");
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || results != records || faults ||
                locked) {
                ++failed;
                std::cerr << "importer " << w << ": " << reply.substr(0, 300) << '\n';
            }
        }
        double seconds = bench::Seconds(start);
        std::printf(
            "round %ld: %ld of %ld records processed (%ld written), %ld importers failed, "
            "%.0f records/s\n",
            round, processed, writers * records, written, failed, writers * records / seconds);
        ok = ok && failed == 0 && processed == writers * records;
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    auto numbers = bench::Numbers(argc, argv, {16, 500, 2});
    const long writers = numbers[0], records = numbers[1], rounds = numbers[2];
    const std::string dir = bench::ScratchDir();
    setenv("WAGELINK_REGISTRY", (dir + "/registry").c_str(), 1);
    if (std::system((kHost + " register").c_str()) != 0) return 1;
    const std::string path = dir + "/concurrent.db";
    bool ok = true;
    for (bench::Storage storage : bench::Storages()) {
        if (storage == bench::Storage::kMemory) continue;
        sql::WriteLargeDemoDatabase(path, static_cast<int>(writers * records), 12);
        std::cout << writers << " importers x " << records << " records on one "
                  << (storage == bench::Storage::kServer ? "server database" : "file") << ", "
                  << rounds << " rounds\n";
        ok = Rounds(dir, bench::DatabaseOf(storage, path), writers, records, rounds) && ok;
    }
    std::printf("%s\n", ok ? "every record of every batch processed" : "FAILED");
    return ok ? 0 : 1;
}
