#include "component/add_records.h"

#include <vector>

#include "base/fault.h"
#include "component/host_control.h"
#include "db/contention.h"
#include "db/errors.h"
#include "platform/integration_kit.h"
#include "platform/message_ids.h"

namespace component {

namespace {

constexpr long kRejected = 101;
constexpr long kNotWritten = 100;
constexpr long kBatchFault = 999;

struct Outcome {
    long code;
    std::string message;
};

struct Result {
    std::string key;
    Outcome outcome;
};

Result BatchFault(std::string description) {
    return {"Item", {kBatchFault, std::move(description)}};
}

// A record the database did not take, with the database's reason.
Outcome NotWritten(Instance& instance, const std::string& why) {
    return {kNotWritten, instance.messages.GetResString(message_ids::kDatabaseError) + "：" + why};
}

// The checks and the writer of one record, inside whatever transaction the caller holds; the
// caller keeps the record's writes only when the code is 0. `outcome` holds the record's success
// from the moment its writer begins, for a caller that must tell what a lost link left.
Outcome RunRecord(Instance& instance, RecordKind& kind, xml::Element record, Outcome& outcome) {
    kind.BeginRecord();
    std::string m1;
    if (!kind.Validate(record, m1)) return {kRejected, m1};
    outcome = {0, m1};
    std::string m2;
    if (!kind.Write(record, m2)) return NotWritten(instance, m2);
    return outcome;
}

Outcome RunRecord(Instance& instance, RecordKind& kind, xml::Element record) {
    Outcome outcome{kNotWritten, ""};
    return RunRecord(instance, kind, record, outcome);
}

// The link to the server broke during a record. What the record wrote before its commit the
// server rolled back; a commit on its way may have happened or not, so the record is read back
// on a new connection and reported as it is found. The batch goes on on the new connection;
// when none can be opened, its fault ends the batch.
Outcome AfterLostLink(Instance& instance, RecordKind& kind, xml::Element record,
                      const Outcome& committed, bool committing, const db::ConnectionLost& lost) {
    instance.connection->Close();
    instance.connection->Open(instance.connection->ConnectionString());
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

// A record of a trial: a part of the batch's transaction, kept for the records after it when
// the real run would have committed it.
Outcome TryRecord(Instance& instance, RecordKind& kind, xml::Element record) {
    db::Savepoint part(*instance.connection);
    Outcome outcome = RunRecord(instance, kind, record);
    if (outcome.code == 0) part.Keep();
    return outcome;
}

// Runs `attempt` on each record in order; a fault ends the batch as its last result. Contention
// passes on when `passContention` is set, so that the caller can run the whole batch again.
template <class Attempt>
std::vector<Result> EachRecord(RecordKind& kind, const xml::NodeList& records, Attempt&& attempt,
                               bool passContention) {
    std::vector<Result> results;
    // Room for every result and a batch fault up front: a record committed is never left
    // without its result because memory for the list ran out.
    results.reserve(records.size() + 1);
    const long total = static_cast<long>(records.size());
    try {
        for (xml::Element record : records) {
            // A host that was asked to stop gets the results of the records handled so far.
            if (StopRequested()) break;
            kind.ReadAhead(records, results.size());
            std::string key = platform::SharedIntegrationKit().GetFieldValue(record, "personname");
            Outcome outcome = attempt(record);
            results.push_back({std::move(key), std::move(outcome)});
            ReportProgress(kWagelinkRecords, static_cast<long>(results.size()), total);
        }
    } catch (const db::Contention&) {
        if (passContention) throw;
        results.push_back(BatchFault(base::CurrentFault().description()));
    } catch (const std::exception&) {
        results.push_back(BatchFault(base::CurrentFault().description()));
    }
    return results;
}

// Records stay independent of each other: each commits (or rolls back) before the next begins.
// A record that meets another writer (the lock taken, or its snapshot made stale) is rolled back
// and run again, checks included, until it gets through or the contention limit passes. One
// that a server keeps choosing to end deadlocks is, after a few attempts, not written.
std::vector<Result> WriteBatch(Instance& instance, RecordKind& kind, const xml::NodeList& records) {
    return EachRecord(
        kind, records,
        [&](xml::Element record) -> Outcome {
            try {
                return db::RetryContended([&] { return WriteRecord(instance, kind, record); });
            } catch (const db::Deadlock& deadlock) {
                return NotWritten(instance, deadlock.description());
            }
        },
        false);
}

// The batch holds the write lock from the start, so that no other writer changes what its
// records see half-way; should it meet one all the same, it is run again from the first record.
std::vector<Result> TrialBatch(Instance& instance, RecordKind& kind, const xml::NodeList& records) {
    try {
        return db::RetryContended([&] {
            db::Transaction batch(*instance.connection, db::TransactionMode::kWriteNow);
            return EachRecord(
                kind, records,
                [&](xml::Element record) { return TryRecord(instance, kind, record); }, true);
        });  // never committed
    } catch (const base::Fault& fault) {
        return {BatchFault(fault.description())};
    }
}

}  // namespace

bool AddRecords(Instance& instance, RecordKind& kind, const xml::NodeList& records,
                std::string& reply, AddMode mode) {
    std::vector<Result> results = mode == AddMode::kTrial ? TrialBatch(instance, kind, records)
                                                          : WriteBatch(instance, kind, records);
    bool completed = true;
    for (const Result& result : results) {
        platform::SharedIntegrationKit().AddResult(instance.reply, result.key, result.outcome.code,
                                                   result.outcome.message);
        completed = completed && result.outcome.code != kBatchFault;
    }
    reply = instance.reply.Xml();
    return completed;
}

}  // namespace component
