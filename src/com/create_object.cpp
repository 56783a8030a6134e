#include "base/fault.h"
#include "com/activation.h"
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
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, IID_IDispatch, reinterpret_cast<void**>(object.Receive()));
    if (FAILED(hr)) {
        throw base::Fault(hr, hr == REGDB_E_CLASSNOTREG
                                  ? "Class not registered: " + std::string(progIdOrClsid)
                                  : "Cannot create " + std::string(progIdOrClsid));
    }
    return object;
}

}  // namespace com
