#include "bench_util.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "com/late_call.h"
#include "component/classes.h"
#include "db/connection.h"
#include "platform/objects.h"
#include "server_database.h"

namespace bench {

namespace {

com::ComPtr<com::IDispatch> NewServer(ServerClass server) {
    if (server == ServerClass::kSalaryPerson)
        return com::ComPtr<com::IDispatch>::Attach(component::SalaryPerson::Create().Detach());
    return com::ComPtr<com::IDispatch>::Attach(component::SalaryItem::Create().Detach());
}

void Put(com::IDispatch* object, const char* property, com::Variant value) {
    com::CallByName(object, property, com::DISPATCH_PROPERTYPUT, {*value.get()});
}

}  // namespace

TimedReply TransactAsPlatform(const std::string& connectionString, std::string request,
                              com::IDispatch* caller, ServerClass serverClass) {
    com::ComPtr<com::IDispatch> server = NewServer(serverClass);
    com::IDispatch* dispatch = server.get();
    if (caller) {
        com::Variant held = com::Variant::FromDispatch(caller);
        com::CallByName(dispatch, "AddObjectReference", com::DISPATCH_METHOD, {com::ByRef(held)});
    }
    com::ComPtr<com::IDispatch> login = platform::CreateLogin();
    Put(login.get(), "ConnectionString", com::Variant::FromText(connectionString));
    Put(login.get(), "LoginYear", com::Variant::FromText("2026"));
    Put(login.get(), "LoginMonth", com::Variant::FromShort(12));
    com::Variant xml = com::Variant::FromText(request);
    std::string().swap(request);
    com::Variant loginArg = com::Variant::FromDispatch(login.get());
    auto start = std::chrono::steady_clock::now();
    com::Variant reply = com::CallByName(dispatch, "Transact", com::DISPATCH_METHOD,
                                         {*xml.get(), com::ByRef(loginArg)});
    double seconds = Seconds(start);
    return {com::ToText(*reply.get()), seconds};
}

namespace {

std::string ScratchIn(const std::string& parent) {
    std::string pattern = parent + "/wagelink-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    static std::vector<std::string> made;
    if (made.empty())
        std::atexit([] {
            for (const std::string& dir : made) {
                std::error_code ec;
                std::filesystem::remove_all(dir, ec);
            }
        });
    made.push_back(pattern);
    return pattern;
}

}  // namespace

std::string ScratchDir() {
    static std::string dir = ScratchIn(std::filesystem::temp_directory_path().string());
    return dir;
}

std::string MemoryDir() {
    static std::string dir = ScratchIn("/dev/shm");
    return dir;
}

const char* StorageName(Storage storage) {
    switch (storage) {
        case Storage::kMemory:
            return "memory";
        case Storage::kServer:
            return "server";
        case Storage::kDurable:
            break;
    }
    return "durable";
}

std::string StorageDir(Storage storage) {
    return storage == Storage::kMemory ? MemoryDir() : ScratchDir();
}

namespace {

const char* ServerAccount() {
    const char* account = std::getenv("WAGELINK_BENCH_SERVER");
    return account && *account ? account : nullptr;
}

}  // namespace

std::vector<Storage> Storages() {
    std::vector<Storage> storages = {Storage::kDurable, Storage::kMemory};
    if (ServerAccount()) storages.push_back(Storage::kServer);
    return storages;
}

std::string DatabaseOf(Storage storage, const std::string& path) {
    if (storage != Storage::kServer) return "Provider=SQLite;Data Source=" + path;
    static const std::string database = [] {
        db::Connection account;
        account.Open(ServerAccount());
        account.Execute("DROP DATABASE IF EXISTS wagelink_bench");
        account.Execute("CREATE DATABASE wagelink_bench");
        std::string connection = std::string(ServerAccount()) + ";Database=wagelink_bench";
        sql::WriteServerDemo(connection, false);
        return connection;
    }();
    sql::CopyPayrollRows(path, database);
    return database;
}

void ImportReport::Statements(Storage storage, const db::StatementCounts& before,
                              const db::StatementCounts& after, long records) {
    PerRecord& s = statements_[static_cast<int>(storage)];
    s.lookups = static_cast<double>(after.lookups - before.lookups) / records;
    s.writes = static_cast<double>(after.writes - before.writes) / records;
    s.transactions = static_cast<double>(after.transactions - before.transactions) / records;
}

void ImportReport::Print(const char* unit) const {
    for (Storage storage : Storages()) {
        int s = static_cast<int>(storage);
        double import = Median(imports_[s]), baseline = Median(baselines_[s]);
        std::printf("%s: import %.0f %s/s, baseline %.0f %s/s (medians), ratio %.2f\n",
                    StorageName(storage), import, unit, baseline, unit,
                    baseline > 0 ? import / baseline : 0.0);
        const PerRecord& c = statements_[s];
        std::printf(
            "%s: statements per record: %.2f (%.2f lookups, %.2f writes, %.2f transaction "
            "control)\n",
            StorageName(storage), c.lookups + c.writes + c.transactions, c.lookups, c.writes,
            c.transactions);
    }
}

void RegisterImportRuns(StorageRun import, StorageRun baseline) {
    for (Storage storage : Storages())
        for (auto [name, run] : {std::pair{"Import", import}, {"Baseline", baseline}})
            benchmark::RegisterBenchmark((std::string(name) + "/" + StorageName(storage)).c_str(),
                                         run, storage)
                ->Iterations(1)
                ->Repetitions(3)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
}

std::vector<long> Numbers(int argc, char** argv, std::vector<long> defaults) {
    std::size_t next = 0;
    for (int i = 1; i < argc && next < defaults.size(); ++i) {
        if (argv[i][0] == '-') continue;
        defaults[next++] = std::strtol(argv[i], nullptr, 10);
    }
    return defaults;
}

std::vector<std::string> ItemNames(int n) {
    static const char* kDemo[] = {"应发合计", "扣款合计", "实发合计", "本月扣零",
                                  "上月扣零", "代扣税",   "基本工资", "岗位工资",
                                  "奖金",     "备注",     "计件工资", "年终奖"};
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i)
        names.push_back(i <= 12 ? kDemo[i - 1] : "测试项目" + std::to_string(i));
    return names;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long PeakRssKiB() {
    // VmHWM belongs to the current program image; rusage would also count memory from before exec.
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

std::vector<long> ChildFigures(const char* self, const std::string& arguments) {
    FILE* child = popen((std::string(self) + " --peak-child " + arguments).c_str(), "r");
    if (!child) return {};
    std::vector<long> figures;
    for (long figure = 0; std::fscanf(child, "%ld", &figure) == 1;) figures.push_back(figure);
    if (pclose(child) != 0) figures.clear();
    return figures;
}

int ImportPeakChild(const std::string& path, std::string request, long records,
                    ServerClass server) {
    const std::size_t bytes = request.size();
    TimedReply reply = TransactAsPlatform("Provider=SQLite;Data Source=" + path, std::move(request),
                                          nullptr, server);
    if (Occurrences(reply.text, "code=\"0\"") != records) return 1;
    std::printf("%zu\n%ld\n", bytes, PeakRssKiB());
    return 0;
}

void PrintImportPeak(const char* self, const std::string& arguments, const std::string& what) {
    const std::vector<long> figures = ChildFigures(self, arguments);
    if (figures.size() != 2) {
        std::printf("peak memory of %s: the run failed\n", what.c_str());
        return;
    }
    std::printf("peak memory of %s (a %.1f MiB request): %.1f MiB\n", what.c_str(),
                figures[0] / 1048576.0, figures[1] / 1024.0);
}

long Occurrences(const std::string& text, const std::string& needle) {
    long n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

}  // namespace bench
