// The UPDATEs of many salary item records as one statement on a server (db::Dialect::JoinedUpdate):
// one round trip, and in the caller's transaction one commit, for a few hundred records, where
// each record's own UPDATE waits for both.
//
// Records join a group while they set the same columns with values of the same kinds (a column
// of the statement takes one type), none names a payroll row another names (their order would be
// lost), and the statement stays within the server's limit on placeholders and within what
// every server's default packet size takes.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/dialect.h"
#include "salary_item/update.h"

namespace salary_item {

class ItemUpdateGroup {
  public:
    // Records in one group at most: a few round trips then cost a hundredth of one a record.
    static constexpr std::size_t kMaxRecords = 400;

    // Whether `plan` may join the group on a database of `dialect`; an empty group takes any.
    bool Fits(const db::Dialect& dialect, const PlannedUpdate& plan) const;
    void Add(PlannedUpdate plan);
    bool empty() const { return plans_.empty(); }
    std::size_t size() const { return plans_.size(); }
    const PlannedUpdate& operator[](std::size_t i) const { return plans_[i]; }
    void Clear();

    // Sends the group's UPDATE, then reads which records found their payroll row: matched[i]
    // for the i-th record added. Inside the caller's transaction, which holds what was read
    // until it ends; it keeps the update only when the answer is true. False when the database
    // joined one payroll row to two records (keys its collation reads as one, 'a' and 'A'):
    // which record's values the row kept is not known, and the records are to be written one
    // by one, in order.
    bool Send(db::Connection& connection, std::vector<bool>& matched) const;

  private:
    std::vector<PlannedUpdate> plans_;
    std::set<std::vector<db::Value>> rows_;
    std::size_t parameters_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace salary_item
