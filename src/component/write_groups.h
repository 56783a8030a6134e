// The records of an ADD written in groups (RecordKind::Group), where a round trip and a commit
// are what a record costs: each record is checked as it comes and its write planned into the
// group; the group is sent as one statement in a transaction of its own when the next record
// does not fit, and at the end. Every record keeps the outcome it would have by itself:
//
// - A record whose checks read what the group writes (its person's enrolment) is checked after
//   the group was sent.
// - A record is reported written only once the commit that holds it is done; until then its
//   result is a place held in the reply's order.
// - When the group's statement fails (another writer, a deadlock, a value the database refuses)
//   or its answer does not tell each record's outcome, nothing of it is kept and its records
//   are written again one by one, so only a failing record fails.
// - When the link breaks, the group is written again one by one on a new connection; when it
//   broke while the commit was on its way, a record found written is reported written.
// - A fault that ends the batch sends the group first (unless sending it was what failed); a
//   record whose outcome is then not known is not reported, nor is any after it.
#pragma once

#include <cstddef>
#include <vector>

#include "component/instance.h"
#include "component/record_kind.h"
#include "component/record_writes.h"
#include "xml/document.h"

namespace component {

class GroupedWrites {
  public:
    GroupedWrites(Instance& instance, RecordKind& kind, WriteGroup& group)
        : instance_(instance), kind_(kind), group_(group) {}

    // The record that will be results.size()'s: checked, and its write planned into the group
    // (the group sent first when the record does not fit). A record that joined the group gets
    // its success, which Flush may change.
    Outcome Attempt(xml::Element record, std::vector<Result>& results);
    // Sends the group and settles its records' outcomes in `results`.
    void Flush(std::vector<Result>& results);
    // After a fault that ends the batch, before its result is added.
    void AfterFault(std::vector<Result>& results);

  private:
    struct Member {
        std::size_t place;  // in the results
        xml::Element record;
        Outcome unmatched;  // made before the commit, so that no memory is needed after it
    };
    enum class Sent { kCommitted, kNotKept, kLinkLost, kLostInCommit };

    bool HeldBack(xml::Element record);
    Sent Send(std::vector<bool>& written);
    void OneByOne(std::vector<Result>& results);
    void ReadBack(std::vector<Result>& results);
    void Settled();

    Instance& instance_;
    RecordKind& kind_;
    WriteGroup& group_;
    std::vector<Member> members_;
    std::size_t settled_ = 0;  // members whose outcome is final
    bool sending_ = false;     // set while Flush runs: a fault it lets out was sending's
};

}  // namespace component
