#include "support/fault_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "support/loopback.h"

namespace testing_support {

namespace {

constexpr unsigned char kQuery = 0x03;
constexpr unsigned char kPrepare = 0x16;
constexpr unsigned char kExecute = 0x17;

// Takes one whole packet (3-byte length, sequence number, payload) off the front of `buffer`.
bool TakePacket(std::string& buffer, std::string& packet) {
    if (buffer.size() < 4) return false;
    const std::size_t length = static_cast<unsigned char>(buffer[0]) |
                               static_cast<unsigned char>(buffer[1]) << 8 |
                               static_cast<unsigned char>(buffer[2]) << 16;
    if (buffer.size() < 4 + length) return false;
    packet = buffer.substr(0, 4 + length);
    buffer.erase(0, 4 + length);
    return true;
}

std::uint32_t Identifier(const std::string& packet) {
    std::uint32_t id = 0;
    for (int i = 0; i < 4; ++i)
        id |= static_cast<std::uint32_t>(static_cast<unsigned char>(packet[5 + i])) << (8 * i);
    return id;
}

// One client's link: packets relayed both ways, statements looked at as they pass.
class Relay {
  public:
    Relay(FaultProxy& proxy, int client, int server)
        : proxy_(proxy), client_(client), server_(server) {}
    ~Relay() {
        ::close(client_);
        ::close(server_);
    }

    void Run() {
        pollfd fds[2] = {{client_, POLLIN, 0}, {server_, POLLIN, 0}};
        char chunk[65536];
        while (!cut_ && !proxy_.stopping()) {
            if (::poll(fds, 2, 200) < 0) return;
            for (int side = 0; side < 2; ++side) {
                if (!(fds[side].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                ssize_t n = ::recv(fds[side].fd, chunk, sizeof chunk, 0);
                if (n <= 0) return;
                std::string& buffer = side == 0 ? fromClient_ : fromServer_;
                buffer.append(chunk, static_cast<std::size_t>(n));
                if (!(side == 0 ? FromClient() : FromServer())) return;
            }
        }
    }

  private:
    bool FromClient() {
        for (std::string packet; TakePacket(fromClient_, packet);) {
            // A command starts its exchange with sequence number 0; the login does not.
            if (packet.size() > 4 && packet[3] == 0 && !Look(packet)) return false;
            if (cut_) return false;
            if (!SendAll(server_, packet)) return false;
        }
        return true;
    }

    bool FromServer() {
        for (std::string packet; TakePacket(fromServer_, packet);) {
            if (cutAtAnswer_) return Cut();
            // The answer to a marked PREPARE carries the identifier its executions will name.
            if (preparing_ && packet.size() >= 9 && packet[4] == 0) marked_ = Identifier(packet);
            preparing_ = false;
            if (!SendAll(client_, packet)) return false;
        }
        return true;
    }

    // Whether to forward a command packet; false when the link is cut before it.
    bool Look(const std::string& packet) {
        const unsigned char command = static_cast<unsigned char>(packet[4]);
        FaultProxy::When when = FaultProxy::When::kBefore;
        if (command == kPrepare) {
            // The cut waits for the statement's execution.
            preparing_ = proxy_.TakeRule(packet.substr(5), when);
            if (preparing_) markedWhen_ = when;
            return true;
        }
        bool runs = command == kQuery && proxy_.TakeRule(packet.substr(5), when);
        if (command == kExecute && marked_ && packet.size() >= 9 &&
            Identifier(packet) == *marked_) {
            runs = true;
            when = markedWhen_;
            marked_.reset();
        }
        if ((command == kQuery || command == kExecute) && proxy_.TakeCountedRule(when)) runs = true;
        if (!runs) return true;
        if (when == FaultProxy::When::kBefore) return Cut();
        cutAtAnswer_ = true;
        return true;
    }

    bool Cut() {
        cut_ = true;
        proxy_.CountCut();
        ::shutdown(client_, SHUT_RDWR);
        ::shutdown(server_, SHUT_RDWR);
        return false;
    }

    FaultProxy& proxy_;
    int client_, server_;
    std::string fromClient_, fromServer_;
    std::optional<std::uint32_t> marked_;  // the prepared statement whose execution cuts the link
    FaultProxy::When markedWhen_ = FaultProxy::When::kBefore;
    bool preparing_ = false, cutAtAnswer_ = false, cut_ = false;
};

}  // namespace

FaultProxy::FaultProxy(int serverPort) : serverPort_(serverPort) {
    listener_ = ListenLoopback(port_);
    if (listener_ < 0) throw std::runtime_error("the fault proxy cannot listen");
    acceptor_ = std::thread([this] { Accept(); });
}

FaultProxy::~FaultProxy() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& relay : relays_) relay.join();
    ::close(listener_);
}

void FaultProxy::CutAt(std::string text, When when) {
    std::lock_guard lock(mutex_);
    rule_ = std::make_unique<Rule>(Rule{std::move(text), when});
}

bool FaultProxy::TakeRule(const std::string& statement, When& when) {
    std::lock_guard lock(mutex_);
    if (!rule_ || statement.find(rule_->text) == std::string::npos) return false;
    when = rule_->when;
    rule_.reset();
    return true;
}

void FaultProxy::CutAtStatement(int n, When when) {
    std::lock_guard lock(mutex_);
    statements_ = 0;
    cutAtStatement_ = n;
    cutAtStatementWhen_ = when;
}

bool FaultProxy::TakeCountedRule(When& when) {
    std::lock_guard lock(mutex_);
    if (++statements_ != cutAtStatement_) return false;
    cutAtStatement_ = 0;
    when = cutAtStatementWhen_;
    return true;
}

void FaultProxy::Accept() {
    while (!stopping_) {
        pollfd fd{listener_, POLLIN, 0};
        if (::poll(&fd, 1, 100) <= 0) continue;
        int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        NoDelay(client);
        int server = ConnectLoopback(serverPort_);
        if (server < 0) {
            ::close(client);
            continue;
        }
        relays_.emplace_back([this, client, server] {
            Relay relay(*this, client, server);
            relay.Run();
        });
    }
}

}  // namespace testing_support
