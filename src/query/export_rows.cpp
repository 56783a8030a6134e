#include "query/export_rows.h"

#include "base/number.h"

namespace query {

namespace {

std::int32_t RecordTotal(db::Connection& connection, const std::string& sql) {
    db::Recordset count;
    count.Open(sql, connection, db::adOpenStatic, db::adLockReadOnly);
    return count.IsEOF() ? 0 : base::ToInt32(db::ValueNumber(count[0].value()));
}

}  // namespace

void ExportRows(db::Connection& connection, ExportDocument& document, std::int32_t pageSize,
                const ExportStatements& statements,
                const std::function<RecordWriter(const db::Recordset& rows)>& onOpen,
                const PageDelivery& deliver) {
    Pager pager(pageSize, pageSize >= 1 ? RecordTotal(connection, statements.count) : 0);
    db::Recordset rows;
    rows.Open(statements.rows, connection, db::adOpenForwardOnly, db::adLockReadOnly);
    RecordWriter write = onOpen(rows);
    for (; !rows.IsEOF(); rows.MoveNext()) {
        xml::NewElement record = document.NewRecord();
        write(document.working(), record.get(), rows);
        document.Append(std::move(record));
        if (pager.AfterRecord([&] { return document.Xml(); }, deliver)) document.Renew();
    }
    rows.Close();
}

void ExportRows(db::Connection& connection, ExportDocument& document, std::int32_t pageSize,
                const ExportStatements& statements, const RecordWriter& write,
                const PageDelivery& deliver) {
    ExportRows(
        connection, document, pageSize, statements, [&](const db::Recordset&) { return write; },
        deliver);
}

}  // namespace query
