#include "db/connection.h"

#include "base/fault.h"
#include "base/text.h"
#include "db/errors.h"
#include "db/recordset.h"
#include "db/sqlite/database.h"
#include "db/sqlite/type_map.h"

namespace db {

std::string DataSourceOf(const std::string& connectionString) {
    std::string dataSource;
    std::size_t start = 0;
    while (start <= connectionString.size()) {
        std::size_t end = connectionString.find(';', start);
        if (end == std::string::npos) end = connectionString.size();
        std::string_view part(connectionString.data() + start, end - start);
        std::size_t eq = part.find('=');
        if (eq != std::string_view::npos) {
            std::string key = base::AsciiLower(base::Trim(part.substr(0, eq)));
            std::string value = base::Trim(part.substr(eq + 1));
            if (key == "provider" && base::AsciiLower(value) != "sqlite")
                throw base::Fault(kProviderNotFound, "Provider cannot be found: " + value);
            if (key == "data source") dataSource = value;
        }
        start = end + 1;
    }
    if (dataSource.empty())
        throw base::Fault(kProviderError, "The connection string names no Data Source");
    return dataSource;
}

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const std::string& connectionString) {
    if (db_) ThrowOpen();
    db_ = std::make_unique<sqlite::Database>(DataSourceOf(connectionString));
    connectionString_ = connectionString;
}

void Connection::Close() {
    db_.reset();
}

sqlite::Database& Connection::Backend() {
    if (!db_) ThrowClosed();
    return *db_;
}

long long Connection::Execute(const std::string& sql, const std::vector<Value>& params) {
    sqlite::Database& db = Backend();
    BeforeStatement(sql);
    return db.Execute(sql, params);
}

std::vector<ColumnDeclaration> Connection::DeclaredColumns(const std::string& table) {
    std::string quoted = "\"";
    for (char c : table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    Recordset info;
    info.Open("PRAGMA table_info(" + quoted + "\")", *this);
    std::vector<ColumnDeclaration> columns;
    for (; !info.IsEOF(); info.MoveNext()) {
        std::string declared = info["type"].Text();
        columns.push_back({info["name"].Text(), sqlite::TypeOfDeclared(declared),
                           sqlite::LengthOfDeclared(declared)});
    }
    if (columns.empty()) base::ThrowFailure("no such table: " + table);
    return columns;
}

void Connection::BeginTrans() {
    // Deferred: the transaction reads from one snapshot and takes the write lock only at its
    // first write, so a writer does not hold the lock while it checks.
    Execute("BEGIN");
}
void Connection::CommitTrans() {
    Execute("COMMIT");
}
void Connection::RollbackTrans() {
    Execute("ROLLBACK");
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    connection_.BeginTrans();
}

Transaction::~Transaction() {
    if (done_) return;
    try {
        connection_.RollbackTrans();
    } catch (...) {
        // A failed rollback leaves SQLite to roll back when the connection closes.
    }
}

void Transaction::Commit() {
    if (done_) ThrowNoTransaction();
    connection_.CommitTrans();
    done_ = true;
}

}  // namespace db
