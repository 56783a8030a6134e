// The salary person import: N persons with K extra fields enrolled through Transact, as the
// platform calls it, against the bare baseline of the same two INSERTs per person (the roster row
// and the first payroll row) run straight on SQLite, committed as often as the import commits
// (once a group of persons), on the same kind of file; on a durable file system and in
// memory-backed storage, as import_bench runs. Also prints the statements the import sent per
// person. With a database server given (bench_util.h), the same runs against it, the baseline
// through raw ODBC (both rows in one statement per person).
//
//   person_import_bench [N] [K]     (defaults 2000 and 3)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <iostream>

#include "bench_util.h"
#include "large_demo.h"
#include "workloads.h"

namespace {

long g_persons = 2000;
long g_extras = 3;
bench::ImportReport g_report;

void Import(benchmark::State& state, bench::Storage storage) {
    const std::string path = bench::StorageDir(storage) + "/persons.db";
    const std::string request =
        sql::EnrolmentRequest(0, static_cast<int>(g_persons), static_cast<int>(g_extras));
    for (auto _ : state) {
        sql::WriteEnrolmentDemoDatabase(path, static_cast<int>(g_persons),
                                        static_cast<int>(g_extras));
        const std::string database = bench::DatabaseOf(storage, path);
        db::StatementCounts before = db::CountedStatements();
        bench::TimedReply reply = bench::TransactAsPlatform(database, request, nullptr,
                                                            bench::ServerClass::kSalaryPerson);
        g_report.Statements(storage, before, db::CountedStatements(), g_persons);
        long enrolled = 0;
        for (std::size_t at = reply.text.find("code=\"0\""); at != std::string::npos;
             at = reply.text.find("code=\"0\"", at + 1))
            ++enrolled;
        if (enrolled != g_persons) {
            state.SkipWithError(
                ("only " + std::to_string(enrolled) + " enrolled: " + reply.text.substr(0, 400))
                    .c_str());
            return;
        }
        state.SetIterationTime(reply.seconds);
        g_report.Import(storage, g_persons / reply.seconds);
        state.counters["persons/s"] = g_persons / reply.seconds;
    }
}

// Both inserts straight on SQLite, in one transaction per person.
bool SqliteBaseline(const std::string& path) {
    const std::string roster = bench::RosterInsert(g_extras);
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* begin = nullptr;
    sqlite3_stmt* commit = nullptr;
    sqlite3_stmt* insertRoster = nullptr;
    sqlite3_stmt* insertPayroll = nullptr;
    sqlite3_prepare_v2(db, "BEGIN", -1, &begin, nullptr);
    sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
    sqlite3_prepare_v2(db, roster.c_str(), -1, &insertRoster, nullptr);
    sqlite3_prepare_v2(db, bench::kPayrollInsert, -1, &insertPayroll, nullptr);
    bool failed = false;
    for (long n = 0; n < g_persons && !failed; ++n) {
        std::vector<db::Value> values = bench::RosterValues(n, g_extras);
        for (std::size_t k = 0; k < values.size(); ++k) {
            const std::string& text = std::get<std::string>(values[k]);
            sqlite3_bind_text(insertRoster, static_cast<int>(k + 1), text.c_str(), -1,
                              SQLITE_TRANSIENT);
            if (k < 2)
                sqlite3_bind_text(insertPayroll, static_cast<int>(k + 1), text.c_str(), -1,
                                  SQLITE_TRANSIENT);
        }
        // Committed as often as the import commits: once a group of persons.
        const bool first = n % bench::kRecordsACommit == 0;
        const bool last = (n + 1) % bench::kRecordsACommit == 0 || n + 1 == g_persons;
        for (sqlite3_stmt* s : {begin, insertRoster, insertPayroll, commit}) {
            if ((s == begin && !first) || (s == commit && !last)) continue;
            failed = failed || sqlite3_step(s) != SQLITE_DONE;
            sqlite3_reset(s);
        }
    }
    for (sqlite3_stmt* s : {begin, commit, insertRoster, insertPayroll}) sqlite3_finalize(s);
    sqlite3_close(db);  // timed to the close, as the import's call is
    return !failed;
}

void Baseline(benchmark::State& state, bench::Storage storage) {
    const std::string path = bench::StorageDir(storage) + "/persons-baseline.db";
    for (auto _ : state) {
        sql::WriteEnrolmentDemoDatabase(path, static_cast<int>(g_persons),
                                        static_cast<int>(g_extras));
        const std::string database = bench::DatabaseOf(storage, path);
        auto start = std::chrono::steady_clock::now();
        bool ok = storage == bench::Storage::kServer
                      ? bench::EnrolmentsThroughOdbc(database, g_persons, g_extras)
                      : SqliteBaseline(path);
        double seconds = bench::Seconds(start);
        if (!ok) {
            state.SkipWithError("baseline insert failed");
            return;
        }
        state.SetIterationTime(seconds);
        g_report.Baseline(storage, g_persons / seconds);
        state.counters["persons/s"] = g_persons / seconds;
    }
}

// The peak memory of one import of 20,000 persons with 3 extra fields, in a process of its own.
constexpr long kPeakPersons = 20000;
constexpr long kPeakExtras = 3;

int PeakChild(const std::string& path, long persons) {
    return bench::ImportPeakChild(
        path, sql::EnrolmentRequest(0, static_cast<int>(persons), static_cast<int>(kPeakExtras)),
        persons, bench::ServerClass::kSalaryPerson);
}

void PrintPeak(const char* self) {
    const std::string path = bench::ScratchDir() + "/peak.db";
    sql::WriteEnrolmentDemoDatabase(path, static_cast<int>(kPeakPersons),
                                    static_cast<int>(kPeakExtras));
    bench::PrintImportPeak(self, path + " " + std::to_string(kPeakPersons),
                           "an import of " + std::to_string(kPeakPersons) + " persons x " +
                               std::to_string(kPeakExtras) + " extra fields");
}

}  // namespace

int main(int argc, char** argv) {
    if (bench::IsPeakChild(argc, argv) && argc == 4) return PeakChild(argv[2], std::atol(argv[3]));
    benchmark::Initialize(&argc, argv);
    auto numbers = bench::Numbers(argc, argv, {g_persons, g_extras});
    g_persons = numbers[0];
    g_extras = numbers[1];
    std::cout << "person import of " << g_persons << " persons x " << g_extras << " extra fields\n";
    bench::RegisterImportRuns(Import, Baseline);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_report.Print("persons");
    PrintPeak(argv[0]);
}
