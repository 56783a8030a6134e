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

namespace {

// Reports the fault `make` builds; when building it runs out of memory, the HRESULT alone.
template <class Make>
HRESULT ReportMade(Make make, HRESULT alone) noexcept {
    try {
        return ReportFault(make());
    } catch (...) {
        ClearErrorInfo();
        return alone;
    }
}

}  // namespace

HRESULT ReportCurrentException() noexcept {
    try {
        throw;
    } catch (const base::Fault& fault) {
        return ReportFault(fault);
    } catch (const std::bad_alloc&) {
        return ReportMade(base::OutOfMemoryFault, FaultNumberToHresult(base::kOutOfMemory));
    } catch (const std::exception& e) {
        return ReportMade([&] { return base::Fault(E_FAIL, e.what()); }, E_FAIL);
    } catch (...) {
        return ReportMade([] { return base::Fault(E_UNEXPECTED, "Catastrophic failure"); },
                          E_UNEXPECTED);
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
