// An ADO-shaped recordset over one statement.
//
// With a client-side cursor (adUseClient) all rows are read at Open, so RecordCount is known.
// With a server-side cursor (adUseServer, the default) rows stream from the statement one at a
// time, so an export of any size needs memory for one row; RecordCount is then -1.
// Field handles returned by Fields() and operator[] are valid until the next MoveNext or Close.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/field.h"

namespace db {

class Recordset {
  public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    CursorLocation cursorLocation = adUseServer;
    CursorType cursorType = adOpenForwardOnly;

    // Opens `sql` on `connection`; the cursor and lock arguments, when specified, override the
    // properties as in ADO. Opening an open recordset is a fault.
    void Open(const std::string& sql, Connection& connection, CursorType cursor = adOpenUnspecified,
              LockType lock = adLockUnspecified, const std::vector<Value>& params = {});
    void Close();
    ObjectState State() const { return open_ ? adStateOpen : adStateClosed; }
    // Closes the recordset when it is open (the usual step before reusing it).
    void CloseIfOpen() {
        if (open_) Close();
    }

    bool IsEOF() const;
    void MoveNext();
    long RecordCount() const;

    std::size_t FieldCount() const { return columns_->size(); }
    // The field at an ordinal or of a name (case-insensitive) on the current row; a fault at EOF.
    Field operator[](std::size_t index) const;
    Field operator[](std::string_view name) const;
    const Columns& columns() const { return *columns_; }
    const std::shared_ptr<const Columns>& SharedColumns() const { return columns_; }

    // The rows of a client-side cursor, moved out; the recordset is closed.
    std::vector<std::vector<Value>> TakeRows();

  private:
    // The columns of a closed recordset: one shared instance, not one per recordset.
    static const std::shared_ptr<const Columns>& NoColumns();
    void RequireOpen() const;
    const std::vector<Value>& Row() const;
    bool ReadRow();
    void SettleExpressionTypes();

    bool open_ = false;
    std::shared_ptr<const Columns> columns_ = NoColumns();
    std::unique_ptr<Cursor> stream_;        // server-side cursor
    std::vector<std::vector<Value>> rows_;  // client-side cursor
    std::size_t position_ = 0;
    std::vector<Value> current_;
    bool eof_ = true;
    bool typesSettled_ = false;
};

}  // namespace db
