// What the record checks of both adapters share (and the enrolment's writer, whose checks come
// before its rows): the lookups they run (reference data remembered for the request; person data
// read for each record, or read ahead on a server), the message forms they fail with, and the
// first two checks, payroll and department, which both run alike.
//
// Each check returns false after setting the failure message; nothing is written; faults are
// not trapped.
#pragma once

#include <string>
#include <vector>

#include "db/lookup.h"
#include "messages/messages.h"
#include "payroll/record_context.h"
#include "payroll/record_rules.h"
#include "platform/message_ids.h"
#include "xml/document.h"

namespace payroll {

class RecordCheck {
  public:
    RecordCheck(const RecordContext& context, xml::Element record, std::string& message)
        : connection_(context.connection),
          messages_(context.messages),
          lookups_(context.lookups),
          rules_(context.rules),
          record_(record),
          message_(message) {}

  protected:
    // Reference data: remembered for the rest of the request.
    const db::LookupResult& Lookup(db::SqlLiteral sql, db::Params params = {}) {
        return lookups_.Find(connection_, sql, params);
    }
    std::string Field(std::string_view name) const;

    bool Fail(std::string text) {
        message_ = std::move(text);
        return false;
    }
    // The identifier's text followed by "！".
    bool FailPlain(const char* id) { return Fail(messages_.Plain(id)); }
    bool Pass() {
        message_ = messages_.GetResString(message_ids::kSuccess);
        return true;
    }

    // The payroll by number, or by name when the number is empty; sets payroll_ to its number.
    bool Payroll();
    // The department is given, belongs to the payroll and is a last-level department.
    bool Department();
    // The person category is given and exists.
    bool PersonCategory();
    // The person name's length against its limit, as the rules measure it.
    bool NameTooLong(const std::string& name) const;
    // Under the rules without the person master: the code's length in characters is the
    // payroll's iPsn_len.
    bool CodeFitsPayroll(const std::string& code);

    db::Connection& connection_;
    messages::Messages& messages_;
    db::LookupCache& lookups_;
    const RecordRules& rules_;
    xml::Element record_;
    std::string& message_;
    std::string payroll_;  // the number every check after Payroll uses
};

// Runs the checks of `Check` (a RecordCheck with a Run(), constructed with `extra` after the
// common arguments) on `record`. They write into a local message, so that a fault leaves the
// caller's `message` untouched.
template <class Check, class... Extra>
bool RunChecks(const RecordContext& context, xml::Element record, std::string& message,
               Extra&... extra) {
    std::string outcome;
    bool passed = Check(context, record, outcome, extra...).Run();
    message = std::move(outcome);
    return passed;
}

}  // namespace payroll
