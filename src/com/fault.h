// The one fault type of Wagelink: a COM error number and a description.
//
// Numbers follow the automation convention: small positive numbers are language faults
// (5 invalid argument, 6 overflow, 13 type mismatch, 94 invalid use of Null), negative numbers are
// HRESULTs of database and COM failures. A fault is caught only where the described behaviour
// traps it; at the COM boundary it becomes a failure HRESULT plus error info (com/error_info.h).
#pragma once

#include <stdexcept>
#include <string>

#include "com/types.h"

namespace com {

class Fault : public std::runtime_error {
  public:
    Fault(std::int32_t number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    std::int32_t number() const { return number_; }
    std::string description() const { return what(); }

  private:
    std::int32_t number_;
};

enum LanguageFault : std::int32_t {
    kInvalidArgument = 5,
    kOverflow = 6,
    kTypeMismatch = 13,
    kInvalidUseOfNull = 94,
};

[[noreturn]] void ThrowInvalidArgument(
    const std::string& what = "Invalid procedure call or argument");
[[noreturn]] void ThrowOverflow();
[[noreturn]] void ThrowTypeMismatch();

// A language fault number n travels as the HRESULT 0x800A0000|n; an HRESULT travels as itself.
HRESULT FaultNumberToHresult(std::int32_t number);
std::int32_t HresultToFaultNumber(HRESULT hr);

}  // namespace com
