#include "db/field.h"

#include "com/fault.h"
#include "com/text.h"

namespace db {

Columns::Columns(std::vector<Column> columns) : columns_(std::move(columns)) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        byLowerName_.try_emplace(com::AsciiLower(columns_[i].name), i);
}

std::size_t Columns::IndexOf(std::string_view name) const {
    auto it = byLowerName_.find(com::AsciiLower(name));
    if (it == byLowerName_.end())
        throw com::Fault(kItemNotFound,
                         "Item cannot be found in the collection corresponding to the requested "
                         "name or ordinal: " +
                             std::string(name));
    return it->second;
}

}  // namespace db
