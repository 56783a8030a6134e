// ISalaryPerson.QueryProc: exports the payroll roster (WA_psn) of the persons who match the
// request's conditions and are still on an existing payroll (iPsnMove 0), one record element per
// person (the mapped ordinary columns, then one `entry` per defined extra field: name "M" and its
// number, extraname its caption, the value or the empty text), into a copy of the request's root
// element. With `paginate` 1 or more, pages go to `deliver`; what is left returns in exportText.
//
// Nothing is trapped: a bad `paginate`, a missing `roottag`, a bad condition, a rejected
// statement (an extra field whose roster column is missing) or an undeliverable page ends the
// export with a fault. The definitions, the count and the rows come from one snapshot of the
// database; the definitions are read once per call, and rows stream, so a paged export's memory
// does not grow with the roster.
#pragma once

#include <string>

#include "db/connection.h"
#include "query/conditions.h"
#include "query/pager.h"
#include "xml/document.h"

namespace salary_person {

// Without `deliver` (a revision that holds no caller) the export is never paged: paginate is not
// read, no count runs, and every record comes back in `exportText`. `columnNames` is how the
// condition builder writes the request's column names.
void QueryProc(db::Connection& connection, const xml::NodeList& conditions, std::string& exportText,
               const query::PageDelivery& deliver,
               query::ColumnNames columnNames = query::ColumnNames::kPrefixed);

}  // namespace salary_person
