// The salary item import: N records of M entries through Transact, as the platform calls it,
// against the bare baseline of the same UPDATE statements run straight on SQLite, one statement
// per record, committed once a group of records as the import commits, on the same kind of file.
// Both run on a durable file system (each commit waits for fsync) and in memory-backed storage
// (fsync costs nothing, so the ratio is that of the CPU a record costs). Also prints the statements
// the import sent per record. With a database server given (bench_util.h), the same runs against
// it, the baseline through raw ODBC (committed likewise). link_bench measures a server across a
// network.
//
//   import_bench [N] [M]     (defaults 2000 and 20)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <iostream>

#include "bench_util.h"
#include "large_demo.h"
#include "workloads.h"

namespace {

long g_records = 2000;
long g_entries = 20;
bench::ImportReport g_report;

void Import(benchmark::State& state, bench::Storage storage) {
    const std::string path = bench::StorageDir(storage) + "/import.db";
    const std::string request = bench::ItemRequest(g_records, g_entries);
    for (auto _ : state) {
        sql::WriteLargeDemoDatabase(path, static_cast<int>(g_records), static_cast<int>(g_entries));
        const std::string database = bench::DatabaseOf(storage, path);
        db::StatementCounts before = db::CountedStatements();
        bench::TimedReply reply = bench::TransactAsPlatform(database, request);
        g_report.Statements(storage, before, db::CountedStatements(), g_records);
        const double seconds = reply.seconds;
        state.SetIterationTime(seconds);

        const std::string& text = reply.text;
        const long written = bench::Occurrences(text, "code=\"0\"");
        if (written != g_records) {
            state.SkipWithError(
                ("only " + std::to_string(written) + " records written: " + text.substr(0, 400))
                    .c_str());
            return;
        }
        g_report.Import(storage, g_records / seconds);
        state.counters["records/s"] = g_records / seconds;
    }
}

// The same UPDATEs straight on SQLite, one statement per record, each value bound as it is made
// (no list of values in between: the plain way costs nothing it does not need), committed as
// often as the import commits: once a group of records.
bool SqliteBaseline(const std::string& path, const std::vector<std::string>& names) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, bench::ItemUpdateSql(g_entries).c_str(), -1, &stmt, nullptr);
    bool ok = true;
    for (long r = 0; r < g_records && ok; ++r) {
        if (r % bench::kRecordsACommit == 0) sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        int k = 1;
        for (long i = 1; i <= g_entries; ++i) {
            std::string v = bench::ItemValue(r, i);
            if (names[i - 1] == "备注") {
                sqlite3_bind_text(stmt, k++, v.c_str(), -1, SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_double(stmt, k++, std::strtod(v.c_str(), nullptr));
            }
        }
        std::string code = sql::LargeDemoPersonCode(static_cast<int>(r));
        std::string name = "员工" + std::to_string(r);
        sqlite3_bind_text(stmt, k++, "001", -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, k++, "0201", -1, SQLITE_STATIC);
        sqlite3_bind_text(stmt, k++, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, k++, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, k++, 11);
        sqlite3_bind_int(stmt, k++, 2026);
        ok = sqlite3_step(stmt) == SQLITE_DONE && sqlite3_changes(db) == 1;
        sqlite3_reset(stmt);
        if ((r + 1) % bench::kRecordsACommit == 0 || r + 1 == g_records)
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    // Timed to the close, as the import's call is: closing checkpoints the write-ahead log.
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ok;
}

void Baseline(benchmark::State& state, bench::Storage storage) {
    const std::string path = bench::StorageDir(storage) + "/baseline.db";
    const std::vector<std::string> names = bench::ItemNames(static_cast<int>(g_entries));
    for (auto _ : state) {
        sql::WriteLargeDemoDatabase(path, static_cast<int>(g_records), static_cast<int>(g_entries));
        const std::string database = bench::DatabaseOf(storage, path);
        auto start = std::chrono::steady_clock::now();
        bool ok = storage == bench::Storage::kServer
                      ? bench::ItemUpdatesThroughOdbc(database, g_records, g_entries,
                                                      bench::kRecordsACommit)
                      : SqliteBaseline(path, names);
        double seconds = bench::Seconds(start);
        if (!ok) {
            state.SkipWithError("baseline update failed");
            break;
        }
        state.SetIterationTime(seconds);
        g_report.Baseline(storage, g_records / seconds);
        state.counters["records/s"] = g_records / seconds;
    }
}

// The peak memory of one import of 50,000 records of 3 entries, in a process of its own.
constexpr long kPeakRecords = 50000;
constexpr long kPeakEntries = 3;

int PeakChild(const std::string& path, long records) {
    g_records = records;
    g_entries = kPeakEntries;
    return bench::ImportPeakChild(path, bench::ItemRequest(g_records, g_entries), records,
                                  bench::ServerClass::kSalaryItem);
}

void PrintPeak(const char* self) {
    const std::string path = bench::ScratchDir() + "/peak.db";
    sql::WriteLargeDemoDatabase(path, kPeakRecords, kPeakEntries);
    bench::PrintImportPeak(self, path + " " + std::to_string(kPeakRecords),
                           "an import of " + std::to_string(kPeakRecords) + " records x " +
                               std::to_string(kPeakEntries) + " entries");
}

}  // namespace

int main(int argc, char** argv) {
    if (bench::IsPeakChild(argc, argv) && argc == 4) return PeakChild(argv[2], std::atol(argv[3]));
    benchmark::Initialize(&argc, argv);
    auto numbers = bench::Numbers(argc, argv, {g_records, g_entries});
    g_records = numbers[0];
    g_entries = numbers[1];
    std::cout << "import of " << g_records << " records x " << g_entries << " entries\n";
    bench::RegisterImportRuns(Import, Baseline);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_report.Print("records");
    PrintPeak(argv[0]);
}
