// Transact and its drivers: the one entry point through which the platform hands a request
// document to either class.
//
// Set-up faults (the login, the connection) are answered with the MakeReply text of the fault;
// text that is not XML gets "100", a document without a root "101", an operation other than ADD
// or QUERY "710". ADD runs AddRecords over the root's record elements; QUERY hands the request's
// conditions to the export. Later faults are not trapped: they leave Transact as base::Fault.
// The connection is closed on every path, so one bad request never spoils the next.
#pragma once

#include <string>

#include "component/instance.h"

namespace component {

std::string Transact(Instance& self, const Operations& ops, const std::string& sXML,
                     com::IDispatch* login);

// Runs AddRecord for each record; a fault stops the batch with the result "Item"/999.
// Leaves the reply document's XML in `reply`; false when a fault stopped the batch.
bool AddRecords(Instance& self, const Operations& ops, const xml::NodeList& records,
                std::string& reply);

}  // namespace component
