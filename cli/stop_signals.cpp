#include "stop_signals.h"

#include <unistd.h>

#include <csignal>

namespace cli {

namespace {

volatile std::sig_atomic_t received = 0;
StopFunction stopLibrary = nullptr;

extern "C" void OnStopSignal(int signal) {
    if (received != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    received = signal;
    if (stopLibrary) stopLibrary();
    constexpr char kSaid[] =
        "\nwagelink: stopping after the record or page in progress (again to stop at once)\n";
    [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, kSaid, sizeof kSaid - 1);
}

}  // namespace

void CatchStopSignals(StopFunction stop) {
    stopLibrary = stop;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() {
    return received;
}

}  // namespace cli
