// The one fault type of Wagelink: an error number and a description.
//
// Numbers follow the automation convention: small positive numbers are language faults
// (5 invalid argument, 6 overflow, 13 type mismatch, 94 invalid use of Null), negative numbers are
// HRESULTs of database and COM failures. A fault is caught only where the described behaviour
// traps it; at the COM boundary it becomes a failure HRESULT plus error info (com/error_info.h).
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
    // An unspecified failure (the HRESULT E_FAIL).
    kUnspecifiedFailure = -2147467259,
};

// Each thrower writes its fault's standard text; a detail, when given, follows after ": ".
[[noreturn]] void ThrowInvalidArgument(std::string_view detail = {});
[[noreturn]] void ThrowOverflow();
[[noreturn]] void ThrowTypeMismatch(std::string_view detail = {});
[[noreturn]] void ThrowInvalidUseOfNull(std::string_view detail = {});
[[noreturn]] void ThrowObjectNotSet(std::string_view detail = {});
[[noreturn]] void ThrowOutOfMemory();
// The fault a failed allocation stands for.
Fault OutOfMemoryFault();
// Memory running out is never one of the failing steps a caller tolerates: it passes on.
inline bool IsOutOfMemory(const Fault& fault) {
    return fault.number() == kOutOfMemory;
}
[[noreturn]] void ThrowFailure(std::string_view description);

}  // namespace base
