// ISalaryItem.QueryProc: exports the payroll rows (WA_GZData) that match the request's
// conditions and whose roster entry has iPsnMove 0, one record element per row (the mapped
// ordinary columns, then one `entry` per payroll item column with a setting), into a copy of the
// request's root element. With `paginate` 1 or more, pages go to `deliver`; what is left returns
// in exportText.
//
// Nothing is trapped: a bad `paginate`, a missing `roottag`, a bad condition, a rejected
// statement or an undeliverable page ends the export with a fault (pages already delivered stay
// delivered). The count, the rows and the item settings are read from one snapshot of the
// database, so the page count always matches the pages delivered. Rows stream from the
// database, so a paged export's memory does not grow with the number of rows; item settings are
// read once per item per call.
#pragma once

#include <string>

#include "db/connection.h"
#include "messages/messages.h"
#include "query/conditions.h"
#include "query/export_document.h"
#include "query/pager.h"
#include "salary_item/item_record_writer.h"
#include "xml/document.h"

namespace salary_item {

// Without `deliver` (a revision that holds no caller) the export is never paged: paginate is not
// read, no count runs, and every record comes back in `exportText`. `closed` is what the condition
// builder does with a closed connection.
void QueryProc(db::Connection& connection, messages::Messages& messages,
               const xml::NodeList& conditions, std::string& exportText,
               const query::PageDelivery& deliver,
               query::ClosedConnection closed = query::ClosedConnection::kReopen);

// What one form of the salary item export reads: the columns selected before the payroll row's,
// the FROM and WHERE of the rows and of their count, and the kest form's item filter.
struct ItemRowsExport {
    std::string_view columns;
    std::string fromWhere;
    ExportForm form;
    std::string itemFilter;
};

// The rows' records, paged into `document` as `pageSize` says, the count, the rows and the item
// settings read from one snapshot. The kest form leaves out what a failing settings lookup would
// give, as the kest export goes on past failing steps; the ordinary form ends with the fault.
void ExportItemRows(db::Connection& connection, messages::Messages& messages,
                    query::ExportDocument& document, std::int32_t pageSize,
                    const ItemRowsExport& rows, const query::PageDelivery& deliver);

}  // namespace salary_item
