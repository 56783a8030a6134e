// Imports across a network: a link that holds every packet for 1 ms each way (bench::DelayLink)
// between the server library and a MariaDB server that flushes its log at each commit
// (scripts/bench-server.sh starts one and sets WAGELINK_BENCH_SERVER). For each size, the item
// import and the person import through Transact, beside the same work through raw ODBC one record
// a round trip over the same link, each record committed by itself (and, for items, also with
// the import's commits): records per second, round trips a record and commits a record (the
// server's redo log writes).
//
//   link_bench [N ...]     (defaults 5000 50000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <regex>

#include "bench_util.h"
#include "db/connection.h"
#include "db/recordset.h"
#include "delay_link.h"
#include "large_demo.h"
#include "workloads.h"

namespace {

constexpr std::chrono::milliseconds kDelay{1};
constexpr long kEntries = 3, kExtras = 3;

const std::regex kPort(R"(Port=(\d+))", std::regex::icase);

std::string Via(const std::string& connectionString, int port) {
    return std::regex_replace(connectionString, kPort, "Port=" + std::to_string(port));
}

long LogWrites(const std::string& account) {
    db::Connection connection;
    connection.Open(account);
    db::Recordset rows;
    rows.Open("SHOW GLOBAL STATUS LIKE 'Innodb_log_writes'", connection);
    return std::atol(db::ValueText(rows[1].value()).c_str());
}

struct Figures {
    const char* who;
    long records;
    double seconds, roundTrips, commits;
};

Figures Measure(const char* who, long records, const bench::DelayLink& link,
                const std::string& account, const std::function<bool()>& work) {
    const long trips = link.roundTrips(), logs = LogWrites(account);
    const auto start = std::chrono::steady_clock::now();
    if (!work()) {
        std::fprintf(stderr, "%s: the work failed\n", who);
        std::exit(1);
    }
    const double seconds = bench::Seconds(start);
    return {who, records, seconds, double(link.roundTrips() - trips),
            double(LogWrites(account) - logs)};
}

void Print(const Figures& f) {
    std::printf("  %-40s %9.0f records/s  %7.4f round trips  %7.4f commits a record\n", f.who,
                f.records / f.seconds, f.roundTrips / f.records, f.commits / f.records);
}

bool AllWritten(const std::string& reply, long records) {
    if (bench::Occurrences(reply, "code=\"0\"") == records) return true;
    std::fprintf(stderr, "not every record written: %s\n", reply.substr(0, 400).c_str());
    return false;
}

void Items(long n, const bench::DelayLink& link, const std::string& account) {
    const std::string path = bench::ScratchDir() + "/link-items.db";
    sql::WriteLargeDemoDatabase(path, static_cast<int>(n), static_cast<int>(kEntries));
    std::printf("item import, %ld records of %ld entries:\n", n, kEntries);
    const std::string request = bench::ItemRequest(n, kEntries);
    const std::string via = Via(bench::DatabaseOf(bench::Storage::kServer, path), link.port());
    const Figures ours = Measure("wagelink", n, link, account, [&] {
        return AllWritten(bench::TransactAsPlatform(via, request).text, n);
    });
    Print(ours);
    for (long commitEvery : {1L, bench::kRecordsACommit}) {
        bench::DatabaseOf(bench::Storage::kServer, path);
        const std::string who = commitEvery == 1 ? "raw ODBC, a round trip and a commit each"
                                                 : "raw ODBC, a round trip each, 400 a commit";
        const Figures plain = Measure(who.c_str(), n, link, account, [&] {
            return bench::ItemUpdatesThroughOdbc(via, n, kEntries, commitEvery);
        });
        Print(plain);
        std::printf("  %-40s %9.1f\n", "wagelink / this", plain.seconds / ours.seconds);
    }
}

void Persons(long n, const bench::DelayLink& link, const std::string& account) {
    const std::string path = bench::ScratchDir() + "/link-persons.db";
    sql::WriteEnrolmentDemoDatabase(path, static_cast<int>(n), static_cast<int>(kExtras));
    std::printf("person import, %ld persons of %ld extra fields:\n", n, kExtras);
    const std::string request =
        sql::EnrolmentRequest(0, static_cast<int>(n), static_cast<int>(kExtras));
    const std::string via = Via(bench::DatabaseOf(bench::Storage::kServer, path), link.port());
    const Figures ours = Measure("wagelink", n, link, account, [&] {
        return AllWritten(
            bench::TransactAsPlatform(via, request, nullptr, bench::ServerClass::kSalaryPerson)
                .text,
            n);
    });
    Print(ours);
    bench::DatabaseOf(bench::Storage::kServer, path);
    const Figures plain = Measure("raw ODBC, a round trip and a commit each", n, link, account,
                                  [&] { return bench::EnrolmentsThroughOdbc(via, n, kExtras); });
    Print(plain);
    std::printf("  %-40s %9.1f\n", "wagelink / this", plain.seconds / ours.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    const char* account = std::getenv("WAGELINK_BENCH_SERVER");
    if (!account || !*account) {
        std::fprintf(stderr, "link_bench needs a server: run it through scripts/bench-server.sh\n");
        return 1;
    }
    std::smatch port;
    const std::string text = account;
    if (!std::regex_search(text, port, kPort)) return 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as it is measured
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') sizes.push_back(std::atol(argv[i]));  // not the others' flags
    if (sizes.empty()) sizes = {5000, 50000};
    bench::DelayLink link(std::stoi(port[1]), kDelay);
    std::printf(
        "a link holding each packet %lld ms each way, a server flushing its log at each "
        "commit\n",
        static_cast<long long>(kDelay.count()));
    for (long n : sizes) {
        Items(n, link, account);
        Persons(n, link, account);
    }
}
