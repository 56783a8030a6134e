// Small helpers shared by the benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "com/unknown.h"
#include "db/statement_counts.h"

namespace bench {

// A scratch folder under /tmp, removed at exit.
std::string ScratchDir();
// A scratch folder in memory-backed storage (/dev/shm), removed at exit: there fsync costs
// nothing, so a run there measures the CPU a record costs.
std::string MemoryDir();

// Where an import benchmark's databases live: a durable file system, memory, or a database
// server (when WAGELINK_BENCH_SERVER holds the connection string of an account that may create
// databases there; scripts/bench-server.sh starts one and sets it).
enum class Storage { kDurable, kMemory, kServer };
inline constexpr int kStorages = 3;
const char* StorageName(Storage storage);
// Where the SQLite file of a run is written (for the server, before it is copied there).
std::string StorageDir(Storage storage);
// The storages this run measures: the server only when one is given.
std::vector<Storage> Storages();
// The connection string of the database a run uses, once its SQLite file is written at `path`:
// that file, or for the server a database there holding the file's rows.
std::string DatabaseOf(Storage storage, const std::string& path);

// The import benchmarks' report: for each storage the median rates of the import and the
// baseline and their ratio, and the statements the import sent per record, by kind.
class ImportReport {
  public:
    void Import(Storage storage, double rate) {
        imports_[static_cast<int>(storage)].push_back(rate);
    }
    void Baseline(Storage storage, double rate) {
        baselines_[static_cast<int>(storage)].push_back(rate);
    }
    // The statements counted around one import of `records` records on `storage`.
    void Statements(Storage storage, const db::StatementCounts& before,
                    const db::StatementCounts& after, long records);
    void Print(const char* unit) const;

  private:
    std::vector<double> imports_[kStorages], baselines_[kStorages];
    struct PerRecord {
        double lookups = 0, writes = 0, transactions = 0;
    };
    PerRecord statements_[kStorages];
};

// Positional numbers after Google Benchmark's own flags, with defaults.
std::vector<long> Numbers(int argc, char** argv, std::vector<long> defaults);

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The item names of items 1..n in the bench database, in order.
std::vector<std::string> ItemNames(int n);

// The median of some figures (0 for none).
double Median(std::vector<double> values);

// The reply of one Transact and the seconds that call took.
struct TimedReply {
    std::string text;
    double seconds;
};

enum class ServerClass { kSalaryItem, kSalaryPerson };

// Calls Transact by name on a new object of `server`, as the platform does: with a login for the
// database `connectionString` opens, working in 2026-12, and, when given, `caller` held through
// AddObjectReference. Only the call is timed. The request is held as the platform holds it, as
// a BSTR only.
TimedReply TransactAsPlatform(const std::string& connectionString, std::string request,
                              com::IDispatch* caller = nullptr,
                              ServerClass server = ServerClass::kSalaryItem);

// Registers import and baseline runs (three repetitions each; fsync times on a shared machine
// vary, so medians are compared) on each storage.
using StorageRun = void (*)(benchmark::State&, Storage);
void RegisterImportRuns(StorageRun import, StorageRun baseline);

// Peak resident set size of this program in KiB.
long PeakRssKiB();

// Figures of work done in a process of its own, so that nothing the parent did counts in its
// peak resident memory: `self` run again as `self --peak-child ARGUMENTS`, which prints its
// figures, PeakRssKiB() last. None when the child fails.
std::vector<long> ChildFigures(const char* self, const std::string& arguments);
inline bool IsPeakChild(int argc, char** argv) {
    return argc >= 2 && std::string(argv[1]) == "--peak-child";
}

// The child side of an import's peak memory: runs `request` on the SQLite database at `path`
// and prints the request's size in bytes and the peak; fails unless all `records` are written.
int ImportPeakChild(const std::string& path, std::string request, long records, ServerClass server);
// The parent side: runs `self --peak-child ARGUMENTS` and prints its figures for `what`.
void PrintImportPeak(const char* self, const std::string& arguments, const std::string& what);

// How often `needle` occurs in `text`.
long Occurrences(const std::string& text, const std::string& needle);

}  // namespace bench
