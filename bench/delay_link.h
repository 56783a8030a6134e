// A loopback TCP link between a database client and its server that holds every packet for a
// set delay before passing it on, both ways, as a network between the two would; and counts the
// round trips over it: each time the client speaks after the server did (or first).
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace bench {

class DelayLink {
  public:
    DelayLink(int serverPort, std::chrono::microseconds delay);
    ~DelayLink();
    DelayLink(const DelayLink&) = delete;
    DelayLink& operator=(const DelayLink&) = delete;

    int port() const { return port_; }
    long roundTrips() const { return roundTrips_; }

  private:
    void Accept();
    void Relay(int client, int server);

    int serverPort_;
    std::chrono::microseconds delay_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<long> roundTrips_{0};
    std::thread acceptor_;
    std::vector<std::thread> relays_;
};

}  // namespace bench
