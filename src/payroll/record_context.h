// What the checks and writers of a request's records work with: the request's connection, the
// messages in the user's language, the reference data remembered for the request, and the record
// rules of the server's interface revision. Made once per request by the record kind (component/),
// handed to every check and writer; it owns nothing.
#pragma once

#include "db/connection.h"
#include "db/lookup.h"
#include "messages/messages.h"
#include "payroll/record_rules.h"

namespace payroll {

struct RecordContext {
    db::Connection& connection;
    messages::Messages& messages;
    db::LookupCache& lookups;
    const RecordRules& rules = kCurrentRules;
};

}  // namespace payroll
