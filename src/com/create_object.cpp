#include "base/fault.h"
#include "com/activation.h"
#include "com/error_info.h"
#include "com/hresult.h"

namespace com {

ComPtr<IDispatch> CreateObject(std::string_view progIdOrClsid) {
    CLSID clsid{};
    if (auto direct = ParseGuid(progIdOrClsid)) {
        clsid = *direct;
    } else if (HRESULT hr = CLSIDFromProgID(progIdOrClsid, &clsid); FAILED(hr)) {
        throw base::Fault(REGDB_E_CLASSNOTREG,
                          "Class not registered: " + std::string(progIdOrClsid));
    }
    ComPtr<IDispatch> object;
    ClearErrorInfo();
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, IID_IDispatch, reinterpret_cast<void**>(object.Receive()));
    if (FAILED(hr)) {
        if (hr == REGDB_E_CLASSNOTREG)
            throw base::Fault(hr, "Class not registered: " + std::string(progIdOrClsid));
        // A class that failed to make its object says why, as any failed call does.
        if (std::optional<ErrorInfo> info = TakeErrorInfo(hr); info && !info->description.empty())
            throw base::Fault(info->number, info->description);
        throw base::Fault(hr, "Cannot create " + std::string(progIdOrClsid));
    }
    return object;
}

}  // namespace com
