#include "support/demo_db.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "db/recordset.h"
#include "demo_database.h"
#include "support/host.h"
#include "support/server_db.h"

namespace testing_support {

namespace {

// Asked for by the test script's second pass (the member OnServer tells where a DemoDb is).
bool ServerRequested() {
    const char* database = std::getenv("WAGELINK_TEST_DATABASE");
    return database && std::string(database) == "server" && TestServer();
}

}  // namespace

DemoDb::DemoDb() {
    if (ServerRequested()) {
        server_ = std::make_unique<ServerDb>();
        return;
    }
    path_ = dir_.File("demo.db");
    sql::WriteDemoDatabase(path_);
}

DemoDb::~DemoDb() = default;

std::string DemoDb::ConnectionString() const {
    return server_ ? server_->ConnectionString() : "Provider=SQLite;Data Source=" + path_;
}

std::unique_ptr<db::Connection> ConnectTo(const std::string& connectionString) {
    auto connection = std::make_unique<db::Connection>();
    connection->Open(connectionString);
    return connection;
}

std::unique_ptr<db::Connection> DemoDb::Connect() const {
    return ConnectTo(ConnectionString());
}

void WritePayrollPerson(db::Connection& connection, const std::string& code,
                        const std::string& name, bool onRoster) {
    const std::vector<db::Value> person = {db::Value(code), db::Value(name)};
    connection.Execute(
        "insert into pubperson (cPsn_Num, cPsn_Name, rPersonType) values (?, ?, '101')", person);
    if (!onRoster) return;
    connection.Execute(
        "insert into WA_psn (cGZGradeNum, cPsn_Num, cPsn_Name, cDept_num, "
        "iPsnGrd_id) values ('001', ?, ?, '0101', 1)",
        person);
    connection.Execute(
        "insert into WA_GZData (cGZGradeNum, cDept_Num, cPsn_Num, cPsn_Name, "
        "iPsnGrd_id, iYear, iMonth) values ('001', '0101', ?, ?, 1, 2026, 11)",
        person);
}

std::string ScalarText(db::Connection& connection, const std::string& sql) {
    db::Recordset rows;
    rows.Open(sql, connection);
    if (rows.IsEOF()) return "<none>";
    return rows[0].IsNull() ? "<null>" : rows[0].Text();
}

std::string DemoDb::Scalar(const std::string& sql) const {
    return ScalarText(*Connect(), sql);
}

std::string DemoDb::Column(const std::string& sql) const {
    auto connection = Connect();
    db::Recordset rows;
    rows.Open(sql, *connection);
    std::string joined;
    for (bool first = true; !rows.IsEOF(); rows.MoveNext(), first = false)
        joined += (first ? "" : ";") + (rows[0].IsNull() ? "<null>" : rows[0].Text());
    return joined;
}

void DemoDb::Exec(const std::string& sql) const {
    Connect()->Execute(sql);
}

std::string DemoDb::Snapshot() const {
    auto connection = Connect();
    std::string digest;
    for (const char* table : {"WA_GZData", "WA_psn", "WA_account", "WA_GZtblset", "pubperson"}) {
        db::Recordset rows;
        rows.Open(std::string("select * from ") + table, *connection);
        // In an order of their own: a server keeps rows in no order a query can name alike.
        std::vector<std::string> lines;
        for (; !rows.IsEOF(); rows.MoveNext()) {
            std::string line;
            for (std::size_t i = 0; i < rows.FieldCount(); ++i) line += rows[i].Text() + "|";
            lines.push_back(std::move(line));
        }
        std::sort(lines.begin(), lines.end());
        for (const std::string& line : lines) digest += line + "\n";
    }
    return digest;
}

std::string DemoDb::FileBytes() const {
    return server_ ? Snapshot() : Slurp(path_);
}

}  // namespace testing_support
