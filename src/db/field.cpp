#include "db/field.h"

#include "com/fault.h"

namespace db {

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

Columns::Columns(std::vector<Column> columns) : columns_(std::move(columns)) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        byLowerName_.try_emplace(AsciiLower(columns_[i].name), i);
}

std::size_t Columns::IndexOf(std::string_view name) const {
    auto it = byLowerName_.find(AsciiLower(name));
    if (it == byLowerName_.end())
        throw com::Fault(kItemNotFound,
                         "Item cannot be found in the collection corresponding to the requested "
                         "name or ordinal: " +
                             std::string(name));
    return it->second;
}

}  // namespace db
