#include "salary_person/export.h"

#include <vector>

#include "base/fault.h"
#include "base/number.h"
#include "db/recordset.h"
#include "platform/components.h"
#include "query/conditions.h"
#include "query/export_rows.h"

namespace salary_person {

namespace {

constexpr const char* kFrom =
    "wa_account inner join WA_psn on wa_account.cgzgradenum=wa_psn.cgzgradenum left join WA_grade "
    "on WA_psn.iPsnGrd_id = WA_grade.iPsnGrd_id ";

constexpr const char* kOrdinaryColumns =
    "wa_account.cgzgradename, WA_psn.cGZGradeNum, WA_psn.cPsn_Num, WA_psn.cPsn_Name, "
    "WA_psn.cLkxcode, WA_psn.cDept_num, WA_psn.iPsnGrd_id, WA_psn.cAccount, WA_psn.dInTime, "
    "WA_psn.dGZTFTime, WA_psn.cMemo, WA_psn.bForeign, WA_psn.bTaxBz, WA_psn.bPRCal, WA_psn.i_id, "
    "WA_psn.iPsnMove, WA_grade.cPsnGrd";

struct Definition {
    std::string number;  // iNum as text
    std::string caption;
};

// Every extra-field definition, in the fixed order of their numbers.
std::vector<Definition> Definitions(db::Connection& connection) {
    db::Recordset rows;
    rows.Open("SELECT * FROM WA_PsnMsg ORDER BY iNum", connection);
    std::vector<Definition> out;
    for (; !rows.IsEOF(); rows.MoveNext())
        out.push_back({rows["iNum"].Text(), rows["cMsgName"].Text()});
    return out;
}

// The field number of an extra-field column: its name without every "M", as a 16-bit integer.
std::string FieldNumberOfColumn(const std::string& column) {
    std::string digits;
    for (char c : column)
        if (c != 'M') digits += c;
    auto n = base::WholeNumber(digits);
    if (!n) base::ThrowTypeMismatch("column " + column + " has no field number");
    return std::to_string(base::ToInt16(*n));
}

// Writes the mapped columns, then one entry per definition of each extra-field column.
class PersonRecordWriter {
  public:
    PersonRecordWriter(const db::Recordset& rows, const std::vector<Definition>& definitions) {
        for (std::size_t i = 0; i < rows.FieldCount(); ++i) {
            const std::string& name = rows.columns()[i].name;
            if (name.empty() || name[0] != 'M') continue;
            const std::string number = FieldNumberOfColumn(name);
            for (const Definition& d : definitions)
                if (d.number == number) entries_.push_back({i, "M" + d.number, d.caption});
        }
    }

    void operator()(xml::Document& doc, xml::Element record, const db::Recordset& row) {
        mapper_->FillRecord(doc, record, "SalaryPersonXmlRs.Xml", row);
        for (const Entry& e : entries_) {
            xml::NewElement entry = doc.CreateElement("entry");
            entry->SetAttribute("name", e.name);
            entry->SetAttribute("extraname", e.caption);
            entry->SetText(row[e.column].Text());  // Null gives the empty text
            record.AppendChild(std::move(entry));
        }
    }

  private:
    struct Entry {
        std::size_t column;
        std::string name;
        std::string caption;
    };
    // Shared by the copies of the writer: one mapper for the export call.
    std::shared_ptr<platform::RowXmlMapper> mapper_ = platform::NewRowXmlMapper();
    std::vector<Entry> entries_;
};

}  // namespace

void QueryProc(db::Connection& connection, const xml::NodeList& conditions, std::string& exportText,
               const query::PageDelivery& deliver, query::ColumnNames columnNames) {
    query::ExportDocument document(exportText);
    const std::int32_t pageSize = deliver ? document.PageSize() : 0;
    const std::string tail = query::ExportCondition(
        query::BuildPersonWhere(conditions, connection, columnNames), "WA_psn.iPsnMove = 0");

    // The definitions, the count and the rows are read from one snapshot of the database.
    db::Transaction snapshot(connection, db::TransactionMode::kSnapshotRead);
    const std::vector<Definition> definitions = Definitions(connection);
    std::string columns;
    for (const Definition& d : definitions) columns += "WA_psn.M" + d.number + ",";
    query::ExportRows(
        connection, document, pageSize,
        {std::string("select count(*) from ") + kFrom + tail,
         "select " + columns + kOrdinaryColumns + " from  " + kFrom + tail},
        [&](const db::Recordset& rows) -> query::RecordWriter {
            return PersonRecordWriter(rows, definitions);
        },
        deliver);
    snapshot.Commit();
    exportText = document.TakeXml();
}

}  // namespace salary_person
