// ValidatePersonRecord: the checks a salaryperson record must pass before the person is enrolled,
// in a fixed order; the first failure sets `message` and returns false. Nothing is written.
//
// Faults are not trapped: a database error, an overflowing number, and an entry `name` whose rest
// is no field number leave `message` unchanged and pass to the caller.
#pragma once

#include <string>

#include "db/connection.h"
#include "db/lookup.h"
#include "messages/messages.h"
#include "payroll/record_rules.h"
#include "xml/document.h"

namespace salary_person {

// `lookups` remembers the reference data read for the records of one request; `rules` are those
// of the server's interface revision.
bool ValidatePersonRecord(db::Connection& connection, messages::Messages& messages,
                          db::LookupCache& lookups, xml::Element record, std::string& message,
                          const payroll::RecordRules& rules = payroll::kCurrentRules);

}  // namespace salary_person
