// ValidatePersonRecord: the checks a salaryperson record must pass before the person is enrolled,
// in a fixed order; the first failure sets `message` and returns false. Nothing is written.
//
// Faults are not trapped: a database error, an overflowing number, and an entry `name` whose rest
// is no field number leave `message` unchanged and pass to the caller.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "db/connection.h"
#include "db/lookup.h"
#include "messages/messages.h"
#include "payroll/record_context.h"
#include "xml/document.h"

namespace salary_person {

bool ValidatePersonRecord(const payroll::RecordContext& context, xml::Element record,
                          std::string& message);

// Called before the record at `index` of `records`: on a server, at the first record of each run
// of them, reads ahead into `lookups` the person data that the checks and the enrolment of the
// run's records look up one record at a time (payroll/read_ahead.h).
void ReadAheadPersonRecords(const payroll::RecordContext& context, const xml::NodeList& records,
                            std::size_t index);

// Whether the person of `code` is on the payroll's roster, as the checks look it up.
bool Enrolled(db::Connection& connection, db::LookupCache& lookups, std::string_view payroll,
              std::string_view code);
// After the person of `code` was enrolled: what was read ahead about it no longer holds.
void ForgetEnrolled(db::LookupCache& lookups, std::string_view payroll, std::string_view code);

}  // namespace salary_person
