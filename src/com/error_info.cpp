#include "com/error_info.h"

#include <new>

#include "com/hresult.h"

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

HRESULT ReportFault(const base::Fault& fault) noexcept {
    try {
        SetErrorInfo({fault.number(), fault.description()});
    } catch (...) {
        t_error.reset();  // no memory for the description: the HRESULT still tells the number
    }
    return FaultNumberToHresult(fault.number());
}

HRESULT ReportCurrentException() noexcept {
    try {
        throw;
    } catch (const base::Fault& fault) {
        return ReportFault(fault);
    } catch (const std::bad_alloc&) {
        return ReportFault(base::OutOfMemoryFault());
    } catch (const std::exception& e) {
        return ReportFault(base::Fault(E_FAIL, e.what()));
    } catch (...) {
        return ReportFault(base::Fault(E_UNEXPECTED, "Catastrophic failure"));
    }
}

HRESULT FaultNumberToHresult(std::int32_t number) {
    if (number < 0) return number;
    if (number > 0 && number <= 0xFFFF) return kControlFacility | number;
    return E_FAIL;
}

std::int32_t HresultToFaultNumber(HRESULT hr) {
    if ((static_cast<std::uint32_t>(hr) & 0xFFFF0000u) ==
        static_cast<std::uint32_t>(kControlFacility))
        return hr & 0xFFFF;
    return hr;
}

}  // namespace com
