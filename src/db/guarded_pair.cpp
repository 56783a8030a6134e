#include "db/guarded_pair.h"

namespace db {

namespace {

bool InsertOneAfterTheOther(Connection& connection, GuardedRow first, GuardedRow second) {
    const Dialect& dialect = connection.dialect();
    BoundStatement insert = dialect.GuardedInsert(std::move(first));
    if (connection.Execute(insert.sql, insert.params) == 0) return false;
    insert = dialect.GuardedInsert(std::move(second));
    connection.Execute(insert.sql, insert.params);
    return true;
}

// What a failed pair left open (a transaction, a session setting) is ended; that this fails too,
// on a broken link, changes nothing: the server ends the transaction with the session.
void EndFailedPair(Connection& connection) {
    const std::string after(connection.dialect().AfterFailedPair());
    if (after.empty()) return;
    try {
        connection.Execute(after);
    } catch (...) {
        // The pair's own fault is the one to report.
    }
}

}  // namespace

bool InsertGuardedPair(Connection& connection, GuardedRow first, GuardedRow second) {
    if (connection.InTransaction())
        return InsertOneAfterTheOther(connection, std::move(first), std::move(second));
    const Dialect& dialect = connection.dialect();
    if (!dialect.HasGuardedPair()) {
        Transaction transaction(connection);
        const bool written =
            InsertOneAfterTheOther(connection, std::move(first), std::move(second));
        transaction.Commit();
        return written;
    }
    BoundStatement pair = dialect.GuardedPair(std::move(first), std::move(second));
    try {
        return connection.Execute(pair.sql, pair.params) > 0;
    } catch (...) {
        EndFailedPair(connection);
        throw;
    }
}

}  // namespace db
