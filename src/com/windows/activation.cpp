// Activation is the system's: the registry and CoCreateInstance, so that classes registered by
// others (the platform's own components) take the place of ours.
#include "com/activation.h"

#include "com/hresult.h"
#include "com/windows/system.h"

namespace com {

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID{};
    try {
        return ::CLSIDFromProgID(system::Wide(progId).c_str(), reinterpret_cast<::CLSID*>(clsid));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CoGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return ::CoGetClassObject(system::Guid(clsid), CLSCTX_INPROC_SERVER, nullptr, system::Guid(iid),
                              object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object) {
    return ::CoCreateInstance(system::Guid(clsid), reinterpret_cast<::IUnknown*>(outer),
                              CLSCTX_INPROC_SERVER, system::Guid(iid), object);
}

}  // namespace com
