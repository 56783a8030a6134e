#include "salary_item/export.h"

#include <map>
#include <optional>

#include "base/fault.h"
#include "base/number.h"
#include "db/lookup.h"
#include "platform/integration_kit.h"
#include "platform/row_xml_mapper.h"
#include "query/conditions.h"

namespace salary_item {

namespace {

// The payroll rows with their category, each with its roster entry and payroll where one exists.
// Written as a left join of the payroll rows, which selects exactly the rows of the right join
// "(wa_account inner join WA_psn) right join (WA_GZData left join WA_grade)", because SQLite
// plans that right join as a scan of all payroll rows for every roster row.
constexpr const char* kFrom =
    "from (WA_GZData left join WA_grade on WA_GZData.iPsnGrd_id = WA_grade.iPsnGrd_id) left join "
    "(wa_account inner join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum) ON "
    "WA_psn.cGZGradeNum = WA_GZData.cGZGradeNum AND WA_psn.cPsn_Num = WA_GZData.cPsn_Num ";

// The working document or the template: the request's root element, emptied of its children.
xml::Document EmptiedRequest(const std::string& text) {
    xml::Document doc;
    if (!doc.Load(text) || !doc.Root())
        base::ThrowObjectNotSet("the export document is not well-formed XML");
    doc.Root().SetText("");
    return doc;
}

std::int32_t PageSize(const xml::Document& doc) {
    std::string text = platform::SharedIntegrationKit().GetAttribute(doc.Root(), "paginate");
    auto n = base::WholeNumber(text);
    if (!n) base::ThrowTypeMismatch("paginate '" + text + "' is not a whole number");
    return base::ToInt32(*n);
}

// The number of an item column: its name without every "f_" (any case), as a 16-bit integer.
std::int16_t ItemNumber(const std::string& column) {
    std::string digits;
    for (std::size_t i = 0; i < column.size(); ++i) {
        if (i + 1 < column.size() && (column[i] == 'f' || column[i] == 'F') &&
            column[i + 1] == '_') {
            ++i;
        } else {
            digits += column[i];
        }
    }
    auto n = base::WholeNumber(digits);
    if (!n) base::ThrowTypeMismatch("column " + column + " has no item number");
    return base::ToInt16(*n);
}

struct ItemSetting {
    std::string name;  // through Lang
    std::string style;
};

// Item settings, looked up once per item and export call.
class ItemSettings {
  public:
    ItemSettings(db::Connection& connection, messages::Messages& messages)
        : connection_(connection), messages_(messages) {}

    const std::optional<ItemSetting>& Of(std::int16_t item) {
        auto it = cache_.find(item);
        if (it != cache_.end()) return it->second;
        std::optional<ItemSetting> setting;
        db::Recordset settings;
        if (db::Lookup(
                settings, connection_,
                "SELECT WA_GZtblset.* FROM WA_GZtblset RIGHT JOIN WA_GZItem ON "
                "WA_GZtblset.iGZItem_id = WA_GZItem.iGZItem_id WHERE WA_GZtblset.iGZItem_id = ?",
                {std::int64_t{item}}) > 0) {
            db::Recordset names;
            db::Lookup(names, connection_, "SELECT * FROM WA_GZtblset WHERE iGZItem_id = ?",
                       {std::int64_t{item}});
            setting = ItemSetting{messages_.Lang(names["cSetGZItemName"].Text()),
                                  settings["iSetGZItemStyle"].Text()};
        }
        return cache_.emplace(item, std::move(setting)).first->second;
    }

  private:
    db::Connection& connection_;
    messages::Messages& messages_;
    std::map<std::int16_t, std::optional<ItemSetting>> cache_;
};

}  // namespace

void QueryProc(db::Connection& connection, messages::Messages& messages,
               const xml::NodeList& eleList, std::string& sRetXml,
               const query::PageDelivery& deliver) {
    xml::Document working = EmptiedRequest(sRetXml);
    // The template every page starts from: the emptied root with all its attributes.
    const std::string pageTemplate = working.Xml();
    const std::int32_t pageSize = PageSize(working);

    std::string where = query::BuildItemWhere(eleList, connection);
    std::string tail = query::ExportCondition(where, "WA_psn.iPsnMove = 0");

    std::int32_t total = 0;
    if (pageSize >= 1) {
        db::Recordset count;
        count.Open(std::string("select count(*) ") + kFrom + tail, connection, db::adOpenStatic,
                   db::adLockReadOnly);
        total = count.IsEOF() ? 0 : base::ToInt32(db::ValueNumber(count[0].value()));
    }
    query::Pager pager(pageSize, total);

    db::Recordset rows;
    rows.Open(
        std::string("select wa_account.cgzgradename,WA_GZData.*,WA_grade.cPsnGrd ") + kFrom + tail,
        connection, db::adOpenForwardOnly, db::adLockReadOnly);
    platform::RowXmlMapper mapper;
    ItemSettings settings(connection, messages);
    std::vector<std::pair<std::size_t, std::int16_t>> itemColumns;  // column index, item number
    for (std::size_t i = 0; i < rows.FieldCount(); ++i)
        if (rows.columns()[i].name.find("F_") != std::string::npos)
            itemColumns.emplace_back(i, ItemNumber(rows.columns()[i].name));
    std::optional<std::string> recordName;

    for (; !rows.IsEOF(); rows.MoveNext()) {
        if (!recordName) {
            if (!working.Root().HasAttribute("roottag"))
                base::ThrowInvalidUseOfNull("the request's root has no roottag attribute");
            recordName = working.Root().GetAttribute("roottag");
        }
        xml::NewElement record = working.CreateElement(*recordName);
        mapper.FillRecord(working, record.get(), "SalaryItemXmlRs.Xml", rows);
        for (const auto& [index, item] : itemColumns) {
            const std::optional<ItemSetting>& setting = settings.Of(item);
            if (!setting) continue;
            db::Field value = rows[index];
            xml::NewElement entry = working.CreateElement("entry");
            entry->SetAttribute("name", setting->name);
            entry->SetAttribute("type", setting->style);
            entry->SetText(value.IsNull() ? "0" : value.Text());
            record->AppendChild(std::move(entry));
        }
        working.Root().AppendChild(std::move(record));
        if (pager.AfterRecord([&] { return working.Xml(); }, deliver))
            working = EmptiedRequest(pageTemplate);
    }
    rows.Close();
    sRetXml = working.Xml();
}

}  // namespace salary_item
