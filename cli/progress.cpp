#include "progress.h"

#include <chrono>
#include <cstdio>

namespace cli {

namespace {

using Clock = std::chrono::steady_clock;

struct Display {
    bool on = false;
    bool shown = false;
    Clock::time_point start;
    Clock::time_point last;
    long pageRecords = 0;
};
Display display;

// At most five lines a second; the last one always.
bool Due(bool last) {
    const Clock::time_point now = Clock::now();
    if (!last && display.shown && now - display.last < std::chrono::milliseconds(200)) return false;
    display.last = now;
    return true;
}

void Show(const std::string& line) {
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
    display.shown = true;
}

double Seconds() {
    return std::chrono::duration<double>(Clock::now() - display.start).count();
}

std::string Records(long done, long total) {
    const double seconds = Seconds();
    const double rate = seconds > 0 ? done / seconds : 0;
    char line[160];
    if (rate > 0 && done < total) {
        std::snprintf(line, sizeof line, "records %ld of %ld  %.0f/s  about %.0f s left", done,
                      total, rate, (total - done) / rate);
    } else {
        std::snprintf(line, sizeof line, "records %ld of %ld  %.0f/s", done, total, rate);
    }
    return line;
}

}  // namespace

extern "C" void ShowServerProgress(int kind, long done, long total) {
    if (!display.on) return;
    if (kind == 1) {  // waiting for a lock: done is the milliseconds waited so far
        if (!Due(false)) return;
        char line[120];
        std::snprintf(line, sizeof line, "waiting for another writer's lock: %.1f s",
                      done / 1000.0);
        Show(line);
        return;
    }
    if (Due(done == total)) Show(Records(done, total));
}

bool ProgressShown() {
    return display.on;
}

void ShowPageProgress(long number, long count, long records) {
    if (!display.on) return;
    display.pageRecords += records;
    if (!Due(number == count)) return;
    char line[120];
    std::snprintf(line, sizeof line, "page %ld of %ld  %ld rows", number, count,
                  display.pageRecords);
    Show(line);
}

void StartProgress() {
    display.on = true;
    display.start = Clock::now();
}

void EndProgress() {
    if (display.shown) std::fprintf(stderr, "\r\033[K");
    display = Display{};
}

}  // namespace cli
