// An ADO-shaped database connection, over SQLite or a server reached through ODBC.
//
// Open takes an ADO connection string (keys case-insensitive, ';'-separated):
//   Provider=SQLite;Data Source=PATH            an existing SQLite file;
//   Provider=SQLOLEDB;Data Source=HOST,PORT;... SQL Server through FreeTDS (also SQLNCLI,
//                                               SQLNCLI11, MSOLEDBSQL; see db/provider.h);
//   Provider=MSDASQL;DSN=...|Driver=...;...     any ODBC driver, the keys passed as they stand.
// Every statement commits by itself unless BeginTrans opened a transaction.
// Failures are base::Fault with a negative ADO error number and the database's own message,
// classed as db/backend.h says. A connection belongs to one thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/backend.h"
#include "db/statement_counts.h"
#include "db/types.h"
#include "db/value.h"

namespace db {

class Connection {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opening an open connection is a fault, as in ADO.
    void Open(const std::string& connectionString);
    void Close();
    ObjectState State() const { return db_ ? adStateOpen : adStateClosed; }
    const std::string& ConnectionString() const { return connectionString_; }

    // Runs one statement with its parameters bound to the '?' placeholders; returns the rows
    // it changed.
    long long Execute(const std::string& sql, const std::vector<Value>& params = {});

    // The names of the database's tables.
    std::vector<std::string> TableNames();
    // The columns of `table` as it declares them; a fault when there is no such table.
    std::vector<ColumnDeclaration> DeclaredColumns(const std::string& table);

    void BeginTrans(TransactionMode mode = TransactionMode::kWrite);
    bool InTransaction() const { return inTransaction_; }
    void CommitTrans();
    void RollbackTrans();
    // Inside a transaction: marks a point that RollbackToSavepoint undoes the work after, and
    // ReleaseSavepoint folds into the transaction.
    void Savepoint(const std::string& name);
    void RollbackToSavepoint(const std::string& name);
    void ReleaseSavepoint(const std::string& name);

    // Test seam: called with the text of every statement before it runs; a hook that throws
    // makes that statement fail.
    using StatementHook = std::function<void(const std::string& sql)>;
    void SetStatementHook(StatementHook hook) { hook_ = std::move(hook); }

    // The statements that differ on this connection's database.
    const Dialect& dialect() { return Backend().dialect(); }

    // For db::Recordset.
    db::Backend& Backend();
    // Counts the statement and runs the test hook on it.
    void BeforeStatement(const std::string& sql, StatementKind kind) const {
        CountStatement(kind);
        if (hook_) hook_(sql);
    }

  private:
    void EndTrans(bool commit);
    void SendSavepoint(const std::string& sql);

    std::string connectionString_;
    std::unique_ptr<db::Backend> db_;
    StatementHook hook_;
    bool inTransaction_ = false;
};

// Rolls back unless committed; never throws from its destructor. Everything read inside comes
// from one snapshot of the database; the write lock is taken at the first write, and a snapshot
// that another writer made stale by then fails that write with db::Contention. kWriteNow takes the
// write lock at once, for work that writes and must not meet another writer half-way;
// kSnapshotRead is for an export, which reads and takes no lock a writer would wait for.
class Transaction {
  public:
    explicit Transaction(Connection& connection, TransactionMode mode = TransactionMode::kWrite);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

  private:
    Connection& connection_;
    bool done_ = false;
};

// A part of a transaction that is undone alone unless kept: the work after it is rolled back
// when it is left without Keep(). Never throws from its destructor; a part whose undoing fails
// stays in the transaction, so a transaction that commits must not hold parts that failed.
class Savepoint {
  public:
    explicit Savepoint(Connection& connection);
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    void Keep();

  private:
    Connection& connection_;
    bool done_ = false;
};

}  // namespace db
