#include "component/write_groups.h"

#include <algorithm>
#include <new>
#include <utility>

#include "db/connection.h"
#include "db/contention.h"
#include "db/errors.h"

namespace component {

// Whether the group must be sent before the checks of `record` run; when that cannot be told, it
// is sent.
bool GroupedWrites::HeldBack(xml::Element record) {
    if (members_.empty()) return false;
    try {
        return group_.Holds(record);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return true;
    }
}

Outcome GroupedWrites::Attempt(xml::Element record, std::vector<Result>& results) {
    if (HeldBack(record)) Flush(results);
    Outcome outcome{kNotWritten, ""};
    try {
        // Only the checks read here, outside any transaction; another writer's lock they wait
        // for makes them run again. A record whose write is planned has the checks' success.
        outcome = db::RetryContended([&] {
            Outcome checked{kNotWritten, ""};
            return CheckAndWrite(
                instance_, kind_, record,
                [&](std::string& why) { return group_.Plan(record, why); }, checked);
        });
    } catch (const db::Deadlock& deadlock) {
        return NotWritten(instance_, deadlock.description());
    } catch (const db::ConnectionLost& lost) {
        // Nothing of this record was on its way; the group waits for the new connection.
        Reconnect(instance_);
        return NotWritten(instance_, lost.description());
    }
    if (outcome.code != 0) return outcome;
    if (!group_.Fits()) Flush(results);
    Member member{results.size(), record, NotWritten(instance_, group_.Unmatched())};
    // Room first, so that the group and its members stay in step when memory runs out; grown
    // by doubling, as push_back would.
    if (members_.size() == members_.capacity())
        members_.reserve(std::max<std::size_t>(16, 2 * members_.capacity()));
    group_.Join();
    members_.push_back(std::move(member));
    return outcome;
}

GroupedWrites::Sent GroupedWrites::Send(std::vector<bool>& written) {
    bool committing = false;
    try {
        db::Transaction transaction(*instance_.connection);
        if (!group_.Send(written)) return Sent::kNotKept;
        committing = true;
        transaction.Commit();
        return Sent::kCommitted;
    } catch (const db::ConnectionLost&) {
        return committing ? Sent::kLostInCommit : Sent::kLinkLost;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        // Contention, a deadlock, a value the database refused: rolled back.
        return Sent::kNotKept;
    }
}

void GroupedWrites::Flush(std::vector<Result>& results) {
    if (members_.empty()) return;
    sending_ = true;
    // A record alone costs one round trip by itself, where a group costs its transaction's.
    std::vector<bool> written;
    switch (members_.size() == 1 ? Sent::kNotKept : Send(written)) {
        case Sent::kCommitted:
            for (std::size_t i = 0; i < members_.size(); ++i)
                if (!written[i])
                    std::swap(results[members_[i].place].outcome, members_[i].unmatched);
            break;
        case Sent::kNotKept:
            OneByOne(results);
            break;
        case Sent::kLinkLost:
            Reconnect(instance_);
            OneByOne(results);
            break;
        case Sent::kLostInCommit:
            Reconnect(instance_);
            ReadBack(results);
            break;
    }
    Settled();
    sending_ = false;
}

void GroupedWrites::OneByOne(std::vector<Result>& results) {
    for (; settled_ < members_.size(); ++settled_) {
        const Member& member = members_[settled_];
        results[member.place].outcome = WriteAlone(instance_, kind_, member.record);
    }
}

void GroupedWrites::ReadBack(std::vector<Result>& results) {
    for (; settled_ < members_.size(); ++settled_) {
        const Member& member = members_[settled_];
        if (!kind_.Written(member.record))
            results[member.place].outcome = WriteAlone(instance_, kind_, member.record);
    }
}

void GroupedWrites::Settled() {
    members_.clear();
    settled_ = 0;
    group_.Clear();
}

void GroupedWrites::AfterFault(std::vector<Result>& results) {
    if (!sending_) {
        try {
            Flush(results);
            return;
        } catch (...) {
            // What the group's records became is not known: they go unreported, below.
        }
    }
    if (settled_ < members_.size()) results.resize(members_[settled_].place);
    Settled();
    sending_ = false;
}

}  // namespace component
