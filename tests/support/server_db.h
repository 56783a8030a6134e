// A fresh database with the demo data on the test database server, for one test.
//
// The server is the one scripts/test.sh starts: WAGELINK_TEST_SERVER holds the connection string
// of an account that may create databases. Without it a server test is skipped, unless
// WAGELINK_REQUIRE_SERVER is set (as the test script sets it), when it fails instead.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "db/connection.h"

namespace testing_support {

// The server's connection string; nullopt when no server is configured.
std::optional<std::string> TestServer();
// Skips or fails the calling test (see above) when there is no server; true when there is one.
#define REQUIRE_TEST_SERVER()                                                       \
    do {                                                                            \
        if (!testing_support::TestServer()) {                                       \
            if (std::getenv("WAGELINK_REQUIRE_SERVER")) FAIL() << "no test server"; \
            GTEST_SKIP() << "no test server (WAGELINK_TEST_SERVER)";                \
        }                                                                           \
    } while (0)

class ServerDb {
  public:
    enum class Contents { kNothing, kSchema, kDemo };
    // A new database of its own name, holding `contents`; dropped again by the destructor.
    explicit ServerDb(Contents contents = Contents::kDemo);
    ~ServerDb();
    ServerDb(const ServerDb&) = delete;
    ServerDb& operator=(const ServerDb&) = delete;

    const std::string& ConnectionString() const { return connectionString_; }
    // The server's port, and the connection string that reaches the database through `port`
    // on this machine instead (a fault proxy's).
    int Port() const;
    std::string ConnectionStringVia(int port) const;
    std::unique_ptr<db::Connection> Connect() const;
    // The text of the first column of the first row; "<none>" without a row, "<null>" for Null.
    std::string Scalar(const std::string& sql) const;

  private:
    std::string name_;
    std::string connectionString_;
};

}  // namespace testing_support
