#include "db/errors.h"

#include <string>

#include "base/fault.h"
#include "db/types.h"

namespace db {

ConnectionLost::ConnectionLost(const std::string& description)
    : base::Fault(kProviderError, description) {}

void ThrowClosed() {
    throw base::Fault(kClosedObject, "Operation is not allowed when the object is closed.");
}

void ThrowOpen() {
    throw base::Fault(kOpenObject, "Operation is not allowed when the object is open.");
}

void ThrowNoCurrentRecord() {
    throw base::Fault(kNoCurrentRecord,
                      "Either BOF or EOF is True, or the current record has been deleted.");
}

void ThrowItemNotFound(std::string_view name) {
    std::string text =
        "Item cannot be found in the collection corresponding to the requested name or ordinal.";
    if (!name.empty()) text.append(" ").append(name);
    throw base::Fault(kItemNotFound, text);
}

void ThrowSeveralRows(std::string_view what) {
    throw base::Fault(
        kErrorsInCommand,
        "A subquery returned more than one value where one is required: " + std::string(what));
}

void ThrowNoTransaction() {
    throw base::Fault(kNoTransaction, "No transaction is active.");
}

}  // namespace db
