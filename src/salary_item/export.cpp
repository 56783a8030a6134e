#include "salary_item/export.h"

#include "query/conditions.h"
#include "query/export_rows.h"

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

}  // namespace

void ExportItemRows(db::Connection& connection, messages::Messages& messages,
                    query::ExportDocument& document, std::int32_t pageSize,
                    const ItemRowsExport& rows, const query::PageDelivery& deliver) {
    // The count, the rows and the item settings are read from one snapshot of the database.
    db::Transaction snapshot(connection, db::TransactionMode::kSnapshotRead);
    ItemSettings settings(
        connection, messages, rows.itemFilter,
        rows.form == ExportForm::kKest ? LookupFailure::kLeaveOut : LookupFailure::kFault);
    query::ExportRows(
        connection, document, pageSize,
        {"select count(*) " + rows.fromWhere,
         "select " + std::string(rows.columns) + rows.fromWhere},
        [&](const db::Recordset& found) -> query::RecordWriter {
            return ItemRecordWriter(found, settings, rows.form);
        },
        deliver);
    snapshot.Commit();
}

void QueryProc(db::Connection& connection, messages::Messages& messages,
               const xml::NodeList& conditions, std::string& exportText,
               const query::PageDelivery& deliver, query::ClosedConnection closed) {
    query::ExportDocument document(exportText);
    const std::int32_t pageSize = deliver ? document.PageSize() : 0;
    std::string tail = query::ExportCondition(query::BuildItemWhere(conditions, connection, closed),
                                              "WA_psn.iPsnMove = 0");

    ExportItemRows(connection, messages, document, pageSize,
                   {"wa_account.cgzgradename,WA_GZData.*,WA_grade.cPsnGrd ", kFrom + tail,
                    ExportForm::kOrdinary, ""},
                   deliver);
    exportText = document.TakeXml();
}

}  // namespace salary_item
