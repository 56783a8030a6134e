#include "support/server_db.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "db/connection_string.h"
#include "server_database.h"
#include "support/demo_db.h"

namespace testing_support {

namespace {

void OnServer(const std::string& sql) {
    ConnectTo(*TestServer())->Execute(sql);
}

}  // namespace

std::optional<std::string> TestServer() {
    const char* server = std::getenv("WAGELINK_TEST_SERVER");
    if (!server || !*server) return std::nullopt;
    return std::string(server);
}

ServerDb::ServerDb(Contents contents) {
    static std::atomic<int> counter{0};
    name_ = "wagelink_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
    OnServer("DROP DATABASE IF EXISTS " + name_);
    OnServer("CREATE DATABASE " + name_);
    connectionString_ = *TestServer() + ";Database=" + name_;
    if (contents != Contents::kNothing)
        sql::WriteServerDemo(connectionString_, contents == Contents::kDemo);
}

ServerDb::~ServerDb() {
    try {
        OnServer("DROP DATABASE IF EXISTS " + name_);
    } catch (...) {
        // The server's data folder is thrown away with the build anyway.
    }
}

int ServerDb::Port() const {
    return std::stoi(db::ConnectionString(connectionString_).Get("port").value_or("3306"));
}

std::string ServerDb::ConnectionStringVia(int port) const {
    // A later key replaces an earlier one.
    return connectionString_ + ";Port=" + std::to_string(port);
}

std::unique_ptr<db::Connection> ServerDb::Connect() const {
    return ConnectTo(connectionString_);
}

std::string ServerDb::Scalar(const std::string& sql) const {
    return ScalarText(*Connect(), sql);
}

}  // namespace testing_support
