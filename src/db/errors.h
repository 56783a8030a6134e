// The faults of the data layer, each with ADO's number and text, thrown from one place.
#pragma once

#include <string>
#include <string_view>

#include "base/fault.h"

namespace db {

// The link to a database server broke: whether the statement that met it took effect is
// unknown, so work that wrote must be read back before it is reported either way.
class ConnectionLost : public base::Fault {
  public:
    explicit ConnectionLost(const std::string& description);
};

// The object is closed (a recordset or connection used before Open or after Close).
[[noreturn]] void ThrowClosed();
// The object is open (Open called twice).
[[noreturn]] void ThrowOpen();
// BOF or EOF: a field read with no current row.
[[noreturn]] void ThrowNoCurrentRecord();
// No field of that name or ordinal; `name` is added to the text when given.
[[noreturn]] void ThrowItemNotFound(std::string_view name = {});

// A scalar subquery found several rows, which the production database rejects (SQLite would take
// the first); `what` says which lookup.
[[noreturn]] void ThrowSeveralRows(std::string_view what);
// A commit or rollback with no transaction active.
[[noreturn]] void ThrowNoTransaction();

}  // namespace db
