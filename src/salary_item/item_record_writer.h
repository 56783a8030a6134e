// Writes one record element of a salary item export from the current row: what RowXmlMapper
// writes with "SalaryItemXmlRs.Xml", then, column by column in the row's order, one `entry` per
// payroll item column (IsItemColumn) whose item has a setting, and for the kest form the
// person's `departmentname` (column cdepname, empty when Null) and `cpsnmobilephone` (the text
// "Null" when Null).
#pragma once

#include <cstdint>
#include <vector>

#include "db/recordset.h"
#include "platform/components.h"
#include "salary_item/item_settings.h"
#include "xml/document.h"

namespace salary_item {

enum class ExportForm { kOrdinary, kKest };

class ItemRecordWriter {
  public:
    // Looks at the row statement's columns once. In the kest form a failing mapper call leaves
    // the record without the mapper's content, as the kest export goes on past failing steps.
    ItemRecordWriter(const db::Recordset& rows, ItemSettings& settings, ExportForm form);

    void operator()(xml::Document& doc, xml::Element record, const db::Recordset& row);

  private:
    enum class Kind { kItem, kDepartmentName, kMobilePhone };
    struct Column {
        std::size_t index;
        Kind kind;
        std::int16_t item = 0;
    };
    void AppendItem(xml::Document& doc, xml::Element record, const db::Field& value,
                    std::int16_t item);

    ItemSettings& settings_;
    ExportForm form_;
    // Shared by the copies of the writer: one mapper for the export call.
    std::shared_ptr<platform::RowXmlMapper> mapper_ = platform::NewRowXmlMapper();
    std::vector<Column> columns_;
};

}  // namespace salary_item
