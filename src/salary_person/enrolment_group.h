// The enrolments of many salary person records as two statements on one transaction
// (db::GuardedRows): the persons' roster rows, each unless the payroll has the person, then
// their first payroll rows, each unless the login's period has one; where each person's own
// statement costs a round trip and a commit.
//
// Records join a group while their rows have one shape (the same columns, values of the same
// kinds), none names a person or a payroll row another names, and the statements stay within
// the server's limit on placeholders and within what every server's default packet takes.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "db/dialect.h"
#include "salary_person/enrolment.h"

namespace salary_person {

class EnrolmentGroup {
  public:
    // Records in one group at most.
    static constexpr std::size_t kMaxRecords = 400;

    bool Fits(const db::Dialect& dialect, const PlannedEnrolment& plan) const;
    void Add(PlannedEnrolment plan);
    bool empty() const { return plans_.empty(); }
    void Clear();
    // Whether a record of the group enrols `code` in `payroll`.
    bool Holds(const std::string& payroll, const std::string& code) const;

    // Writes the group's rows in the caller's transaction, which keeps them only when the
    // answer is true; then every record was written. False when a roster row's guard found its
    // person (enrolled since the checks looked), or when the database reads two of the codes as
    // one: the records are to be written one by one.
    bool Send(db::Connection& connection, std::vector<bool>& written) const;

  private:
    std::vector<PlannedEnrolment> plans_;
    std::set<std::vector<db::Value>> persons_, payrollRows_;
    std::size_t bytes_ = 0;
};

}  // namespace salary_person
