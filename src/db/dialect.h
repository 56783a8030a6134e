// The statements that differ between the databases the server runs on, in one place per
// database: transaction control, isolation, the session's set-up, quoted text in conditions and
// the guarded insert. Everything else the server sends is written once, in the SQL all of them
// read alike.
#pragma once

#include <cstddef>
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

// "INSERT INTO `into` VALUES `values` unless a row matches `guard`": `into` is "table(columns)",
// `values` the placeholder list, `guard` a whole SELECT.
struct GuardedRow {
    std::string into;
    std::string values;
    std::vector<Value> valueParams;
    std::string guard;
    std::vector<Value> guardParams;
};

class Dialect {
  public:
    enum class Kind { kSqlite, kSqlServer, kMariaDb, kStandard };

    static const Dialect& Of(Kind kind);
    // The dialect of a server by the name ODBC reports for it (SQL_DBMS_NAME).
    static const Dialect& OfServer(std::string_view dbmsName);

    Kind kind() const { return kind_; }

    // Transaction control as statements: what SQLite runs; on a server, which is driven through
    // the ODBC API instead, the names under which they are counted and shown to test hooks.
    // `lockNow` asks for the write lock at once where the database takes it at the first write
    // otherwise (a server's serializable transaction needs nothing more).
    std::string_view Begin(bool lockNow) const {
        return lockNow ? texts_.beginLockNow : texts_.begin;
    }
    std::string_view Commit() const { return texts_.commit; }
    std::string_view Rollback() const { return texts_.rollback; }
    std::string Savepoint(std::string_view name) const;
    std::string RollbackToSavepoint(std::string_view name) const;
    // Empty where a savepoint needs no release (on SQL Server it ends with its transaction).
    std::string ReleaseSavepoint(std::string_view name) const;

    // Sent once after connecting, so that no server setting the administrator chose changes what
    // a statement reports (empty: nothing to send).
    std::string_view SessionSetup() const { return texts_.sessionSetup; }
    // The isolation an export reads its snapshot under, without locks that writers would wait
    // for, and the serializable isolation of every other transaction again (both empty where
    // there is no such level); and the query that tells whether the database allows it (its
    // first column 1; empty when it always does).
    std::string_view SnapshotReads() const { return texts_.snapshotReads; }
    std::string_view SerializableReads() const { return texts_.serializableReads; }
    std::string_view SnapshotAllowed() const { return texts_.snapshotAllowed; }

    // `text` as a quoted literal of a condition against a column, every single quote doubled:
    // on SQL Server N'...' where the column is national (nchar, nvarchar, ntext) or the text is
    // not ASCII, so that a character outside the database's code page survives, and '...'
    // otherwise, as a varchar column compared with an nvarchar value is converted and its index
    // no longer sought in; '...' elsewhere.
    enum class Column { kNational, kPlain };
    std::string QuotedText(std::string_view text, Column column) const;

    // Whether a LIKE pattern's character class ([abc], [a-f], [^...]), which SQL Server reads as
    // one, must be sent as a regular expression (db/like_pattern.h): MariaDB's and MySQL's LIKE
    // read '[' as a character. (SQLite's LIKE is replaced by SQL Server's.)
    bool LikeClassesAsRegex() const { return texts_.likeClassesAsRegex; }

    // The guarded row as one statement, so that no other writer can slip a row in between.
    BoundStatement GuardedInsert(GuardedRow row) const;

    // Both guarded rows as one statement that runs in a transaction of its own and commits by
    // itself, so that they cost one round trip: the second is written only when the first was,
    // and both or neither. The rows it reports changed are more than 0 exactly when the first
    // was written. Sent outside any transaction, and only where HasGuardedPair(); after it
    // failed, AfterFailedPair() (when not empty) is sent, whose own failure does not matter:
    // it ends whatever the failure left open.
    bool HasGuardedPair() const { return kind_ == Kind::kMariaDb || kind_ == Kind::kSqlServer; }
    BoundStatement GuardedPair(GuardedRow first, GuardedRow second) const;
    std::string_view AfterFailedPair() const { return texts_.afterFailedPair; }

    // "UPDATE `table` AS g, for each row of `rows` AS r that `match` joins to it, SET
    // `assignments`", where the assignments set g's columns from r's ("F_1 = r.v6, ...", the
    // columns unqualified, as SQLite takes them): the updates of many rows as one statement, and
    // in a transaction one commit. Empty where the database has none: there each row is updated
    // by itself. A row of `table` that two rows of `rows` join is updated once, by either.
    bool HasJoinedUpdate() const { return texts_.joinedUpdate != Texts::JoinedUpdate::kNone; }
    std::string JoinedUpdate(std::string_view table, std::string_view rows, std::string_view match,
                             std::string_view assignments) const;
    // The placeholders one statement may carry.
    std::size_t MaxParameters() const { return texts_.maxParameters; }

  private:
    struct Texts {
        std::string_view begin{}, beginLockNow{}, commit{}, rollback{};
        std::string_view savepoint{}, rollbackTo{}, release{};  // prefixes of a savepoint's name
        std::string_view sessionSetup{};
        std::string_view snapshotReads{}, serializableReads{}, snapshotAllowed{};
        std::string_view unicodeQuote{};  // before a quoted literal
        std::string_view afterFailedPair{};
        bool likeClassesAsRegex = false;
        enum class JoinedUpdate { kNone, kJoinThenSet, kSetFromJoin, kSetFrom } joinedUpdate{};
        std::size_t maxParameters = 32766;
    };
    Dialect(Kind kind, Texts texts) : kind_(kind), texts_(texts) {}

    Kind kind_;
    Texts texts_;
};

}  // namespace db
