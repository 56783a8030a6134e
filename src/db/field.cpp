#include "db/field.h"

#include "base/text.h"
#include "db/errors.h"

namespace db {

Columns::Columns(std::vector<Column> columns) : columns_(std::move(columns)) {
    for (std::size_t i = 0; i < columns_.size(); ++i) byName_.try_emplace(columns_[i].name, i);
}

std::optional<std::size_t> Columns::Find(std::string_view name) const {
    auto it = byName_.find(name);
    if (it == byName_.end()) return std::nullopt;
    return it->second;
}

std::size_t Columns::IndexOf(std::string_view name) const {
    std::optional<std::size_t> index = Find(name);
    if (!index) ThrowItemNotFound(name);
    return *index;
}

}  // namespace db
