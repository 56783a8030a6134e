// The class objects of an in-process server library: one IClassFactory per creatable class, and
// the answers of DllGetClassObject and DllCanUnloadNow over a table of classes.
//
// Header-only on purpose: each library compiles its own copy, so its counts of live objects and
// server locks (object.h) are its own and it answers DllCanUnloadNow for itself.
#pragma once

#include <atomic>
#include <span>

#include "com/error_info.h"
#include "com/module_lifetime.h"
#include "com/object.h"

namespace com {

// Outstanding IClassFactory::LockServer locks of this module.
inline std::atomic<long> g_moduleLocks{0};

struct CreatableClass {
    const CLSID& clsid;
    // A new object of the class, as its IUnknown.
    ComPtr<IUnknown> (*create)();
};

// Adapts `ComPtr<T> Create()` of an object class to CreatableClass::create.
template <class T, class Interface>
ComPtr<IUnknown> CreateAs() {
    return ComPtr<IUnknown>::Attach(
        static_cast<IUnknown*>(static_cast<Interface*>(T::Create().Detach())));
}

class ClassFactory final : public Object<ClassFactory, IClassFactory> {
  public:
    explicit ClassFactory(ComPtr<IUnknown> (*create)()) : create_(create) {}

    void* Answer(REFIID iid) {
        return iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
    }

    HRESULT WAGELINK_CALL CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            return create_()->QueryInterface(iid, object);
        } catch (...) {
            return ReportCurrentException();
        }
    }

    HRESULT WAGELINK_CALL LockServer(BOOL lock) override {
        lock ? ++g_moduleLocks : --g_moduleLocks;
        return S_OK;
    }

  private:
    ComPtr<IUnknown> (*create_)();
};

// DllGetClassObject over `classes`: CLASS_E_CLASSNOTAVAILABLE for a class not in the table.
inline HRESULT GetClassObject(std::span<const CreatableClass> classes, REFCLSID clsid, REFIID iid,
                              void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const CreatableClass& c : classes) {
        if (c.clsid != clsid) continue;
        KeepModuleLoaded();
        try {
            return ClassFactory::Create(c.create)->QueryInterface(iid, object);
        } catch (...) {
            return ReportCurrentException();
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// DllCanUnloadNow: S_OK when no object of this module lives and no lock is held (a module that
// made objects stays loaded all the same: com/module_lifetime.h).
inline HRESULT CanUnloadNow() noexcept {
    return g_moduleObjects == 0 && g_moduleLocks == 0 ? S_OK : S_FALSE;
}

}  // namespace com
