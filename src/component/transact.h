// Transact and its drivers: the one entry point through which the platform hands a request
// document to either class.
//
// Set-up faults (the login, the connection) are answered with the MakeReply text of the fault;
// text that is not XML gets "100", a document without a root "101", an operation other than ADD
// or QUERY "710". ADD runs AddRecords over the root's record elements (a trial when the root
// says mode="validate", in any case, and then the reply's root says so too); QUERY hands the
// request's conditions to the export. Later faults are not trapped: they leave Transact as
// base::Fault. The connection is closed on every path, so one bad request never spoils the next.
#pragma once

#include <string>

#include "component/instance.h"
#include "component/record_kind.h"

namespace component {

std::string Transact(Instance& instance, RecordKind& kind, std::string sXML, com::IDispatch* login);

}  // namespace component
