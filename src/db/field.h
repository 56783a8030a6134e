// Field and Fields of a recordset's current row, as ADO presents them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "db/types.h"
#include "db/value.h"

namespace db {

struct Column {
    std::string name;  // as the statement reports it
    DataType type;
};

// One column of the current row. Valid until the recordset moves or closes.
class Field {
  public:
    Field(const Column& column, const Value& value) : column_(&column), value_(&value) {}
    const std::string& Name() const { return column_->name; }
    DataType Type() const { return column_->type; }
    const Value& value() const { return *value_; }
    bool IsNull() const { return db::IsNull(*value_); }
    std::string Text() const { return ValueText(*value_); }

  private:
    const Column* column_;
    const Value* value_;
};

// The ordered columns of a statement with case-insensitive lookup by name (the first column of a
// name wins, as in ADO).
class Columns {
  public:
    Columns() = default;
    explicit Columns(std::vector<Column> columns);
    std::size_t size() const { return columns_.size(); }
    const Column& operator[](std::size_t i) const { return columns_[i]; }
    // The index of `name`; an ADO item-not-found fault when there is none.
    std::size_t IndexOf(std::string_view name) const;
    // The index of `name`; nullopt when there is none.
    std::optional<std::size_t> Find(std::string_view name) const;
    void SetType(std::size_t i, DataType type) { columns_[i].type = type; }

  private:
    std::vector<Column> columns_;
    base::NoCaseMap<std::size_t> byName_;
};

}  // namespace db
