#include "salary_item/item_record_writer.h"

#include "base/fault.h"

namespace salary_item {

ItemRecordWriter::ItemRecordWriter(const db::Recordset& rows, ItemSettings& settings,
                                   ExportForm form)
    : settings_(settings), form_(form) {
    for (std::size_t i = 0; i < rows.FieldCount(); ++i) {
        const std::string& name = rows.columns()[i].name;
        if (IsItemColumn(name)) {
            columns_.push_back({i, Kind::kItem, ItemNumber(name)});
        } else if (form_ == ExportForm::kKest && name == "cpsnmobilephone") {
            columns_.push_back({i, Kind::kMobilePhone});
        } else if (form_ == ExportForm::kKest && name == "cdepname") {
            columns_.push_back({i, Kind::kDepartmentName});
        }
    }
}

void ItemRecordWriter::operator()(xml::Document& doc, xml::Element record,
                                  const db::Recordset& row) {
    try {
        mapper_->FillRecord(doc, record, "SalaryItemXmlRs.Xml", row);
    } catch (const base::Fault&) {
        if (form_ == ExportForm::kOrdinary) throw;
    }
    for (const Column& c : columns_) {
        db::Field value = row[c.index];
        if (c.kind == Kind::kItem) {
            AppendItem(doc, record, value, c.item);
            continue;
        }
        bool mobile = c.kind == Kind::kMobilePhone;
        xml::NewElement element = doc.CreateElement(mobile ? "cpsnmobilephone" : "departmentname");
        element->SetText(value.IsNull() ? (mobile ? "Null" : "") : value.Text());
        record.AppendChild(std::move(element));
    }
}

void ItemRecordWriter::AppendItem(xml::Document& doc, xml::Element record, const db::Field& value,
                                  std::int16_t item) {
    const std::optional<ItemSetting>& setting = settings_.Of(item);
    if (!setting) return;
    xml::NewElement entry = doc.CreateElement("entry");
    if (setting->name) entry->SetAttribute("name", *setting->name);
    if (setting->style) entry->SetAttribute("type", *setting->style);
    entry->SetText(value.IsNull() ? "0" : value.Text());
    record.AppendChild(std::move(entry));
}

}  // namespace salary_item
