// The COM face of a recordset's current row, as ADO's recordset is reached by name: its `Fields`
// tell their `Count` and hand out an `Item` by ordinal or name (case-insensitive), whose `Name`
// and `Value` (the default member) a caller reads. A value is the column's text as the export
// writes it (Null as Null), so that a mapper writing it as text writes what the Linux build
// writes. What a component keeps of it after the export ends is cut off: a later call faults.
#pragma once

#include <memory>

#include "com/unknown.h"
#include "db/recordset.h"

namespace platform {

class RecordsetFace {
  public:
    explicit RecordsetFace(const db::Recordset& rows);
    ~RecordsetFace();
    RecordsetFace(const RecordsetFace&) = delete;
    RecordsetFace& operator=(const RecordsetFace&) = delete;

    const db::Recordset& rows() const { return **link_; }
    com::IDispatch* object() const { return object_.get(); }

  private:
    // Shared with the objects handed out; empty once this face is gone.
    std::shared_ptr<const db::Recordset*> link_;
    com::ComPtr<com::IDispatch> object_;
};

}  // namespace platform
