// The condition builders: turn the `field` elements of a QUERY request into the WHERE text the
// exports append to their SELECT statements.
//
// Each builder looks every condition's `name` up in a column catalogue (a statement that returns
// no rows), writes the column as the catalogue names it, the operation, and the value, quoted by
// the column's type, with "%" behind it for a `like` operation; conditions are joined by their
// `logic`. The text is "" for no conditions, else "where " and the conditions, flat, with no
// parentheses.
//
// Nothing that arrives in a condition can change the statement's meaning: operations must be one
// of = <> != < > <= >= like, not like, in, not in (any case, blanks around ignored; in and not in
// only in kest requests, which write lists), joiners and or or, a bare value a number (for a kest
// in/not in list, numbers separated by commas), and quotes inside a quoted value are doubled.
// Anything else is a fault naming the condition, raised before any statement runs; so is a name
// that is not a catalogue column.
#pragma once

#include <string>

#include "db/connection.h"
#include "xml/document.h"

namespace query {

// What the item builder does with a closed connection: opens it with its stored connection
// string (the current revision), or goes on, so that the catalogue lookup faults.
enum class ClosedConnection { kReopen, kLeave };
// How the person builder writes a column: behind its table ("WA_GRADE." for the person category,
// "WA_PSN." for the others), or bare as the first revision did.
enum class ColumnNames { kPrefixed, kBare };

// ISalaryItem.QueryProc.
std::string BuildItemWhere(const xml::NodeList& conditions, db::Connection& connection,
                           ClosedConnection closed = ClosedConnection::kReopen);

// QueryProcKest: request names mapped by MapKestFieldName, in/not in lists, and the salary item
// condition, which builds `itemFilter` ("" or " and WA_GZtblset.cSetGzitemName ...") instead of
// WHERE text.
std::string BuildKestWhere(const xml::NodeList& conditions, db::Connection& connection,
                           std::string& itemFilter);
std::string MapKestFieldName(const std::string& name);

// ISalaryPerson.QueryProc; expects the connection open.
std::string BuildPersonWhere(const xml::NodeList& conditions, db::Connection& connection,
                             ColumnNames names = ColumnNames::kPrefixed);

// The WHERE part of an export statement: " where " and the export's own condition `own` when
// the builder's text `where` is empty, else the builder's conditions in parentheses followed by
// " and " and `own`, so that no joiner of the request widens the export past `own`.
std::string ExportCondition(const std::string& where, std::string_view own);

}  // namespace query
