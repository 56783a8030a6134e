// One open SQLite database with its statement cache. Internal to db/: callers use db::Connection.
//
// Settings: WAL journaling, synchronous=FULL and a busy time-out, so that a statement that
// returned is durably committed. Nothing here creates databases: a missing file and an empty one
// are errors, and a path is never read as a URI. A file this process may only read is opened
// read-only (as it stands, unlocked, when not even its folder can be written).
// Errors are faults with a negative ADO error number and SQLite's own message.
// Ownership: the Database owns its handle and every idle prepared statement; a Statement borrowed
// from it must not outlive it. Not thread-safe: one connection belongs to one thread.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/backend.h"
#include "db/field.h"
#include "db/statement_cache.h"
#include "db/value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db::sqlite {

class Database;

struct CloseDatabase {
    void operator()(sqlite3* db) const;
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* stmt) const;
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// A prepared statement borrowed from the cache; reset and returned (or finalized) on destruction.
class Statement {
  public:
    struct Prepared {
        StatementHandle stmt;
        // The statement's columns with their ADO types, worked out once per preparation.
        std::shared_ptr<const Columns> columns;
        int timesPrepared = 0;  // by SQLite, after schema changes, when the columns were made
    };
    using Cache = StatementCache<Prepared>;
    Statement(Database* owner, Cache::SlotRef slot, Prepared prepared);
    Statement(Statement&& other) noexcept = default;
    Statement& operator=(Statement&&) = delete;
    ~Statement();

    void Bind(const std::vector<Value>& params);
    // Steps once: true when a row is ready, false when done; a fault on error.
    bool Step();
    // Names as the statement reports them; declared types mapped, adEmpty for expressions.
    const std::shared_ptr<const Columns>& columns();
    Value ColumnValue(int i) const;

  private:
    Database* owner_;
    Cache::SlotRef slot_;
    Prepared prepared_;
};

class Database : public Backend {
  public:
    // Opens an existing file (or ":memory:"); a fault when it cannot.
    explicit Database(const std::string& path);
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const Dialect& dialect() const override { return Dialect::Of(Dialect::Kind::kSqlite); }
    // Runs a statement with parameters to its end; returns the rows it changed.
    long long Execute(const std::string& sql, const std::vector<Value>& params) override;
    std::unique_ptr<Cursor> Query(const std::string& sql,
                                  const std::vector<Value>& params) override;
    bool BeginTransaction(TransactionMode mode) override;
    void EndTransaction(bool commit) override;
    void RunSavepointStatement(const std::string& sql) override;
    std::vector<std::string> TableNames() override;
    std::vector<ColumnDeclaration> DeclaredColumns(const std::string& table) override;

    Statement Prepare(const std::string& sql);
    // Raises SQLite result `code` as a fault (db::Contention when the database is busy).
    [[noreturn]] void Fail(int code) const;

  private:
    friend class Statement;
    // Opens `name` with `flags` (replacing any handle); `path` names the file in faults.
    void Open(const std::string& name, int flags, const std::string& path);
    void Return(Statement::Cache::Slot& slot, Statement::Prepared prepared);

    DatabaseHandle db_;
    // Declared after db_, so that idle statements are finalized before the database closes.
    Statement::Cache idle_{512};
};

}  // namespace db::sqlite
