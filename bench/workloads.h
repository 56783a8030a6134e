// The work the import benchmarks measure, shared by them: the item import's request and the
// UPDATEs it amounts to, and the enrolment's two INSERTs, with the raw ODBC runs of those
// statements on a server that are their baselines.
#pragma once

#include <string>
#include <vector>

#include "db/value.h"
#include "salary_item/update_group.h"

namespace bench {

// The value of item `item` (from 1) for record `record`.
std::string ItemValue(long record, long item);
// An item import of `records` large-demo persons with `entries` items each (item 备注 a text).
std::string ItemRequest(long records, long entries);
// The UPDATE the import sends for a record, and the values of its placeholders for record r.
std::string ItemUpdateSql(long entries);
std::vector<db::Value> ItemUpdateParams(long r, long entries);
// The records the import writes a commit, on SQLite and on a server: a baseline commits as often.
inline constexpr long kRecordsACommit = salary_item::ItemUpdateGroup::kMaxRecords;
// The UPDATEs through raw ODBC on the server, one statement a record (a round trip each),
// committed every `recordsACommit` records (1: each commits by itself).
bool ItemUpdatesThroughOdbc(const std::string& database, long records, long entries,
                            long recordsACommit);

// The enrolment's roster INSERT (with `extras` extra fields) and payroll INSERT, and the values
// of person n: the roster row's, whose first two the payroll row takes.
std::string RosterInsert(long extras);
inline constexpr const char* kPayrollInsert =
    "INSERT INTO WA_GZData(cGZGradeNum,cDept_Num,cPsn_Num,cPsn_Name,iPsnGrd_id,bDCBZ,bTFBZ,"
    "iMonth,iYear,iAccMonth) VALUES('001','0201',?,?,2,0,0,11,2026,11)";
std::vector<db::Value> RosterValues(long n, long extras);
// Both inserts through raw ODBC on the server (MariaDB) the fastest plain way, with the guards
// that keep a person from being enrolled twice: one compound statement per person, prepared
// once, that writes both rows or neither and commits by itself (one round trip, where a
// transaction of two INSERTs would cost three).
bool EnrolmentsThroughOdbc(const std::string& database, long persons, long extras);

}  // namespace bench
