// What db::Connection needs from a database, so that everything above db/ runs unchanged on
// SQLite and on a server reached through ODBC.
//
// A backend owns its database handle and every statement it prepared; a Cursor it returns must
// not outlive it. Failures are base::Fault with a negative ADO error number and the database's
// own message (never the statement text, never a password), classed by type: db::Contention for
// a lock or a deadlock that goes away when the work is run again, db::ConnectionLost when the
// link broke and the outcome of the statement is unknown, a fault numbered kTimeout for a
// time-out, any other fault otherwise. Not thread-safe: a backend belongs to one connection.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/dialect.h"
#include "db/field.h"
#include "db/value.h"

namespace db {

// A column as its table declares it: name, ADO type, for text and binary types the longest
// value in characters (0 when unbounded), and for exact numbers the decimal places it keeps
// (money 4, decimal(19,2) 2; nullopt for other types).
struct ColumnDeclaration {
    std::string name;
    DataType type;
    std::size_t length;
    std::optional<int> scale = std::nullopt;
};

// What a transaction is for: writing (the write lock taken at the first write, or at once), or
// reading one snapshot for an export, without locks that writers would wait for where the
// database allows it.
enum class TransactionMode { kWrite, kWriteNow, kSnapshotRead };

// The rows of one query, read forward once.
class Cursor {
  public:
    virtual ~Cursor() = default;
    // The columns as the database reports them; adEmpty for an expression of no declared type.
    virtual const std::shared_ptr<const Columns>& columns() = 0;
    // Reads the next row into `row` (resized to the columns); false when none is left.
    virtual bool Next(std::vector<Value>& row) = 0;
};

class Backend {
  public:
    virtual ~Backend() = default;
    virtual const Dialect& dialect() const = 0;
    // Runs one statement with its parameters bound to the '?' placeholders; returns the rows it
    // changed (on a server: the rows it found, as the production database counts them).
    virtual long long Execute(const std::string& sql, const std::vector<Value>& params) = 0;
    virtual std::unique_ptr<Cursor> Query(const std::string& sql,
                                          const std::vector<Value>& params) = 0;
    // Transaction control. SQLite runs its own statements; a server is driven through the ODBC
    // API (autocommit off, then SQLEndTran), never by prepared statements, which SQL Server
    // refuses to end with another transaction count than they began with.
    // Returns whether beginning sent anything to the database (a server's transaction that
    // follows another needs nothing: its connection has stayed out of autocommit).
    virtual bool BeginTransaction(TransactionMode mode) = 0;
    virtual void EndTransaction(bool commit) = 0;
    // A savepoint statement of the dialect, run directly rather than prepared.
    virtual void RunSavepointStatement(const std::string& sql) = 0;

    virtual std::vector<std::string> TableNames() = 0;
    // Empty when there is no such table.
    virtual std::vector<ColumnDeclaration> DeclaredColumns(const std::string& table) = 0;
};

// Opens the database a connection string names: see db/connection.h for the providers.
std::unique_ptr<Backend> OpenBackend(const std::string& connectionString);

}  // namespace db
