// Per-thread error info and the one exception boundary of the binary interface.
//
// Error info is the number and description of the last failed call, set by the callee just before
// it returns a failure HRESULT and read by the caller on the same thread. On Windows it is the
// system's (SetErrorInfo/GetErrorInfo); elsewhere our own, kept in the COM runtime library so that
// a server and its host share it.
//
// Rules of the boundary:
//  1. No exception crosses a vtable method: each one ends in ReportCurrentException.
//  2. A base::Fault travels as its number (a language fault n as the HRESULT 0x800A0000|n, an
//     HRESULT as itself) and its description.
//  3. std::bad_alloc is fault 7 "Out of memory"; any other std::exception E_FAIL with its what();
//     anything else E_UNEXPECTED.
#pragma once

#include <optional>
#include <string>

#include "base/fault.h"
#include "com/hresult.h"
#include "com/types.h"

namespace com {

struct ErrorInfo {
    std::int32_t number;
    std::string description;
};

// Kept where the platform keeps them (com/posix/error_store.cpp, com/windows/error_store.cpp).
void SetErrorInfo(const ErrorInfo& info);
void ClearErrorInfo() noexcept;
// Takes the thread's error info and clears it, as GetErrorInfo does. Error info that another
// module left (the system's error info carries a description but no number: a class of the
// platform's DLL that failed to make its object, a component called through COM) takes its
// number from `failed`, the HRESULT of the call that failed.
std::optional<ErrorInfo> TakeErrorInfo(HRESULT failed = E_FAIL);

// Records `fault` as the thread's error info and returns the HRESULT a failed call reports.
HRESULT ReportFault(const base::Fault& fault) noexcept;

// Called inside a catch block: records the exception in flight as the thread's error info and
// returns the HRESULT the failed call reports.
HRESULT ReportCurrentException() noexcept;

// A fault number n travels as the HRESULT 0x800A0000|n; an HRESULT travels as itself.
HRESULT FaultNumberToHresult(std::int32_t number);
std::int32_t HresultToFaultNumber(HRESULT hr);

}  // namespace com
