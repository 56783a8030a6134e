#include "delay_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>

#include "support/loopback.h"

namespace bench {

namespace {

using testing_support::ConnectLoopback;
using testing_support::NoDelay;
using testing_support::SendAll;
using Clock = std::chrono::steady_clock;

enum class Side { kNone, kClient, kServer };

// One direction of a link: what `from` sends reaches `to` `delay` after it was read.
void Pump(int from, int to, std::chrono::microseconds delay, Side side,
          std::atomic<Side>& lastSpoke, std::atomic<long>& roundTrips,
          const std::atomic<bool>& stopping) {
    std::deque<std::pair<Clock::time_point, std::string>> held;
    bool open = true;
    char buffer[65536];
    while ((open || !held.empty()) && !stopping) {
        int timeout = open ? 100 : 0;
        if (!held.empty()) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                held.front().first - Clock::now());
            timeout = static_cast<int>(
                std::max<long long>(0, std::min<long long>(timeout, wait.count())));
        }
        pollfd p{from, POLLIN, 0};
        if (open && ::poll(&p, 1, timeout) > 0) {
            const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
            if (n <= 0) {
                open = false;
            } else {
                if (side == Side::kClient && lastSpoke.exchange(side) != side) ++roundTrips;
                if (side == Side::kServer) lastSpoke = side;
                held.emplace_back(Clock::now() + delay,
                                  std::string(buffer, static_cast<size_t>(n)));
            }
        } else if (!open && !held.empty()) {
            std::this_thread::sleep_until(held.front().first);
        }
        while (!held.empty() && held.front().first <= Clock::now()) {
            if (!SendAll(to, held.front().second)) return;
            held.pop_front();
        }
    }
    ::shutdown(to, SHUT_WR);
}

}  // namespace

DelayLink::DelayLink(int serverPort, std::chrono::microseconds delay)
    : serverPort_(serverPort), delay_(delay) {
    listener_ = testing_support::ListenLoopback(port_);
    if (listener_ < 0) std::abort();
    acceptor_ = std::thread([this] { Accept(); });
}

DelayLink::~DelayLink() {
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    acceptor_.join();
    for (std::thread& relay : relays_) relay.join();
}

void DelayLink::Accept() {
    while (!stopping_) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) return;
        NoDelay(client);
        const int server = ConnectLoopback(serverPort_);
        if (server < 0) {
            ::close(client);
            continue;
        }
        relays_.emplace_back([this, client, server] { Relay(client, server); });
    }
}

void DelayLink::Relay(int client, int server) {
    std::atomic<Side> lastSpoke{Side::kNone};
    std::thread back(
        [&] { Pump(server, client, delay_, Side::kServer, lastSpoke, roundTrips_, stopping_); });
    Pump(client, server, delay_, Side::kClient, lastSpoke, roundTrips_, stopping_);
    back.join();
    ::close(client);
    ::close(server);
}

}  // namespace bench
