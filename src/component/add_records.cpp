#include "component/add_records.h"

#include <optional>
#include <vector>

#include "base/fault.h"
#include "component/host_control.h"
#include "component/record_writes.h"
#include "component/write_groups.h"
#include "db/contention.h"
#include "platform/components.h"

namespace component {

namespace {

Result BatchFault(std::string description) {
    return {"Item", {kBatchFault, std::move(description)}};
}

// Each record by itself: its outcome is final when it is given.
template <class Attempt>
struct EachByItself {
    Attempt attempt;
    Outcome Record(xml::Element record, std::vector<Result>&) { return attempt(record); }
    void Finish(std::vector<Result>&) {}
    void AfterFault(std::vector<Result>&) {}
};
template <class Attempt>
EachByItself(Attempt) -> EachByItself<Attempt>;

// The records in groups (component/write_groups.h).
struct InGroups {
    GroupedWrites writes;
    Outcome Record(xml::Element record, std::vector<Result>& results) {
        return writes.Attempt(record, results);
    }
    void Finish(std::vector<Result>& results) { writes.Flush(results); }
    void AfterFault(std::vector<Result>& results) { writes.AfterFault(results); }
};

// Runs `writer` on each record in order; a fault ends the batch as its last result. Contention
// passes on when `passContention` is set, so that the caller can run the whole batch again.
template <class Writer>
std::vector<Result> EachRecord(RecordKind& kind, const xml::NodeList& records, Writer&& writer,
                               bool passContention) {
    std::vector<Result> results;
    // Room for every result and a batch fault up front: a record committed is never left
    // without its result because memory for the list ran out.
    results.reserve(records.size() + 1);
    const long total = static_cast<long>(records.size());
    auto endWithFault = [&] {
        std::string description = base::CurrentFault().description();
        writer.AfterFault(results);
        results.push_back(BatchFault(std::move(description)));
    };
    try {
        for (xml::Element record : records) {
            // A host that was asked to stop gets the results of the records handled so far.
            if (StopRequested()) break;
            kind.ReadAhead(records, results.size());
            std::string key = platform::SharedIntegrationKit().GetFieldValue(record, "personname");
            Outcome outcome = writer.Record(record, results);
            results.push_back({std::move(key), std::move(outcome)});
            ReportProgress(kWagelinkRecords, static_cast<long>(results.size()), total);
        }
        writer.Finish(results);
    } catch (const db::Contention&) {
        if (passContention) throw;
        endWithFault();
    } catch (const std::exception&) {
        endWithFault();
    }
    return results;
}

// Records stay independent of each other: each commits (or rolls back) before the next begins,
// or, where the kind writes in groups, each group before the next.
std::vector<Result> WriteBatch(Instance& instance, RecordKind& kind, const xml::NodeList& records) {
    if (WriteGroup* group = kind.Group(instance.connection->dialect()))
        return EachRecord(kind, records, InGroups{GroupedWrites(instance, kind, *group)}, false);
    return EachRecord(kind, records, EachByItself{[&](xml::Element record) {
                          return WriteAlone(instance, kind, record);
                      }},
                      false);
}

// The batch holds the write lock from the start, so that no other writer changes what its
// records see half-way; should it meet one all the same, it is run again from the first record.
std::vector<Result> TrialBatch(Instance& instance, RecordKind& kind, const xml::NodeList& records) {
    try {
        return db::RetryContended([&] {
            db::Transaction batch(*instance.connection, db::TransactionMode::kWriteNow);
            return EachRecord(kind, records, EachByItself{[&](xml::Element record) {
                                  return TryRecord(instance, kind, record);
                              }},
                              true);
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
