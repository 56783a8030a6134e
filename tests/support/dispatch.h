// Calling objects by name from tests, as the platform does.
#pragma once

#include <string>

#include "com/late_call.h"

namespace testing_support {

com::ComPtr<com::IDispatch> NewSalaryItem();
com::ComPtr<com::IDispatch> NewSalaryPerson();
com::ComPtr<com::IDispatch> NewLogin(const std::string& connectionString,
                                     const std::string& year = "2026", long month = 11);

// Transact by name; the reply text. A failed call throws base::Fault.
std::string Transact(com::IDispatch* server, const std::string& request, com::IDispatch* login);

// Text arguments by value; the result converted to text.
std::string CallText(com::IDispatch* object, const std::string& name,
                     std::initializer_list<std::string> args);

}  // namespace testing_support
