#include "component/record_writes.h"

#include "db/contention.h"
#include "db/errors.h"
#include "platform/message_ids.h"

namespace component {

namespace {

// The checks and the writer of one record, inside whatever transaction the caller holds; the
// caller keeps the record's writes only when the code is 0.
Outcome RunRecord(Instance& instance, RecordKind& kind, xml::Element record, Outcome& outcome) {
    return CheckAndWrite(
        instance, kind, record, [&](std::string& message) { return kind.Write(record, message); },
        outcome);
}

Outcome RunRecord(Instance& instance, RecordKind& kind, xml::Element record) {
    Outcome outcome{kNotWritten, ""};
    return RunRecord(instance, kind, record, outcome);
}

// What the record wrote before its commit the server rolled back; a commit on its way may have
// happened or not, so the record is read back on a new connection and reported as it is found.
Outcome AfterLostLink(Instance& instance, RecordKind& kind, xml::Element record,
                      const Outcome& committed, bool committing, const db::ConnectionLost& lost) {
    Reconnect(instance);
    if (committing && kind.Written(record)) return committed;
    return NotWritten(instance, lost.description());
}

// One attempt at a record in a transaction of its own. The checks read from the transaction's
// snapshot and take no lock; the writes take the write lock, so a writer holds it only while it
// writes. On a server, a record whose writer sends one statement needs no transaction: the
// statement commits by itself, and once it is on its way the record may have been written.
Outcome WriteRecord(Instance& instance, RecordKind& kind, xml::Element record) {
    Outcome outcome{kNotWritten, ""};
    bool committing = false;
    const db::Dialect& dialect = instance.connection->dialect();
    const bool oneStatement =
        dialect.kind() != db::Dialect::Kind::kSqlite && kind.WritesOneStatement(dialect);
    try {
        if (oneStatement) return RunRecord(instance, kind, record, outcome);
        db::Transaction transaction(*instance.connection);
        outcome = RunRecord(instance, kind, record);
        committing = outcome.code == 0;
        if (committing) transaction.Commit();
        return outcome;
    } catch (const db::ConnectionLost& lost) {
        // Without a transaction the writer's statement was on its way once the checks passed.
        if (oneStatement) committing = outcome.code == 0;
        return AfterLostLink(instance, kind, record, outcome, committing, lost);
    }
}

}  // namespace

Outcome CheckAndWrite(Instance& instance, RecordKind& kind, xml::Element record,
                      const std::function<bool(std::string& message)>& write, Outcome& outcome) {
    kind.BeginRecord();
    std::string m1;
    if (!kind.Validate(record, m1)) return {kRejected, m1};
    outcome = {0, m1};
    std::string m2;
    if (!write(m2)) return NotWritten(instance, m2);
    return outcome;
}

Outcome NotWritten(Instance& instance, const std::string& why) {
    return {kNotWritten, instance.messages.GetResString(message_ids::kDatabaseError) + "：" + why};
}

void Reconnect(Instance& instance) {
    instance.connection->Close();
    instance.connection->Open(instance.connection->ConnectionString());
}

// A record that meets another writer (the lock taken, or its snapshot made stale) is rolled back
// and run again, checks included, until it gets through or the contention limit passes.
Outcome WriteAlone(Instance& instance, RecordKind& kind, xml::Element record) {
    try {
        return db::RetryContended([&] { return WriteRecord(instance, kind, record); });
    } catch (const db::Deadlock& deadlock) {
        return NotWritten(instance, deadlock.description());
    }
}

Outcome TryRecord(Instance& instance, RecordKind& kind, xml::Element record) {
    db::Savepoint part(*instance.connection);
    Outcome outcome = RunRecord(instance, kind, record);
    if (outcome.code == 0) part.Keep();
    return outcome;
}

}  // namespace component
