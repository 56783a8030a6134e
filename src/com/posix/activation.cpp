#include "com/activation.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "base/fault.h"
#include "com/error_info.h"
#include "com/registry.h"

namespace com {

namespace {

std::string ClsidKey(REFCLSID clsid) {
    return "CLSID\\" + FormatGuid(clsid);
}

}  // namespace

void* LoadExport(const std::string& library, const char* name) {
    static std::mutex mutex;
    static std::map<std::string, void*> loaded;
    std::lock_guard lock(mutex);
    void*& handle = loaded[library];
    if (!handle) handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        loaded.erase(library);
        throw base::Fault(CO_E_DLLNOTFOUND,
                          "Cannot load " + library + ": " + (why ? why : "unknown"));
    }
    void* symbol = dlsym(handle, name);
    if (!symbol) throw base::Fault(E_FAIL, library + " does not export " + name);
    return symbol;
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = IID_NULL;
    try {
        auto text = Registry::Open().Get(std::string(progId) + "\\CLSID");
        if (!text) return CO_E_CLASSSTRING;
        auto parsed = ParseGuid(*text);
        if (!parsed) return REGDB_E_CLASSNOTREG;
        *clsid = *parsed;
        return S_OK;
    } catch (const base::Fault& f) {
        return FaultNumberToHresult(f.number());
    }
}

HRESULT CoGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    try {
        auto library = Registry::Open().Get(ClsidKey(clsid) + "\\InprocServer32");
        if (!library) return REGDB_E_CLASSNOTREG;
        auto getClassObject =
            reinterpret_cast<DllGetClassObjectFn>(LoadExport(*library, "DllGetClassObject"));
        return getClassObject(clsid, iid, object);
    } catch (const base::Fault& f) {
        return FaultNumberToHresult(f.number());
    }
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<IClassFactory> factory;
    HRESULT hr =
        CoGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(outer, iid, object);
}

}  // namespace com
