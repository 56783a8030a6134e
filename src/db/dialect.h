// The statements that differ between the databases the server runs on, in one place per
// database: transaction control and the guarded insert. Everything else the server sends is
// written once, in the SQL all of them read alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace db {

// A statement text with its parameters in placeholder order.
struct BoundStatement {
    std::string sql;
    std::vector<Value> params;
};

class Dialect {
  public:
    enum class Kind { kSqlite, kSqlServer, kMariaDb, kStandard };

    static const Dialect& Of(Kind kind);
    // The dialect of a server by the name ODBC reports for it (SQL_DBMS_NAME).
    static const Dialect& OfServer(std::string_view dbmsName);

    Kind kind() const { return kind_; }

    // Opens a transaction; `lockNow` asks for the write lock at once where the database takes
    // it at the first write otherwise (a server's serializable transaction needs nothing more).
    std::string_view Begin(bool lockNow) const { return lockNow ? beginLockNow_ : begin_; }
    std::string_view Commit() const { return commit_; }
    std::string_view Rollback() const { return rollback_; }
    std::string Savepoint(std::string_view name) const;
    std::string RollbackToSavepoint(std::string_view name) const;
    // Empty where a savepoint needs no release (on SQL Server it ends with its transaction).
    std::string ReleaseSavepoint(std::string_view name) const;

    // "INSERT INTO `into` VALUES `values` unless a row matches `guard`", as one statement, so
    // that no other writer can slip a row in between. `into` is "table(columns)", `values` the
    // placeholder list, `guard` a whole SELECT.
    BoundStatement GuardedInsert(std::string_view into, std::string_view values,
                                 std::vector<Value> valueParams, std::string_view guard,
                                 std::vector<Value> guardParams) const;

  private:
    Dialect(Kind kind, std::string_view begin, std::string_view beginLockNow,
            std::string_view commit, std::string_view rollback, std::string_view savepoint,
            std::string_view rollbackTo, std::string_view release)
        : kind_(kind),
          begin_(begin),
          beginLockNow_(beginLockNow),
          commit_(commit),
          rollback_(rollback),
          savepoint_(savepoint),
          rollbackTo_(rollbackTo),
          release_(release) {}

    Kind kind_;
    std::string_view begin_, beginLockNow_, commit_, rollback_, savepoint_, rollbackTo_, release_;
};

}  // namespace db
