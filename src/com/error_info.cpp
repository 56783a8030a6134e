#include "com/error_info.h"

namespace com {

namespace {
thread_local std::optional<ErrorInfo> t_error;
}

void SetErrorInfo(const ErrorInfo& info) {
    t_error = info;
}
void ClearErrorInfo() {
    t_error.reset();
}

std::optional<ErrorInfo> TakeErrorInfo() {
    std::optional<ErrorInfo> out = std::move(t_error);
    t_error.reset();
    return out;
}

HRESULT ReportFault(const Fault& fault) {
    SetErrorInfo({fault.number(), fault.description()});
    return FaultNumberToHresult(fault.number());
}

}  // namespace com
