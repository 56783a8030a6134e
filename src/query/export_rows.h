// The row loop every export shares: the record total (when paged), the rows streamed from a
// forward-only cursor, one record element per row filled by the export's writer, and the pages
// handed over as the pager says. The caller holds the snapshot the statements read from.
//
// Faults pass on: a rejected statement, a writer's fault, an undeliverable page (pages already
// delivered stay delivered). Memory does not grow with the rows: only the current page is held.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "db/recordset.h"
#include "query/export_document.h"
#include "query/pager.h"

namespace query {

// Fills one record element from the current row.
using RecordWriter =
    std::function<void(xml::Document& doc, xml::Element record, const db::Recordset& row)>;

struct ExportStatements {
    std::string count;  // the record total: its first column
    std::string rows;
};

// Opens the row statement on `connection` and writes every row into `document`; with
// `pageSize` 1 or more it counts first and delivers each full page and the last partial one.
void ExportRows(db::Connection& connection, ExportDocument& document, std::int32_t pageSize,
                const ExportStatements& statements, const RecordWriter& write,
                const PageDelivery& deliver);

// Runs `onOpen` with the row statement's recordset before the first row, for writers that look
// at the columns once.
void ExportRows(db::Connection& connection, ExportDocument& document, std::int32_t pageSize,
                const ExportStatements& statements,
                const std::function<RecordWriter(const db::Recordset& rows)>& onOpen,
                const PageDelivery& deliver);

}  // namespace query
