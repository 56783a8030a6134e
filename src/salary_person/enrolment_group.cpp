#include "salary_person/enrolment_group.h"

#include <map>

#include "db/guarded_rows.h"
#include "db/listed_rows.h"
#include "db/recordset.h"

namespace salary_person {

namespace {

std::size_t Parameters(const db::GuardedRow& row) {
    return row.valueParams.size() + row.guardParams.size();
}

std::size_t Bytes(const PlannedEnrolment& plan) {
    return db::ListedBytes(plan.roster.valueParams) + db::ListedBytes(plan.roster.guardParams) +
           db::ListedBytes(plan.payrollRow.valueParams) +
           db::ListedBytes(plan.payrollRow.guardParams);
}

bool SameShape(const db::GuardedRow& a, const db::GuardedRow& b) {
    return a.into == b.into && a.values == b.values && a.guard == b.guard &&
           db::SameKinds(a.valueParams, b.valueParams) &&
           db::SameKinds(a.guardParams, b.guardParams);
}

std::vector<const db::GuardedRow*> Rows(const std::vector<PlannedEnrolment>& plans,
                                        db::GuardedRow PlannedEnrolment::*row) {
    std::vector<const db::GuardedRow*> rows;
    rows.reserve(plans.size());
    for (const PlannedEnrolment& plan : plans) rows.push_back(&(plan.*row));
    return rows;
}

}  // namespace

bool EnrolmentGroup::Fits(const db::Dialect& dialect, const PlannedEnrolment& plan) const {
    if (plans_.empty()) return true;
    const PlannedEnrolment& first = plans_.front();
    // Each statement carries the placeholders of one row of each record.
    const std::size_t most = std::max(Parameters(first.roster), Parameters(first.payrollRow));
    return plans_.size() < kMaxRecords && (plans_.size() + 1) * most <= dialect.MaxParameters() &&
           bytes_ + Bytes(plan) <= db::kMaxListedBytes && SameShape(first.roster, plan.roster) &&
           SameShape(first.payrollRow, plan.payrollRow) &&
           !persons_.count(plan.roster.guardParams) &&
           !payrollRows_.count(plan.payrollRow.guardParams);
}

void EnrolmentGroup::Add(PlannedEnrolment plan) {
    bytes_ += Bytes(plan);
    persons_.insert(plan.roster.guardParams);
    payrollRows_.insert(plan.payrollRow.guardParams);
    plans_.push_back(std::move(plan));
}

void EnrolmentGroup::Clear() {
    plans_.clear();
    persons_.clear();
    payrollRows_.clear();
    bytes_ = 0;
}

bool EnrolmentGroup::Holds(const std::string& payroll, const std::string& code) const {
    return persons_.count({db::Value(payroll), db::Value(code)}) > 0;
}

bool EnrolmentGroup::Send(db::Connection& connection, std::vector<bool>& written) const {
    const db::BoundStatement roster = db::GuardedRows(Rows(plans_, &PlannedEnrolment::roster));
    if (connection.Execute(roster.sql, roster.params) != static_cast<long long>(plans_.size()))
        return false;
    // Each record's person once on the roster, as the database compares codes: two codes it
    // reads as one ('A1', 'a1') would each have found the other's row.
    std::vector<db::Value> persons;
    persons.reserve(plans_.size() * 2);
    for (const PlannedEnrolment& plan : plans_)
        persons.insert(persons.end(), plan.roster.guardParams.begin(),
                       plan.roster.guardParams.end());
    db::Recordset rows;
    rows.Open("SELECT r.n, COUNT(*) FROM " + db::ListedRows(plans_.size(), 2) +
                  " AS r INNER JOIN WA_psn AS w ON w.cGZGradeNum = r.v0 AND w.cPsn_Num = r.v1 "
                  "GROUP BY r.n",
              connection, db::adOpenForwardOnly, db::adLockReadOnly, persons);
    std::size_t found = 0;
    for (; !rows.IsEOF(); rows.MoveNext(), ++found)
        if (db::ValueNumber(rows[1].value()) != 1) return false;
    if (found != plans_.size()) return false;
    const db::BoundStatement payroll = db::GuardedRows(Rows(plans_, &PlannedEnrolment::payrollRow));
    connection.Execute(payroll.sql, payroll.params);
    written.assign(plans_.size(), true);
    return true;
}

}  // namespace salary_person
