// What the fault loops share: the calls they run (a 20-record item import of the large demo's
// persons, a 10-person enrolment, exports of those rows) and the oracles that judge what a run
// left: every record reported written is in the database and no other, a person has both rows
// or neither, every page delivered is whole.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "com/unknown.h"
#include "support/pages.h"
#include "support/temp_dir.h"

namespace testing_support {

inline constexpr int kLoopItems = 20, kLoopPersons = 10, kLoopPageSize = 5;

// The loops' template databases in `dir`: items.db (the large demo with kLoopItems persons) and
// persons.db (kLoopPersons persons ready to enrol).
void WriteLoopDatabases(const TempDir& dir);
// run.db in `dir`, a fresh copy of the template `file` without log files: its connection string.
std::string FreshLoopDatabase(const TempDir& dir, const std::string& file);

// Every point with WAGELINK_FAULT_LOOPS=full (scripts/fault-loops.sh), else every `bounded`-th.
int LoopStride(int bounded);

// The item import (奖金 = 1000 + n for large-demo person n) and the enrolment of the loops, each
// in two groups of records.
std::string LoopItemRequest();
std::string LoopPersonRequest();
// A paged item export of the large-demo persons (kLoopPageSize a page).
std::string LoopExportRequest();

// The exports the loops run on the large demo's persons: a paged item export, a kest export and
// a roster export.
struct LoopExport {
    const char* name;
    bool person;  // the roster export, of ISalaryPerson
    std::string request;
};
std::vector<LoopExport> LoopExports();
// Runs `e` on the database `connectionString` opens with a page collector held; the reply (or
// "fault ..."), and the pages delivered in `pages`.
std::string RunLoopExport(const LoopExport& e, const std::string& connectionString,
                          std::vector<Page>& pages);
// Every page delivered is whole; when the call answered (or `complete`), every record is there.
void ExpectExportWhole(const LoopExport& e, const std::string& reply,
                       const std::vector<Page>& pages, bool complete);

// A call of `server` with a login for `connectionString`: CallOrFault.
std::string CallWithLogin(com::IDispatch* server, const std::string& request,
                          const std::string& connectionString);

// The reply of Transact, or "fault NUMBER: DESCRIPTION" when the call failed.
std::string CallOrFault(com::IDispatch* server, const std::string& request, com::IDispatch* login);

// The result codes of an ADD reply by record place; none for a reply to the whole request.
std::map<int, std::string> ResultCodes(const std::string& reply);

// The oracles, on the database `connectionString` opens. With `complete` (a run that met no
// fault) every record must have been written; with `again` (the same enrolment run a second
// time) a person enrolled before may be answered as a duplicate (101).
void ExpectItemsAsReplied(const std::string& connectionString, const std::string& reply,
                          bool complete);
void ExpectPersonsAsReplied(const std::string& connectionString, const std::string& reply,
                            bool complete, bool again = false);

}  // namespace testing_support
