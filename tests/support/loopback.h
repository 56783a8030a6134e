// TCP on 127.0.0.1 for the relays the tests and benchmarks put between a client and a server
// (support/fault_proxy.h, bench/delay_link.h).
#pragma once

#include <string>

namespace testing_support {

// Packets go out at once: the database protocols are one exchange at a time, so waiting to fill
// a segment would only add a delayed acknowledgement to every statement.
void NoDelay(int fd);
// A socket listening on 127.0.0.1 on a port of the system's choice, which `port` gets; -1 when
// none can be had.
int ListenLoopback(int& port);
// A connected socket to `port` on 127.0.0.1, or -1.
int ConnectLoopback(int port);
// Sends all of `bytes`; false when the link is gone.
bool SendAll(int fd, const std::string& bytes);

}  // namespace testing_support
