// The thread's error info, kept here where no system keeps it; the COM runtime library holds it,
// so that a server and its host share it.
#include "com/error_info.h"

namespace com {

namespace {
thread_local std::optional<ErrorInfo> t_error;
}

void SetErrorInfo(const ErrorInfo& info) {
    t_error = info;
}

void ClearErrorInfo() noexcept {
    t_error.reset();
}

std::optional<ErrorInfo> TakeErrorInfo(HRESULT) {
    std::optional<ErrorInfo> out = std::move(t_error);
    t_error.reset();
    return out;
}

}  // namespace com
