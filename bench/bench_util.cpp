#include "bench_util.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace bench {

std::string ScratchDir() {
    static std::string dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wagelink-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        static std::string keep = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(keep, ec);
        });
        return pattern;
    }();
    return dir;
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
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace bench
