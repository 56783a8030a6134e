#include "db/connection.h"

#include "base/fault.h"
#include "base/text.h"
#include "db/connection_string.h"
#include "db/errors.h"
#include "db/recordset.h"
#include "db/sqlite/database.h"
#include "db/sqlite/type_map.h"

namespace db {

std::string DataSourceOf(const std::string& connectionString) {
    ConnectionString parsed(connectionString);
    std::string provider = parsed.Get("provider").value_or("SQLite");
    if (base::AsciiLower(provider) != "sqlite")
        throw base::Fault(kProviderNotFound, "Provider cannot be found: " + provider);
    std::string dataSource = parsed.Get("data source").value_or("");
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
    return Send(sql, params, StatementKind::kWrite);
}

long long Connection::Send(const std::string& sql, const std::vector<Value>& params,
                           StatementKind kind) {
    sqlite::Database& db = Backend();
    BeforeStatement(sql, kind);
    return db.Execute(sql, params);
}

std::vector<std::string> Connection::TableNames() {
    Recordset tables;
    tables.Open("select name from sqlite_master where type = 'table'", *this);
    std::vector<std::string> names;
    for (; !tables.IsEOF(); tables.MoveNext()) names.push_back(tables[0].Text());
    return names;
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

void Connection::BeginTrans(bool writeLockNow) {
    // Deferred by default: the transaction reads from one snapshot and takes the write lock only
    // at its first write, so a writer does not hold the lock while it checks.
    Send(writeLockNow ? "BEGIN IMMEDIATE" : "BEGIN", {}, StatementKind::kTransaction);
}
void Connection::CommitTrans() {
    Send("COMMIT", {}, StatementKind::kTransaction);
}
void Connection::RollbackTrans() {
    Send("ROLLBACK", {}, StatementKind::kTransaction);
}

void Connection::Savepoint(const std::string& name) {
    Send("SAVEPOINT " + name, {}, StatementKind::kTransaction);
}
void Connection::RollbackToSavepoint(const std::string& name) {
    Send("ROLLBACK TO " + name, {}, StatementKind::kTransaction);
}
void Connection::ReleaseSavepoint(const std::string& name) {
    Send("RELEASE " + name, {}, StatementKind::kTransaction);
}

Transaction::Transaction(Connection& connection, Lock lock) : connection_(connection) {
    connection_.BeginTrans(lock == Lock::kNow);
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

namespace db {

namespace {
constexpr const char* kSavepointName = "part";
}

Savepoint::Savepoint(Connection& connection) : connection_(connection) {
    connection_.Savepoint(kSavepointName);
}

Savepoint::~Savepoint() {
    if (done_) return;
    try {
        // Rolling back to a savepoint keeps it open; releasing it then leaves the transaction
        // as it was before the savepoint.
        connection_.RollbackToSavepoint(kSavepointName);
        connection_.ReleaseSavepoint(kSavepointName);
    } catch (...) {
        // The part stays in the transaction: see the header.
    }
}

void Savepoint::Keep() {
    if (done_) ThrowNoTransaction();
    connection_.ReleaseSavepoint(kSavepointName);
    done_ = true;
}

}  // namespace db
