#include "com/fault.h"

#include "com/hresult.h"

namespace com {

void ThrowInvalidArgument(const std::string& what) {
    throw Fault(kInvalidArgument, what);
}
void ThrowOverflow() {
    throw Fault(kOverflow, "Overflow");
}
void ThrowTypeMismatch() {
    throw Fault(kTypeMismatch, "Type mismatch");
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
