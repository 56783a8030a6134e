// AddRecords: the ADD driver. Each record is checked and written in a transaction of its own,
// committed only when the writer succeeded, and answered with one result in the reply (code 0,
// 101 rejected by the checks, 100 not written); a fault ends the batch with "Item"/999, the
// records before it keeping their results. On a server, a kind that writes in groups
// (RecordKind::Group) has its records written a group at a time, each with the outcome it would
// have by itself (component/write_groups.h).
//
// A trial (a validate-only request) runs the same checks and writers and gives the same results,
// but inside one transaction that is always rolled back: each record is a part of it, undone
// when the record fails, so later records see what earlier ones would have written, and nothing
// is written in the end.
#pragma once

#include <string>

#include "component/instance.h"
#include "component/record_kind.h"

namespace component {

enum class AddMode { kWrite, kTrial };

// Leaves the reply document's XML in `reply`; false when a fault stopped the batch.
bool AddRecords(Instance& instance, RecordKind& kind, const xml::NodeList& records,
                std::string& reply, AddMode mode = AddMode::kWrite);

}  // namespace component
