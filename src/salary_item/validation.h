// ValidateItemRecord: the checks a salaryitem record must pass before its values are written,
// in a fixed order; the first failure sets `message` and returns false. Nothing is written.
//
// Faults are not trapped: a database error, a missing or non-date dWAFirstDate setting, and a
// year or month beyond 16 bits leave `message` unchanged and pass to the caller.
#pragma once

#include <string>

#include "db/connection.h"
#include "db/lookup.h"
#include "messages/messages.h"
#include "payroll/record_context.h"
#include "salary_item/item_catalog.h"
#include "xml/document.h"

namespace salary_item {

// `items` remembers, as the context's lookups do, the reference data read for the records of one
// request; none of it is written by the import.
bool ValidateItemRecord(const payroll::RecordContext& context, ItemCatalog& items,
                        xml::Element record, std::string& message);

// Called before the record at `index` of `records`: on a server, at the first record of each run
// of them, reads ahead into `lookups` the person data that the checks and the update of the run's
// records look up one record at a time (payroll/read_ahead.h). A fault while reading ahead
// leaves the records to their own lookups; only memory running out passes.
void ReadAheadItemRecords(const payroll::RecordContext& context, const xml::NodeList& records,
                          std::size_t index);

}  // namespace salary_item
