#include "db/recordset.h"

#include "db/declared_types.h"
#include "db/errors.h"

namespace db {

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::Open(const std::string& sql, Connection& connection, CursorType cursor,
                     LockType /*lock*/, const std::vector<Value>& params) {
    if (open_) ThrowOpen();
    if (cursor != adOpenUnspecified) cursorType = cursor;
    Backend& db = connection.Backend();
    connection.BeforeStatement(sql, StatementKind::kLookup);
    stream_ = db.Query(sql, params);
    columns_ = stream_->columns();
    rows_.clear();
    position_ = 0;
    typesSettled_ = false;
    open_ = true;

    if (cursorLocation == adUseClient) {
        while (ReadRow()) rows_.push_back(std::move(current_));
        stream_.reset();
        eof_ = rows_.empty();
    } else {
        eof_ = !ReadRow();
    }
}

bool Recordset::ReadRow() {
    if (!stream_->Next(current_)) return false;
    SettleExpressionTypes();
    return true;
}

void Recordset::SettleExpressionTypes() {
    if (typesSettled_) return;
    typesSettled_ = true;
    // An expression column has no declared type; its first value decides, as a provider would.
    std::shared_ptr<Columns> typed;
    for (std::size_t i = 0; i < columns_->size(); ++i) {
        if ((*columns_)[i].type != adEmpty) continue;
        if (!typed) typed = std::make_shared<Columns>(*columns_);
        typed->SetType(i, TypeOfValue(current_[i]));
    }
    if (typed) columns_ = std::move(typed);
}

void Recordset::Close() {
    RequireOpen();
    stream_.reset();
    rows_.clear();
    current_.clear();
    columns_ = NoColumns();
    open_ = false;
    eof_ = true;
}

std::vector<std::vector<Value>> Recordset::TakeRows() {
    std::vector<std::vector<Value>> rows = std::move(rows_);
    Close();
    return rows;
}

const std::shared_ptr<const Columns>& Recordset::NoColumns() {
    static const std::shared_ptr<const Columns> none = std::make_shared<const Columns>();
    return none;
}

void Recordset::RequireOpen() const {
    if (!open_) ThrowClosed();
}

bool Recordset::IsEOF() const {
    RequireOpen();
    return eof_;
}

void Recordset::MoveNext() {
    RequireOpen();
    if (eof_) ThrowNoCurrentRecord();
    if (stream_) {
        eof_ = !ReadRow();
        if (eof_) stream_.reset();
    } else {
        ++position_;
        eof_ = position_ >= rows_.size();
    }
}

long Recordset::RecordCount() const {
    RequireOpen();
    return cursorLocation == adUseClient ? static_cast<long>(rows_.size()) : -1;
}

const std::vector<Value>& Recordset::Row() const {
    RequireOpen();
    if (eof_) ThrowNoCurrentRecord();
    return stream_ ? current_ : rows_[position_];
}

Field Recordset::operator[](std::size_t index) const {
    const auto& row = Row();
    if (index >= columns_->size()) ThrowItemNotFound();
    return Field((*columns_)[index], row[index]);
}

Field Recordset::operator[](std::string_view name) const {
    const auto& row = Row();
    std::size_t i = columns_->IndexOf(name);
    return Field((*columns_)[i], row[i]);
}

}  // namespace db
