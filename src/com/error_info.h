// Per-thread error info: the number and description of the last failed call, set by the callee
// just before it returns a failure HRESULT and read by the caller on the same thread.
// It stands in for SetErrorInfo/GetErrorInfo and lives in the COM runtime library, so a server
// and its host share it.
#pragma once

#include <optional>
#include <string>

#include "com/fault.h"

namespace com {

struct ErrorInfo {
    std::int32_t number;
    std::string description;
};

void SetErrorInfo(const ErrorInfo& info);
void ClearErrorInfo();
// Takes the thread's error info and clears it, as GetErrorInfo does.
std::optional<ErrorInfo> TakeErrorInfo();

// Records `fault` as the thread's error info and returns the HRESULT a failed call reports.
HRESULT ReportFault(const Fault& fault);

}  // namespace com
