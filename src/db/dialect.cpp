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
    static const Dialect kSqlite(Kind::kSqlite, "BEGIN", "BEGIN IMMEDIATE", "COMMIT", "ROLLBACK",
                                 "SAVEPOINT ", "ROLLBACK TO ", "RELEASE ");
    static const Dialect kSqlServer(Kind::kSqlServer, "BEGIN TRANSACTION", "BEGIN TRANSACTION",
                                    "COMMIT TRANSACTION", "ROLLBACK TRANSACTION",
                                    "SAVE TRANSACTION ", "ROLLBACK TRANSACTION ", "");
    static const Dialect kMariaDb(Kind::kMariaDb, "START TRANSACTION", "START TRANSACTION",
                                  "COMMIT", "ROLLBACK", "SAVEPOINT ", "ROLLBACK TO SAVEPOINT ",
                                  "RELEASE SAVEPOINT ");
    static const Dialect kStandard(Kind::kStandard, "START TRANSACTION", "START TRANSACTION",
                                   "COMMIT", "ROLLBACK", "SAVEPOINT ", "ROLLBACK TO SAVEPOINT ",
                                   "RELEASE SAVEPOINT ");
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
    return Prefixed(savepoint_, name);
}
std::string Dialect::RollbackToSavepoint(std::string_view name) const {
    return Prefixed(rollbackTo_, name);
}
std::string Dialect::ReleaseSavepoint(std::string_view name) const {
    return Prefixed(release_, name);
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
