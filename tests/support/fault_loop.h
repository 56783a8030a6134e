// What the fault loops share: the calls they run (a 20-record item import of the large demo's
// persons, a 10-person enrolment, exports of those rows) and the oracles that judge what a run
// left: every record reported written is in the database and no other, a person has both rows
// or neither, every page delivered is whole.
#pragma once

#include <functional>
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

// One call the loops run on the database a connection string opens: its template database, the
// run (the reply, or "fault NUMBER: DESCRIPTION"), and the judgement of what it left on the
// database `check` is given (`complete`: the run met no fault, so every record must be there;
// `again`: the same call ran before on this database).
struct LoopCall {
    std::string name;
    std::string file;
    std::function<std::string(const std::string& connection)> run;
    std::function<void(const std::string& connection, const std::string& reply, bool complete,
                       bool again)>
        check;
};

// The item import (奖金 = 1000 + n for large-demo person n) and the enrolment, each in two groups
// of records; the exports of the large demo's persons: a paged item export (kLoopPageSize a
// page), a kest export and a roster export, each delivering whole pages and, when it answers,
// every record.
LoopCall LoopItemImport();
LoopCall LoopPersonImport();
std::vector<LoopCall> LoopExports();

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
