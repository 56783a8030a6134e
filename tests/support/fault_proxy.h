// A loopback TCP proxy between a test and the test database server that breaks the link at a
// chosen statement: before the statement reaches the server, or after the server answered it
// (the answer never reaching the client). So a test can show what the server does with a write
// whose outcome it cannot know.
//
// It reads the client side of MariaDB's protocol: statements sent as text, and prepared ones
// (the text when prepared, the identifier the server gave it when executed). Connections made
// after a cut are passed through untouched until the next CutAt; a fault loop names the
// statement to cut by its place instead (CutAtStatement).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class FaultProxy {
  public:
    enum class When { kBefore, kAfter };

    explicit FaultProxy(int serverPort);
    ~FaultProxy();
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    int port() const { return port_; }
    // The next statement run whose text holds `text` breaks its link, once.
    void CutAt(std::string text, When when);
    // The `n`-th statement run from now on (from 1, over every link, a prepared statement counted
    // at each execution) breaks its link, once. With n 0 nothing is cut; the statements are only
    // counted.
    void CutAtStatement(int n, When when);
    // The statements run since the last CutAtStatement.
    int statements() const { return statements_; }
    // How many links the proxy has broken.
    int cuts() const { return cuts_; }

    // For the relay of one connection.
    struct Rule {
        std::string text;
        When when;
    };
    bool TakeRule(const std::string& statement, When& when);
    // Counts a statement that runs; true when it is the one CutAtStatement named.
    bool TakeCountedRule(When& when);
    void CountCut() { ++cuts_; }
    bool stopping() const { return stopping_; }

  private:
    void Accept();

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> cuts_{0};
    std::mutex mutex_;
    std::unique_ptr<Rule> rule_;
    std::atomic<int> statements_{0};
    int cutAtStatement_ = 0;
    When cutAtStatementWhen_ = When::kBefore;
    std::thread acceptor_;
    std::vector<std::thread> relays_;
};

}  // namespace testing_support
