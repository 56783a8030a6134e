// The one fault type of Wagelink: an error number and a description.
//
// Numbers follow the automation convention: small positive numbers are language faults
// (5 invalid argument, 6 overflow, 13 type mismatch, 94 invalid use of Null), negative numbers are
// HRESULTs of database and COM failures. A fault is caught only where the described behaviour
// traps it; at the COM boundary it becomes a failure HRESULT plus error info (com/error_info.h).
//
// Memory running out has one form inside: std::bad_alloc, which no trap (a catch of a Fault)
// takes, so that it always passes on; it becomes fault 7 "Out of memory" only where an exception
// becomes a fault (CurrentFault: at the COM boundary, in a reply). A fault 7 that another
// component reported through COM is that component's failure, a Fault like any other.
//
// Every fault text of the language faults is written once, in the throwers below.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace base {

class Fault : public std::runtime_error {
  public:
    Fault(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    std::int32_t number() const { return number_; }
    std::string description() const { return what(); }

  private:
    std::int32_t number_;
};

enum FaultNumber : std::int32_t {
    kInvalidArgument = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kTypeMismatch = 13,
    kFileNotFound = 53,
    kFileAccess = 75,
    kObjectNotSet = 91,
    kInvalidUseOfNull = 94,
    kObjectLacksMember = 438,
    // An unspecified failure (the HRESULT E_FAIL), and an exception that is no std::exception
    // (E_UNEXPECTED).
    kUnspecifiedFailure = -2147467259,
    kCatastrophicFailure = -2147418113,
};

// Each thrower writes its fault's standard text; a detail, when given, follows after ": ".
[[noreturn]] void ThrowInvalidArgument(std::string_view detail = {});
[[noreturn]] void ThrowOverflow();
[[noreturn]] void ThrowTypeMismatch(std::string_view detail = {});
[[noreturn]] void ThrowInvalidUseOfNull(std::string_view detail = {});
[[noreturn]] void ThrowObjectNotSet(std::string_view detail = {});
// Memory ran out (a library's allocator, a system call said so): std::bad_alloc, the one form.
[[noreturn]] void ThrowOutOfMemory();
// The fault a failed allocation stands for where it leaves the server.
Fault OutOfMemoryFault();
[[noreturn]] void ThrowFailure(std::string_view description);

// Inside a catch block: the exception in flight as the fault it stands for, the one ladder from
// exceptions to faults: a Fault as it is, std::bad_alloc as OutOfMemoryFault(), another
// std::exception as an unspecified failure with its what(), anything else a catastrophic
// failure. Building it may itself run out of memory.
Fault CurrentFault();

}  // namespace base
