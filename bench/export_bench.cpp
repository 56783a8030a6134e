// The salary item export: R payroll rows of I items through Transact, unpaged and with paginate
// 500, against the baseline of the same SELECT read straight from SQLite and the same XML built
// with libxml2 directly and serialized. Also the peak resident memory of a paged export of R
// and of 5R rows, each measured in a child process of its own.
//
//   export_bench [R] [I]     (defaults 20000 and 20)
#include <benchmark/benchmark.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>

#include "bench_util.h"
#include "com/automation.h"
#include "com/late_call.h"
#include "large_demo.h"

namespace {

long g_rows = 20000;
long g_items = 20;
std::vector<double> g_exportRates, g_pagedRates, g_baselineRates;

constexpr const char* kSelect =
    "select wa_account.cgzgradename,WA_GZData.*,WA_grade.cPsnGrd from (WA_GZData left join "
    "WA_grade on "
    "WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id) left join (wa_account inner join WA_psn on "
    "wa_account.cgzgradenum=wa_psn.cgzgradenum) ON WA_psn.cGZGradeNum = WA_GZData.cGZGradeNum AND "
    "WA_psn.cPsn_Num = WA_GZData.cPsn_Num where  WA_GZData.cDept_Num = '0201' and  "
    "WA_GZData.iMonth = 11 "
    "and WA_psn.iPsnMove = 0";

// The export's database: R persons in department 0201 (the demo has 4 more there).
std::string Database(long rows) {
    std::string path = bench::ScratchDir() + "/export-" + std::to_string(rows) + ".db";
    static std::set<std::string> prepared;
    if (prepared.insert(path).second)
        sql::WriteLargeDemoDatabase(path, static_cast<int>(rows), static_cast<int>(g_items));
    return path;
}

std::string Request(long paginate) {
    return "<vkinterface roottag=\"salaryitem\" docid=\"X\" proc=\"QUERY\" paginate=\"" +
           std::to_string(paginate) +
           "\"><salaryitem><field name=\"cDept_Num\" operation=\"=\" value=\"0201\" logic=\"and\"/>"
           "<field name=\"iMonth\" operation=\"=\" value=\"11\"/></salaryitem></vkinterface>";
}

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

// Runs one export through Transact; returns its seconds, or a negative number on failure.
double RunExport(const std::string& path, long paginate, std::string* reply = nullptr) {
    auto counter = PageCounter::Create();
    bench::TimedReply result = bench::TransactAsPlatform(path, Request(paginate), counter.get());
    if (reply) *reply = std::move(result.text);
    return result.seconds;
}

void Export(benchmark::State& state) {
    const std::string path = Database(g_rows);
    for (auto _ : state) {
        std::string reply;
        double seconds = RunExport(path, 0, &reply);
        state.SetIterationTime(seconds);
        std::size_t records = 0;
        for (std::size_t at = reply.find("<salaryitem>"); at != std::string::npos;
             at = reply.find("<salaryitem>", at + 1))
            ++records;
        if (records < static_cast<std::size_t>(g_rows)) {
            state.SkipWithError("the export returned too few records");
            return;
        }
        g_exportRates.push_back(records / seconds);
        state.counters["rows/s"] = g_exportRates.back();
    }
}

void PagedExport(benchmark::State& state) {
    const std::string path = Database(g_rows);
    for (auto _ : state) {
        double seconds = RunExport(path, 500);
        state.SetIterationTime(seconds);
        g_pagedRates.push_back(g_rows / seconds);
        state.counters["rows/s"] = g_pagedRates.back();
    }
}

xmlNodePtr Child(xmlNodePtr parent, const char* name, const char* text) {
    return xmlNewTextChild(parent, nullptr, reinterpret_cast<const xmlChar*>(name),
                           reinterpret_cast<const xmlChar*>(text));
}

// The same rows read with the SQLite API and the same document built with libxml2.
void Baseline(benchmark::State& state) {
    const std::string path = Database(g_rows);
    std::vector<std::string> names = bench::ItemNames(static_cast<int>(g_items));
    for (auto _ : state) {
        // Timed like the export's call: from opening the database to closing it.
        auto start = std::chrono::steady_clock::now();
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, kSelect, -1, &stmt, nullptr);
        xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
        xmlNodePtr root =
            xmlNewDocNode(doc, nullptr, reinterpret_cast<const xmlChar*>("vkinterface"), nullptr);
        xmlDocSetRootElement(doc, root);
        const int columns = sqlite3_column_count(stmt);
        std::vector<int> itemColumn(columns, 0);
        for (int c = 0; c < columns; ++c)
            if (std::strncmp(sqlite3_column_name(stmt, c), "F_", 2) == 0)
                itemColumn[c] = std::atoi(sqlite3_column_name(stmt, c) + 2);
        auto text = [&](int c) {
            auto* t = sqlite3_column_text(stmt, c);
            return t ? reinterpret_cast<const char*>(t) : "";
        };
        long rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            xmlNodePtr record =
                xmlNewChild(root, nullptr, reinterpret_cast<const xmlChar*>("salaryitem"), nullptr);
            Child(record, "salarygradeno", text(1));
            Child(record, "salarygradename", text(0));
            Child(record, "departmentno", text(2));
            Child(record, "personno", text(3));
            Child(record, "personname", text(4));
            Child(record, "persongradeno", text(columns - 1));
            Child(record, "year", text(8));
            Child(record, "month", text(9));
            for (int c = 0; c < columns; ++c) {
                int item = itemColumn[c];
                if (item < 1 || item > g_items) continue;
                xmlNodePtr entry = Child(
                    record, "entry", sqlite3_column_type(stmt, c) == SQLITE_NULL ? "0" : text(c));
                xmlNewProp(entry, reinterpret_cast<const xmlChar*>("name"),
                           reinterpret_cast<const xmlChar*>(names[item - 1].c_str()));
                xmlNewProp(entry, reinterpret_cast<const xmlChar*>("type"),
                           reinterpret_cast<const xmlChar*>("0"));
            }
            ++rows;
        }
        xmlBufferPtr buffer = xmlBufferCreate();
        xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
        xmlSaveDoc(save, doc);
        xmlSaveClose(save);
        std::string serialized(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                               xmlBufferLength(buffer));
        xmlBufferFree(buffer);
        xmlFreeDoc(doc);
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        double seconds = bench::Seconds(start);
        state.SetIterationTime(seconds);
        g_baselineRates.push_back(rows / seconds);
        state.counters["rows/s"] = g_baselineRates.back();
    }
}

BENCHMARK(Export)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PagedExport)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Baseline)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// Peak resident memory (KiB) of a child process that runs one paged export of `rows` rows. The
// child reports its own high-water mark: a spawning parent's memory would count in the child's
// rusage.
long PagedPeakKiB(const char* self, long rows) {
    std::string command = std::string(self) + " --paged-export-child " + Database(rows) + " " +
                          std::to_string(g_items);
    FILE* child = popen(command.c_str(), "r");
    if (!child) return -1;
    long kib = -1;
    if (std::fscanf(child, "%ld", &kib) != 1) kib = -1;
    return pclose(child) == 0 ? kib : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--paged-export-child") {
        g_items = std::atol(argv[3]);
        if (RunExport(argv[2], 500) < 0) return 1;
        std::printf("%ld\n", bench::PeakRssKiB());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    auto numbers = bench::Numbers(argc, argv, {g_rows, g_items});
    g_rows = numbers[0];
    g_items = numbers[1];
    std::cout << "export of " << g_rows << " rows x " << g_items << " items\n";
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    long peakR = PagedPeakKiB(argv[0], g_rows);
    long peak5R = PagedPeakKiB(argv[0], 5 * g_rows);
    double exportRate = bench::Median(g_exportRates);
    double baseline = bench::Median(g_baselineRates);
    std::printf("export: %.0f rows/s unpaged, %.0f rows/s with paginate 500 (medians)\n",
                exportRate, bench::Median(g_pagedRates));
    std::printf("baseline: %.0f rows/s (median)\n", baseline);
    std::printf(
        "peak memory of a paged export: %ld KiB for %ld rows, %ld KiB for %ld rows (x%.2f)\n",
        peakR, g_rows, peak5R, 5 * g_rows, peakR > 0 ? static_cast<double>(peak5R) / peakR : 0.0);
    std::printf("ratio export/baseline: %.2f\n", baseline > 0 ? exportRate / baseline : 0.0);
}
