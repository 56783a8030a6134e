// UpdateItemData: writes a validated salaryitem record's values into the person's existing
// payroll row of that month, with one UPDATE of WA_GZData that sets one column per entry
// (style 0 numeric, style 1 text, other styles skipped).
//
// Returns true only when the statement changed a row. Any fault becomes false with its
// description in `message`, except db::Contention, which passes on so that the caller runs the
// record again; a person code without a person-master row, an update that matches no payroll row,
// and entries that set one item twice are false with a message naming the cause. Nothing is
// written on false.
#pragma once

#include <string>
#include <vector>

#include "db/connection.h"
#include "db/lookup.h"
#include "db/value.h"
#include "messages/messages.h"
#include "payroll/record_context.h"
#include "salary_item/item_catalog.h"
#include "xml/document.h"

namespace salary_item {

// A record's UPDATE as its writer plans it: the payroll columns it sets with their values, and the
// key of its payroll row (payroll, department, person code, name, month, year).
struct PlannedUpdate {
    std::vector<std::string> columns;
    std::vector<db::Value> values;
    std::vector<db::Value> row;
};

// `items` remembers, as the context's lookups do, the reference data read for the records of one
// request. Under the first revision's rules the name is the record's, and a fault after the
// category lookup passes on (the batch ends).
bool UpdateItemData(const payroll::RecordContext& context, ItemCatalog& items, xml::Element record,
                    std::string& message);

// The writer up to its statement: false, with the message, as UpdateItemData for a record it does
// not write; otherwise true with the statement's `plan`, which a caller may send with those of
// other records (salary_item/update_group.h).
bool PlanItemUpdate(const payroll::RecordContext& context, ItemCatalog& items, xml::Element record,
                    PlannedUpdate& plan, std::string& message);
// The failure of a planned update that no payroll row takes.
std::string NoPayrollRowMessage(messages::Messages& messages, const PlannedUpdate& plan);

// Whether the payroll row of `record` holds every value the record sets, as its columns keep them
// (money to four places): how a record whose commit met a broken link is read back, on a new
// connection.
bool ItemDataWritten(const payroll::RecordContext& context, ItemCatalog& items,
                     xml::Element record);

}  // namespace salary_item
