#include "db/connection.h"

#include "base/fault.h"
#include "base/text.h"
#include "db/errors.h"
#include "db/recordset.h"

namespace db {

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const std::string& connectionString) {
    if (db_) ThrowOpen();
    db_ = OpenBackend(connectionString);
    connectionString_ = connectionString;
}

void Connection::Close() {
    db_.reset();
    inTransaction_ = false;
}

db::Backend& Connection::Backend() {
    if (!db_) ThrowClosed();
    return *db_;
}

long long Connection::Execute(const std::string& sql, const std::vector<Value>& params) {
    db::Backend& db = Backend();
    BeforeStatement(sql, StatementKind::kWrite);
    return db.Execute(sql, params);
}

std::vector<std::string> Connection::TableNames() {
    return Backend().TableNames();
}

std::vector<ColumnDeclaration> Connection::DeclaredColumns(const std::string& table) {
    std::vector<ColumnDeclaration> columns = Backend().DeclaredColumns(table);
    if (columns.empty()) base::ThrowFailure("no such table: " + table);
    return columns;
}

void Connection::BeginTrans(TransactionMode mode) {
    // On SQLite deferred by default: the transaction reads from one snapshot and takes the write
    // lock only at its first write, so a writer does not hold the lock while it checks. A
    // server's transactions are serializable (db/odbc/database.h).
    // Counted only when it goes to the database: every statement to a server is a round trip.
    db::Backend& db = Backend();
    if (hook_) hook_(std::string(db.dialect().Begin(mode == TransactionMode::kWriteNow)));
    if (db.BeginTransaction(mode)) CountStatement(StatementKind::kTransaction);
    inTransaction_ = true;
}
void Connection::CommitTrans() {
    EndTrans(true);
}
void Connection::RollbackTrans() {
    EndTrans(false);
}
void Connection::EndTrans(bool commit) {
    db::Backend& db = Backend();
    const Dialect& dialect = db.dialect();
    BeforeStatement(std::string(commit ? dialect.Commit() : dialect.Rollback()),
                    StatementKind::kTransaction);
    // Over once asked to end, whether or not the database answers.
    inTransaction_ = false;
    db.EndTransaction(commit);
}

void Connection::Savepoint(const std::string& name) {
    SendSavepoint(dialect().Savepoint(name));
}
void Connection::RollbackToSavepoint(const std::string& name) {
    SendSavepoint(dialect().RollbackToSavepoint(name));
}
void Connection::ReleaseSavepoint(const std::string& name) {
    SendSavepoint(dialect().ReleaseSavepoint(name));
}
void Connection::SendSavepoint(const std::string& sql) {
    if (sql.empty()) return;  // nothing to send where the database needs no such statement
    db::Backend& db = Backend();
    BeforeStatement(sql, StatementKind::kTransaction);
    db.RunSavepointStatement(sql);
}

Transaction::Transaction(Connection& connection, TransactionMode mode) : connection_(connection) {
    connection_.BeginTrans(mode);
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
