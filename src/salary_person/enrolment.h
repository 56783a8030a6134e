// EnrolPerson: writes a validated salaryperson record. The person joins the payroll's roster
// (WA_psn) with the name and category of their own master data, the record's flags and the
// values of their extra fields; then they get a payroll row (WA_GZData) for the month after the
// payroll's last month, unless the login's period already has a row for them.
//
// Both rows are written together or not at all: in the caller's transaction when it holds one,
// else as one statement where the database can (db::InsertGuardedPair). Returns true when they
// were written. Any fault becomes false with its description in
// `message`, except db::Contention, which passes on so that the caller runs the record again.
// False with a message naming the cause, and nothing written, also for: a person without a
// master row of a known person type, an identity card or provident-fund account over its limit,
// an entry naming a column the roster lacks, and two entries naming one column.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "db/connection.h"
#include "db/dialect.h"
#include "db/lookup.h"
#include "messages/messages.h"
#include "payroll/record_context.h"
#include "xml/document.h"

namespace salary_person {

// The year and month the login works in.
struct LoginPeriod {
    std::int16_t year;
    std::int16_t month;
};

// `loginPeriod` reads the login's period; it is called once the checks passed, before anything
// is written, and a fault it raises is the record's failure like any other. Under the first
// revision's rules the name is the record's and the category is looked up by its persongradeno,
// and a fault after that lookup passes on (the batch ends; neither row is written).
bool EnrolPerson(const payroll::RecordContext& context, xml::Element record,
                 const std::function<LoginPeriod()>& loginPeriod, std::string& message);

// An enrolment as its writer plans it: the roster row, guarded by the person's code in the
// payroll, and the first payroll row, guarded by the login's period; the roster row's guard
// parameters are the payroll and the code.
struct PlannedEnrolment {
    db::GuardedRow roster;
    db::GuardedRow payrollRow;
};

// The writer up to its statement: false, with the message, as EnrolPerson for a record it does
// not write; otherwise true with both rows, which a caller may write with those of other
// records (salary_person/enrolment_group.h).
bool PlanEnrolment(const payroll::RecordContext& context, xml::Element record,
                   const std::function<LoginPeriod()>& loginPeriod, PlannedEnrolment& plan,
                   std::string& message);

// Whether, outside a transaction, an enrolment writes in one statement on `dialect`, one that
// commits by itself.
bool EnrolsInOneStatement(const db::Dialect& dialect);

// Whether the person of `record` is on the payroll's roster: how a record whose commit met a
// broken link is read back, on a new connection (both rows of an enrolment commit together).
bool PersonEnrolled(const payroll::RecordContext& context, xml::Element record);

}  // namespace salary_person
