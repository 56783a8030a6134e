#include "com/error_info.h"

#include <new>

#include "com/hresult.h"

namespace com {

HRESULT ReportFault(const base::Fault& fault) noexcept {
    try {
        SetErrorInfo({fault.number(), fault.description()});
    } catch (...) {
        ClearErrorInfo();  // no memory for the description: the HRESULT still tells the number
    }
    return FaultNumberToHresult(fault.number());
}

HRESULT ReportCurrentException() noexcept {
    try {
        return ReportFault(base::CurrentFault());
    } catch (...) {
        // Memory ran out describing the exception: the number alone tells.
        ClearErrorInfo();
        return FaultNumberToHresult(base::kOutOfMemory);
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
