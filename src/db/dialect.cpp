#include "db/dialect.h"

#include "base/text.h"
#include "base/utf.h"

namespace db {

namespace {

std::string Prefixed(std::string_view prefix, std::string_view name) {
    if (prefix.empty()) return "";
    return std::string(prefix).append(name);
}

void Append(std::vector<Value>& to, std::vector<Value> from) {
    for (Value& v : from) to.push_back(std::move(v));
}

}  // namespace

const Dialect& Dialect::Of(Kind kind) {
    // SQLite's deferred BEGIN reads one snapshot and takes the write lock at the first write.
    static const Dialect kSqlite(Kind::kSqlite, {.begin = "BEGIN",
                                                 .beginLockNow = "BEGIN IMMEDIATE",
                                                 .commit = "COMMIT",
                                                 .rollback = "ROLLBACK",
                                                 .savepoint = "SAVEPOINT ",
                                                 .rollbackTo = "ROLLBACK TO ",
                                                 .release = "RELEASE ",
                                                 .joinedUpdate = Texts::JoinedUpdate::kSetFrom});
    // A lock that stays taken for 10 s is contention, run again until the contention limit; the
    // server's default is to wait for ever.
    static const Dialect kSqlServer(
        Kind::kSqlServer,
        {.begin = "BEGIN TRANSACTION",
         .beginLockNow = "BEGIN TRANSACTION",
         .commit = "COMMIT TRANSACTION",
         .rollback = "ROLLBACK TRANSACTION",
         .savepoint = "SAVE TRANSACTION ",
         .rollbackTo = "ROLLBACK TRANSACTION ",
         .sessionSetup = "SET NOCOUNT OFF; SET IMPLICIT_TRANSACTIONS OFF; SET XACT_ABORT OFF; "
                         "SET LOCK_TIMEOUT 10000",
         .snapshotReads = "SET TRANSACTION ISOLATION LEVEL SNAPSHOT",
         .serializableReads = "SET TRANSACTION ISOLATION LEVEL SERIALIZABLE",
         .snapshotAllowed =
             "SELECT snapshot_isolation_state FROM sys.databases WHERE database_id = DB_ID()",
         .unicodeQuote = "N",
         .afterFailedPair = "IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION; SET XACT_ABORT OFF",
         .joinedUpdate = Texts::JoinedUpdate::kSetFromJoin,
         .maxParameters = 2100});
    // InnoDB's repeatable read reads one snapshot without locks; its serializable reads lock.
    // A backslash in a quoted literal is a character as elsewhere, not the escape the server
    // reads it as by default: a quote after one would otherwise end the literal.
    static const Dialect kMariaDb(
        Kind::kMariaDb,
        {.begin = "START TRANSACTION",
         .beginLockNow = "START TRANSACTION",
         .commit = "COMMIT",
         .rollback = "ROLLBACK",
         .savepoint = "SAVEPOINT ",
         .rollbackTo = "ROLLBACK TO SAVEPOINT ",
         .release = "RELEASE SAVEPOINT ",
         .sessionSetup = "SET SESSION sql_mode = IF(@@SESSION.sql_mode = '', "
                         "'NO_BACKSLASH_ESCAPES', CONCAT(@@SESSION.sql_mode, "
                         "',NO_BACKSLASH_ESCAPES'))",
         .snapshotReads = "SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ",
         .serializableReads = "SET SESSION TRANSACTION ISOLATION LEVEL SERIALIZABLE",
         .afterFailedPair = "ROLLBACK",
         .likeClassesAsRegex = true,
         .joinedUpdate = Texts::JoinedUpdate::kJoinThenSet,
         .maxParameters = 65535});
    static const Dialect kStandard(Kind::kStandard, {.begin = "START TRANSACTION",
                                                     .beginLockNow = "START TRANSACTION",
                                                     .commit = "COMMIT",
                                                     .rollback = "ROLLBACK",
                                                     .savepoint = "SAVEPOINT ",
                                                     .rollbackTo = "ROLLBACK TO SAVEPOINT ",
                                                     .release = "RELEASE SAVEPOINT "});
    switch (kind) {
        case Kind::kSqlite:
            return kSqlite;
        case Kind::kSqlServer:
            return kSqlServer;
        case Kind::kMariaDb:
            return kMariaDb;
        case Kind::kStandard:
            break;
    }
    return kStandard;
}

const Dialect& Dialect::OfServer(std::string_view dbmsName) {
    std::string name = base::AsciiLower(dbmsName);
    if (name.find("sql server") != std::string::npos) return Of(Kind::kSqlServer);
    if (name.find("mariadb") != std::string::npos) return Of(Kind::kMariaDb);
    if (name.find("mysql") != std::string::npos) {
        // The standard statements, in a session that reads a backslash as MariaDB's does.
        static const Dialect kMySql(Kind::kStandard, [] {
            Texts texts = Of(Kind::kStandard).texts_;
            texts.sessionSetup = Of(Kind::kMariaDb).texts_.sessionSetup;
            texts.likeClassesAsRegex = true;
            texts.joinedUpdate = Texts::JoinedUpdate::kJoinThenSet;
            texts.maxParameters = 65535;
            return texts;
        }());
        return kMySql;
    }
    if (name.find("sqlite") != std::string::npos) return Of(Kind::kSqlite);
    return Of(Kind::kStandard);
}

std::string Dialect::Savepoint(std::string_view name) const {
    return Prefixed(texts_.savepoint, name);
}
std::string Dialect::RollbackToSavepoint(std::string_view name) const {
    return Prefixed(texts_.rollbackTo, name);
}
std::string Dialect::ReleaseSavepoint(std::string_view name) const {
    return Prefixed(texts_.release, name);
}

std::string Dialect::JoinedUpdate(std::string_view table, std::string_view rows,
                                  std::string_view match, std::string_view assignments) const {
    const std::string joined = std::string(table) + " AS g INNER JOIN " + std::string(rows) +
                               " AS r ON " + std::string(match);
    switch (texts_.joinedUpdate) {
        case Texts::JoinedUpdate::kSetFrom:
            return "UPDATE " + std::string(table) + " AS g SET " + std::string(assignments) +
                   " FROM " + std::string(rows) + " AS r WHERE " + std::string(match);
        case Texts::JoinedUpdate::kJoinThenSet:
            return "UPDATE " + joined + " SET " + std::string(assignments);
        case Texts::JoinedUpdate::kSetFromJoin:
            return "UPDATE g SET " + std::string(assignments) + " FROM " + joined;
        case Texts::JoinedUpdate::kNone:
            break;
    }
    return "";
}

std::string Dialect::QuotedText(std::string_view text, Column column) const {
    const bool national = column == Column::kNational || base::Utf16Length(text) != text.size();
    return std::string(national ? texts_.unicodeQuote : "") + "'" +
           base::ReplaceAll(std::string(text), "'", "''") + "'";
}

namespace {

// "INSERT INTO t(c) VALUES(?) unless guard" in T-SQL: a batch whose guard runs first, so its
// parameters come first. `then` runs after the insert, only when the guard let it run.
BoundStatement SqlServerGuarded(GuardedRow row, std::string_view then = {}) {
    BoundStatement s;
    s.sql = "IF NOT EXISTS(" + row.guard + ") ";
    std::string insert = "INSERT INTO " + row.into + " VALUES(" + row.values + ")";
    s.sql += then.empty() ? insert : "BEGIN " + insert + "; " + std::string(then) + " END";
    s.params = std::move(row.guardParams);
    Append(s.params, std::move(row.valueParams));
    return s;
}

// The same as one standard statement: the values are selected only when the guard finds no row.
BoundStatement StandardGuarded(GuardedRow row) {
    BoundStatement s;
    s.sql = "INSERT INTO " + row.into + " SELECT " + row.values + " WHERE NOT EXISTS(" + row.guard +
            ")";
    s.params = std::move(row.valueParams);
    Append(s.params, std::move(row.guardParams));
    return s;
}

}  // namespace

BoundStatement Dialect::GuardedInsert(GuardedRow row) const {
    return kind_ == Kind::kSqlServer ? SqlServerGuarded(std::move(row))
                                     : StandardGuarded(std::move(row));
}

BoundStatement Dialect::GuardedPair(GuardedRow first, GuardedRow second) const {
    if (kind_ == Kind::kSqlServer) {
        // XACT_ABORT makes any error end the batch and roll its transaction back; the session
        // keeps it off otherwise (AfterFailedPair restores that when the batch ended early).
        BoundStatement inner = SqlServerGuarded(std::move(second));
        BoundStatement outer = SqlServerGuarded(std::move(first), inner.sql);
        outer.sql = "SET XACT_ABORT ON; BEGIN TRANSACTION; " + outer.sql +
                    "; COMMIT TRANSACTION; SET XACT_ABORT OFF";
        Append(outer.params, std::move(inner.params));
        return outer;
    }
    // A compound statement, prepared and sent as one: its handler rolls back what an error left
    // and passes the error on as it was raised.
    BoundStatement a = StandardGuarded(std::move(first));
    BoundStatement b = StandardGuarded(std::move(second));
    a.sql =
        "BEGIN NOT ATOMIC DECLARE EXIT HANDLER FOR SQLEXCEPTION BEGIN ROLLBACK; RESIGNAL; "
        "END; START TRANSACTION; " +
        a.sql + "; IF ROW_COUNT() > 0 THEN " + b.sql + "; END IF; COMMIT; END";
    Append(a.params, std::move(b.params));
    return a;
}

}  // namespace db
