// The exports through Transact, unpaged and with paginate 500, each against the baseline of the
// same SELECT read straight from SQLite and the same XML built with pugixml directly and
// serialized, timed alike from opening the database to closing it. Also the peak resident
// memory of a paged export of the scenario's size and of five times that, each measured in a
// child process of its own. With a database server given (bench_util.h), the unpaged exports
// and their baselines also run against it, the baseline reading through raw ODBC.
//
// Scenarios: the salary item export (R payroll rows of I items), its kest form over the same
// rows, and the roster export (P persons with K extra fields).
//
//   export_bench [R] [I] [P] [K]     (defaults 20000, 20, 20000 and 10)
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <tuple>

#include "bench_util.h"
#include "com/automation.h"
#include "large_demo.h"
#include "odbc_baseline.h"

namespace {

// Receives pages and keeps only their count, as a platform that forwards them would.
class PageCounter final : public com::Automation<PageCounter> {
  public:
    long pages = 0;
    void* Answer(const com::IID& iid) { return iid == com::IID_IDispatch ? this : nullptr; }
    static com::HRESULT ProcessExport(PageCounter& self, com::DispatchArguments&, com::WORD,
                                      com::VARIANT*) {
        ++self.pages;
        return com::S_OK;
    }
    static constexpr com::DispatchMember<PageCounter> kMembers[] = {
        {"ProcessExport", 1, 3, 3, &ProcessExport}};
};

pugi::xml_node Child(pugi::xml_node parent, const char* name, const char* text) {
    pugi::xml_node child = parent.append_child(name);
    child.append_child(pugi::node_pcdata).set_value(text);
    return child;
}

void Attribute(pugi::xml_node node, const char* name, const char* value) {
    node.append_attribute(name).set_value(value);
}

// Reads the current row's columns for the baseline: straight from SQLite's statement, or from
// the texts a server's row was read into.
struct Row {
    sqlite3_stmt* stmt = nullptr;
    const std::vector<std::string>* texts = nullptr;
    const std::vector<bool>* nulls = nullptr;
    const char* Text(int c) const {
        if (!stmt) return (*texts)[static_cast<std::size_t>(c)].c_str();
        auto* t = sqlite3_column_text(stmt, c);
        return t ? reinterpret_cast<const char*>(t) : "";
    }
    bool IsNull(int c) const {
        if (!stmt) return (*nulls)[static_cast<std::size_t>(c)];
        return sqlite3_column_type(stmt, c) == SQLITE_NULL;
    }
};

// One export to measure: its database, its request and how the baseline builds its records.
struct Scenario {
    std::string name;
    long size = 0;   // rows or persons
    long width = 0;  // items or extra fields
    std::string recordTag;
    bench::ServerClass server = bench::ServerClass::kSalaryItem;
    std::function<void(const std::string& path, long size)> prepare;
    std::function<std::string(long paginate)> request;
    std::string select;  // the export's statement, for the baseline
    // Appends the record of the current row to `root`; `columns` names the statement's columns.
    std::function<void(pugi::xml_node root, const Row& row,
                       const std::vector<std::string>& columns)>
        record;

    std::string Database(long rows) const {
        std::string path = bench::ScratchDir() + "/" + name + "-" + std::to_string(rows) + ".db";
        static std::map<std::string, bool> prepared;
        if (!prepared[path]) prepare(path, rows);
        prepared[path] = true;
        return path;
    }
    // The connection string of the scenario's database on `storage` (the server's holds the
    // file's rows).
    std::string ConnectionString(bench::Storage storage) const {
        return bench::DatabaseOf(storage, Database(size));
    }
};

std::vector<Scenario> g_scenarios;
std::map<std::string, std::vector<double>> g_rates;  // scenario/run -> rows per second

// How the runs on the server are told apart from those on the file.
std::string RunSuffix(bench::Storage storage) {
    return storage == bench::Storage::kServer ? "-server" : "";
}

// Runs one export through Transact on the database `connection` opens; returns its seconds.
double RunExport(const Scenario& s, const std::string& connection, long paginate,
                 std::string* reply = nullptr) {
    auto counter = PageCounter::Create();
    bench::TimedReply result =
        bench::TransactAsPlatform(connection, s.request(paginate), counter.get(), s.server);
    if (reply) *reply = std::move(result.text);
    return result.seconds;
}

long Records(const std::string& xml, const std::string& tag) {
    long records = 0;
    const std::string open = "<" + tag + ">";
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1))
        ++records;
    return records;
}

void Export(benchmark::State& state, const Scenario& s, bench::Storage storage) {
    const std::string connection = s.ConnectionString(storage);
    const std::string rates = s.name + "/unpaged" + RunSuffix(storage);
    for (auto _ : state) {
        std::string reply;
        double seconds = RunExport(s, connection, 0, &reply);
        state.SetIterationTime(seconds);
        long records = Records(reply, s.recordTag);
        if (records < s.size) {
            state.SkipWithError(
                ("the export returned too few records: " + reply.substr(0, 300)).c_str());
            return;
        }
        g_rates[rates].push_back(records / seconds);
        state.counters["rows/s"] = g_rates[rates].back();
    }
}

void PagedExport(benchmark::State& state, const Scenario& s, bench::Storage) {
    const std::string connection = s.ConnectionString(bench::Storage::kDurable);
    for (auto _ : state) {
        double seconds = RunExport(s, connection, 500);
        state.SetIterationTime(seconds);
        g_rates[s.name + "/paged"].push_back(s.size / seconds);
        state.counters["rows/s"] = g_rates[s.name + "/paged"].back();
    }
}

// The records of the baseline's rows, under a root, serialized.
class BaselineDocument {
  public:
    BaselineDocument() : root_(doc_.append_child("vkinterface")) {}
    pugi::xml_node root() const { return root_; }
    std::string Serialized() const {
        struct : pugi::xml_writer {
            std::string text;
            void write(const void* data, std::size_t size) override {
                text.append(static_cast<const char*>(data), size);
            }
        } writer;
        doc_.save(writer, "", pugi::format_raw | pugi::format_no_declaration);
        return std::move(writer.text);
    }

  private:
    pugi::xml_document doc_;
    pugi::xml_node root_;
};

// The same rows read with the SQLite API, the same document built with pugixml; the rows.
long SqliteBaseline(const Scenario& s) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(s.Database(s.size).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, s.select.c_str(), -1, &stmt, nullptr);
    BaselineDocument doc;
    std::vector<std::string> columns;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c)
        columns.push_back(sqlite3_column_name(stmt, c));
    long rows = 0;
    for (; sqlite3_step(stmt) == SQLITE_ROW; ++rows) s.record(doc.root(), Row{stmt}, columns);
    benchmark::DoNotOptimize(doc.Serialized());
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

// The same rows read through raw ODBC from the server, the same document built; the rows.
long ServerBaseline(const Scenario& s, const std::string& connection) {
    bench::OdbcBaseline select(connection, {s.select});
    if (!select.Query(0, {})) return -1;
    BaselineDocument doc;
    const std::vector<std::string> columns = select.ColumnNames(0);
    std::vector<std::string> texts;
    std::vector<bool> nulls;
    long rows = 0;
    for (; select.Fetch(0, texts, nulls); ++rows)
        s.record(doc.root(), Row{nullptr, &texts, &nulls}, columns);
    benchmark::DoNotOptimize(doc.Serialized());
    return rows;
}

void Baseline(benchmark::State& state, const Scenario& s, bench::Storage storage) {
    const std::string connection = s.ConnectionString(storage);
    const std::string rates = s.name + "/baseline" + RunSuffix(storage);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        long rows =
            storage == bench::Storage::kServer ? ServerBaseline(s, connection) : SqliteBaseline(s);
        double seconds = bench::Seconds(start);
        if (rows < s.size) {
            state.SkipWithError("the baseline read too few rows");
            return;
        }
        state.SetIterationTime(seconds);
        g_rates[rates].push_back(rows / seconds);
        state.counters["rows/s"] = g_rates[rates].back();
    }
}

Scenario ItemScenario(long rows, long items) {
    Scenario s;
    s.name = "items", s.size = rows, s.width = items, s.recordTag = "salaryitem";
    s.server = bench::ServerClass::kSalaryItem;
    s.prepare = [items](const std::string& path, long n) {
        sql::WriteLargeDemoDatabase(path, static_cast<int>(n), static_cast<int>(items));
    };
    s.request = [](long paginate) {
        return "<vkinterface roottag=\"salaryitem\" docid=\"X\" proc=\"QUERY\" paginate=\"" +
               std::to_string(paginate) +
               "\"><salaryitem><field name=\"cDept_Num\" operation=\"=\" value=\"0201\" "
               "logic=\"and\"/><field name=\"iMonth\" operation=\"=\" value=\"11\"/>"
               "</salaryitem></vkinterface>";
    };
    s.select =
        "select wa_account.cgzgradename,WA_GZData.*,WA_grade.cPsnGrd from (WA_GZData left join "
        "WA_grade on WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id) left join (wa_account inner "
        "join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum) ON WA_psn.cGZGradeNum = "
        "WA_GZData.cGZGradeNum AND WA_psn.cPsn_Num = WA_GZData.cPsn_Num where ( "
        "WA_GZData.cDept_Num = '0201' and  WA_GZData.iMonth = 11) and WA_psn.iPsnMove = 0";
    auto names = std::make_shared<std::vector<std::string>>(bench::ItemNames(items));
    s.record = [names, items](pugi::xml_node root, const Row& row,
                              const std::vector<std::string>& columns) {
        pugi::xml_node record = root.append_child("salaryitem");
        const int last = static_cast<int>(columns.size()) - 1;
        for (auto [element, column] : {std::pair{"salarygradeno", 1},
                                       {"salarygradename", 0},
                                       {"departmentno", 2},
                                       {"personno", 3},
                                       {"personname", 4},
                                       {"persongradeno", last},
                                       {"year", 8},
                                       {"month", 9}})
            Child(record, element, row.Text(column));
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].rfind("F_", 0) != 0) continue;
            long item = std::atol(columns[c].c_str() + 2);
            if (item < 1 || item > items) continue;
            int i = static_cast<int>(c);
            pugi::xml_node entry = Child(record, "entry", row.IsNull(i) ? "0" : row.Text(i));
            Attribute(entry, "name", (*names)[item - 1].c_str());
            Attribute(entry, "type", "0");
        }
    };
    return s;
}

// The kest form of the same rows: every record also carries the department name and the mobile
// phone (none of the added persons has one).
Scenario KestScenario(long rows, long items) {
    Scenario s = ItemScenario(rows, items);
    s.name = "kest";
    s.request = [](long paginate) {
        return "<vkinterface roottag=\"salaryitem\" docid=\"X\" proc=\"QUERY\" paginate=\"" +
               std::to_string(paginate) +
               "\"><salaryitem type=\"kest\"><field name=\"departmentno\" operation=\"=\" "
               "value=\"0201\" logic=\"and\"/><field name=\"month\" operation=\"=\" "
               "value=\"11\"/></salaryitem></vkinterface>";
    };
    s.select =
        "select department.cdepname,hr_hi_person.cpsnmobilephone,wa_account.cgzgradename,"
        "WA_GZData.*,WA_grade.cPsnGrd from (((WA_GZData left join hr_hi_person on "
        "hr_hi_person.cPsn_Num = WA_GZData.cPsn_Num) left join department on department.cdepcode "
        "= WA_GZData.cdept_num) left join WA_grade on WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id) "
        "left join (wa_account inner join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum) ON "
        "WA_psn.cGZGradeNum = WA_GZData.cGZGradeNum AND WA_psn.cPsn_Num = WA_GZData.cPsn_Num "
        "where ( WA_GZData.cDept_Num = '0201' and  WA_GZData.iMonth = 11) and WA_psn.iPsnMove = 0";
    auto names = std::make_shared<std::vector<std::string>>(bench::ItemNames(items));
    s.record = [names, items](pugi::xml_node root, const Row& row,
                              const std::vector<std::string>& columns) {
        pugi::xml_node record = root.append_child("salaryitem");
        const int last = static_cast<int>(columns.size()) - 1;
        for (auto [element, column] : {std::pair{"salarygradeno", 3},
                                       {"salarygradename", 2},
                                       {"departmentno", 4},
                                       {"personno", 5},
                                       {"personname", 6},
                                       {"persongradeno", last},
                                       {"year", 10},
                                       {"month", 11}})
            Child(record, element, row.Text(column));
        Child(record, "departmentname", row.IsNull(0) ? "" : row.Text(0));
        Child(record, "cpsnmobilephone", row.IsNull(1) ? "Null" : row.Text(1));
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].rfind("F_", 0) != 0) continue;
            long item = std::atol(columns[c].c_str() + 2);
            if (item < 1 || item > items) continue;
            int i = static_cast<int>(c);
            pugi::xml_node entry = Child(record, "entry", row.IsNull(i) ? "0" : row.Text(i));
            Attribute(entry, "name", (*names)[item - 1].c_str());
            Attribute(entry, "type", "0");
        }
    };
    return s;
}

Scenario RosterScenario(long persons, long extras) {
    Scenario s;
    s.name = "roster", s.size = persons, s.width = extras, s.recordTag = "salaryperson";
    s.server = bench::ServerClass::kSalaryPerson;
    s.prepare = [extras](const std::string& path, long n) {
        sql::WriteRosterDemoDatabase(path, static_cast<int>(n), static_cast<int>(extras));
    };
    s.request = [](long paginate) {
        return "<vkinterface roottag=\"salaryperson\" docid=\"X\" proc=\"QUERY\" paginate=\"" +
               std::to_string(paginate) +
               "\"><salaryperson><field name=\"cDept_num\" operation=\"=\" value=\"0201\" "
               "logic=\"and\"/><field name=\"cGZGradeNum\" operation=\"=\" value=\"001\"/>"
               "</salaryperson></vkinterface>";
    };
    std::string columns;
    for (long field = 1; field <= extras; ++field)
        columns += "WA_psn.M" + std::to_string(field) + ",";
    s.select = "select " + columns +
               "wa_account.cgzgradename, WA_psn.cGZGradeNum, WA_psn.cPsn_Num, WA_psn.cPsn_Name, "
               "WA_psn.cLkxcode, WA_psn.cDept_num, WA_psn.iPsnGrd_id, WA_psn.cAccount, "
               "WA_psn.dInTime, WA_psn.dGZTFTime, WA_psn.cMemo, WA_psn.bForeign, WA_psn.bTaxBz, "
               "WA_psn.bPRCal, WA_psn.i_id, WA_psn.iPsnMove, WA_grade.cPsnGrd from  wa_account "
               "inner join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum left join "
               "WA_grade on WA_psn.iPsnGrd_id = WA_grade.iPsnGrd_id where (WA_PSN.cDept_num = "
               "'0201' and WA_PSN.cGZGradeNum = '001') and WA_psn.iPsnMove = 0";
    auto captions = std::make_shared<std::vector<std::string>>();
    for (long field = 1; field <= extras; ++field)
        captions->push_back(field == 1   ? "身份证号"
                            : field == 2 ? "公积金账号"
                            : field == 3 ? "开户银行"
                                         : "附加信息" + std::to_string(field));
    s.record = [captions, extras](pugi::xml_node root, const Row& row,
                                  const std::vector<std::string>&) {
        pugi::xml_node record = root.append_child("salaryperson");
        const int k = static_cast<int>(extras);
        static const std::pair<const char*, int> kMapped[] = {
            {"salarygradeno", 1}, {"salarygradename", 0}, {"departmentno", 5}, {"personno", 2},
            {"personname", 3},    {"persongradeno", 16},  {"isforeign", 11},   {"taxtoken", 12},
            {"lkxcode", 4},       {"persongradeid", 6},   {"account", 7},      {"intime", 8},
            {"paytime", 9},       {"memo", 10},           {"prcal", 13},       {"id", 14},
            {"psnmove", 15}};
        for (auto [element, column] : kMapped) Child(record, element, row.Text(k + column));
        for (int field = 0; field < k; ++field) {
            pugi::xml_node entry = Child(record, "entry", row.Text(field));
            Attribute(entry, "name", ("M" + std::to_string(field + 1)).c_str());
            Attribute(entry, "extraname", (*captions)[field].c_str());
        }
    };
    return s;
}

// One export of `rows` rows of scenario `index`, paged (paginate 500) or not, in a process of
// its own: the size of its reply in bytes and its peak resident memory in KiB; -1 for a failure.
std::pair<long, long> ExportFigures(const char* self, std::size_t index, long rows, bool paged) {
    const Scenario& s = g_scenarios[index];
    std::string arguments =
        std::to_string(paged ? 500 : 0) + " " + std::to_string(index) + " " + s.Database(rows);
    for (const Scenario& each : g_scenarios)
        arguments += " " + std::to_string(each.size) + " " + std::to_string(each.width);
    const std::vector<long> figures = bench::ChildFigures(self, arguments);
    if (figures.size() != 2) return {-1, -1};
    return {figures[0], figures[1]};
}

void MakeScenarios(const std::vector<long>& n) {
    g_scenarios = {ItemScenario(n[0], n[1]), KestScenario(n[0], n[1]), RosterScenario(n[2], n[3])};
}

int ExportChild(int argc, char** argv) {
    std::vector<long> sizes;
    for (int i = 5; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
    MakeScenarios(sizes);
    const Scenario& s = g_scenarios[std::stoul(argv[3])];
    std::string reply;
    RunExport(s, std::string("Provider=SQLite;Data Source=") + argv[4], std::atol(argv[2]), &reply);
    std::printf("%zu\n%ld\n", reply.size(), bench::PeakRssKiB());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (bench::IsPeakChild(argc, argv) && argc >= 5) return ExportChild(argc, argv);
    benchmark::Initialize(&argc, argv);
    MakeScenarios(bench::Numbers(argc, argv, {20000, 20, 20000, 10}));
    const std::vector<bench::Storage> storages = bench::Storages();
    const bool server = storages.back() == bench::Storage::kServer;
    for (const Scenario& s : g_scenarios) {
        std::cout << s.name << " export of " << s.size << " x " << s.width << "\n";
        using Run = void (*)(benchmark::State&, const Scenario&, bench::Storage);
        std::vector<std::tuple<std::string, Run, bench::Storage>> runs = {
            {"Export", &Export, bench::Storage::kDurable},
            {"PagedExport", &PagedExport, bench::Storage::kDurable},
            {"Baseline", &Baseline, bench::Storage::kDurable}};
        if (server) {
            runs.emplace_back("Export-server", &Export, bench::Storage::kServer);
            runs.emplace_back("Baseline-server", &Baseline, bench::Storage::kServer);
        }
        for (const auto& [run, function, storage] : runs)
            benchmark::RegisterBenchmark((run + "/" + s.name).c_str(), function, s, storage)
                ->Iterations(1)
                ->Repetitions(3)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (std::size_t i = 0; i < g_scenarios.size(); ++i) {
        const Scenario& s = g_scenarios[i];
        const long peak = ExportFigures(argv[0], i, s.size, true).second;
        const long peak5 = ExportFigures(argv[0], i, 5 * s.size, true).second;
        double unpaged = bench::Median(g_rates[s.name + "/unpaged"]);
        double baseline = bench::Median(g_rates[s.name + "/baseline"]);
        std::printf(
            "%s: %.0f rows/s unpaged, %.0f rows/s with paginate 500; baseline %.0f rows/s "
            "(medians)\n",
            s.name.c_str(), unpaged, bench::Median(g_rates[s.name + "/paged"]), baseline);
        std::printf("%s: peak memory of a paged export: %ld KiB for %ld, %ld KiB for %ld (x%.2f)\n",
                    s.name.c_str(), peak, s.size, peak5, 5 * s.size,
                    peak > 0 ? static_cast<double>(peak5) / peak : 0.0);
        const auto [bytes, unpagedPeak] = ExportFigures(argv[0], i, 5 * s.size, false);
        std::printf(
            "%s: peak memory of an unpaged export of %ld: %.1f MiB for a reply of %.1f MiB "
            "(x%.2f)\n",
            s.name.c_str(), 5 * s.size, unpagedPeak / 1024.0, bytes / 1048576.0,
            bytes > 0 ? unpagedPeak * 1024.0 / bytes : 0.0);
        std::printf("%s: ratio export/baseline: %.2f\n", s.name.c_str(),
                    baseline > 0 ? unpaged / baseline : 0.0);
        if (!server) continue;
        double onServer = bench::Median(g_rates[s.name + "/unpaged-server"]);
        double serverBaseline = bench::Median(g_rates[s.name + "/baseline-server"]);
        std::printf("%s on the server: %.0f rows/s unpaged; baseline %.0f rows/s; ratio %.2f\n",
                    s.name.c_str(), onServer, serverBaseline,
                    serverBaseline > 0 ? onServer / serverBaseline : 0.0);
    }
}
