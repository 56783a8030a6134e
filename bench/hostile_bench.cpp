// What hostile requests cost: each is handed to the host as a user would (`wagelink transact`
// reading a file), and the seconds and peak resident memory of that process are printed beside
// those of a trivial request (the host at rest). Every request must leave the database file
// byte-for-byte as it was.
//
//   hostile_bench
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_util.h"
#include "demo_database.h"

extern char** environ;

namespace {

const std::string kHost = std::string(WAGELINK_BINARY_DIR) + "/wagelink";

struct Cost {
    double seconds;
    long peakKiB;
    int exit;
};

Cost Run(const std::string& dir, const std::string& request) {
    const std::string file = dir + "/request.xml";
    std::ofstream(file, std::ios::binary) << request;
    std::vector<std::string> args = {
        "wagelink", "transact",     "Wagelink.ISalaryItem",
        file,       "--connection", "Provider=SQLite;Data Source=" + dir + "/demo.db"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    posix_spawn(&pid, kHost.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {bench::Seconds(start), usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string Slurp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Entities of ten times the one before, from `base` characters: a`levels` holds
// base * 10^levels characters.
std::string Entities(int base, int levels) {
    std::string dtd = "<!DOCTYPE vkinterface [<!ENTITY a0 \"" + std::string(base, 'a') + "\">";
    for (int i = 1; i <= levels; ++i) {
        dtd += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) dtd += "&a" + std::to_string(i - 1) + ";";
        dtd += "\">";
    }
    return dtd + "]>";
}

}  // namespace

int main() {
    const std::string dir = bench::ScratchDir();
    setenv("WAGELINK_REGISTRY", (dir + "/registry").c_str(), 1);
    if (std::system((kHost + " register").c_str()) != 0) return 1;
    sql::WriteDemoDatabase(dir + "/demo.db");
    const std::string before = Slurp(dir + "/demo.db");
    std::string attributes = "<vkinterface proc='ADD'";
    for (int i = 0; i < 100000; ++i) attributes += " a" + std::to_string(i) + "='1'";
    const std::vector<std::pair<std::string, std::string>> requests = {
        {"entities in an attribute", Entities(40, 8) + "<vkinterface proc='ADD' docid='&a8;'/>"},
        {"entities in an entry",
         Entities(40, 8) + "<vkinterface proc='ADD'><salaryitem><entry name='备注' type='1'>"
                           "&a8;</entry></salaryitem></vkinterface>"},
        {"a 5 MB roottag",
         "<vkinterface proc='QUERY' paginate='0' roottag='" + std::string(5 << 20, 'r') + "'/>"},
        {"100,000 attributes", attributes + "/>"},
        {"a value of 100,000,000 characters",
         Entities(100, 6) + "<vkinterface proc='ADD'><salaryitem><salarygradeno>001"
                            "</salarygradeno><entry name='备注' type='1'>&a6;</entry>"
                            "</salaryitem></vkinterface>"},
    };
    Cost rest = Run(dir, "<vkinterface proc='ADD' docid='rest'/>");
    std::printf("at rest: %.3f s, peak %ld KiB\n", rest.seconds, rest.peakKiB);
    bool unchanged = true;
    for (const auto& [name, request] : requests) {
        Cost cost = Run(dir, request);
        bool same = Slurp(dir + "/demo.db") == before;
        unchanged = unchanged && same;
        std::printf("%-36s %7.3f s, %+7ld KiB over rest, exit %d, database %s\n", name.c_str(),
                    cost.seconds, cost.peakKiB - rest.peakKiB, cost.exit,
                    same ? "unchanged" : "CHANGED");
    }
    return unchanged ? 0 : 1;
}
