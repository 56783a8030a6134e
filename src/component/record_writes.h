// One record of an ADD and its outcome: checked and written by itself (a transaction of its own,
// or on a server its writer's one statement), or as a part of a trial's transaction. The batches
// (component/add_records.cpp, component/write_groups.cpp) call these for each record.
#pragma once

#include <functional>
#include <string>

#include "component/instance.h"
#include "component/record_kind.h"
#include "xml/document.h"

namespace component {

inline constexpr long kRejected = 101;
inline constexpr long kNotWritten = 100;
inline constexpr long kBatchFault = 999;

struct Outcome {
    long code;
    std::string message;
};

// A record's line of the reply.
struct Result {
    std::string key;
    Outcome outcome;
};

// A record the database did not take, with the database's reason.
Outcome NotWritten(Instance& instance, const std::string& why);

// The record's checks, then `write` (its writer, or its write planned into a group) with the
// place for its message: the checks' failure (kRejected), the write's (kNotWritten), or the
// checks' success. Nothing is trapped. `outcome` holds the success from the moment `write`
// begins, for a caller that must tell what a lost link left.
Outcome CheckAndWrite(Instance& instance, RecordKind& kind, xml::Element record,
                      const std::function<bool(std::string& message)>& write, Outcome& outcome);

// The link to the server broke: the connection is opened anew (a fault when it cannot be, which
// ends the batch).
void Reconnect(Instance& instance);

// The record checked and written in a transaction of its own (on a server, where the writer
// sends one statement, without one), run again while it meets other writers; one that a server
// keeps choosing to end deadlocks is, after a few attempts, not written. A link lost on the way
// is opened anew, and a record whose commit was on its way is read back.
Outcome WriteAlone(Instance& instance, RecordKind& kind, xml::Element record);

// A record of a trial: a part of the batch's transaction, kept for the records after it when
// the real run would have committed it.
Outcome TryRecord(Instance& instance, RecordKind& kind, xml::Element record);

}  // namespace component
