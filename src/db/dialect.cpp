#include "db/dialect.h"

#include "base/text.h"

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
                                                 .release = "RELEASE "});
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
         .unicodeQuote = "N"});
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
         .serializableReads = "SET SESSION TRANSACTION ISOLATION LEVEL SERIALIZABLE"});
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

std::string Dialect::QuotedText(std::string_view text) const {
    return std::string(texts_.unicodeQuote) + "'" + base::ReplaceAll(std::string(text), "'", "''") +
           "'";
}

BoundStatement Dialect::GuardedInsert(std::string_view into, std::string_view values,
                                      std::vector<Value> valueParams, std::string_view guard,
                                      std::vector<Value> guardParams) const {
    BoundStatement s;
    if (kind_ == Kind::kSqlServer) {
        // A T-SQL batch: the guard runs first, so its parameters come first.
        s.sql = "IF NOT EXISTS(" + std::string(guard) + ") INSERT INTO " + std::string(into) +
                " VALUES(" + std::string(values) + ")";
        s.params = std::move(guardParams);
        Append(s.params, std::move(valueParams));
        return s;
    }
    s.sql = "INSERT INTO " + std::string(into) + " SELECT " + std::string(values) +
            " WHERE NOT EXISTS(" + std::string(guard) + ")";
    s.params = std::move(valueParams);
    Append(s.params, std::move(guardParams));
    return s;
}

}  // namespace db
