// The reference-counting helper every Wagelink COM object is built on. It is the only place where
// objects are created with `new` and destroyed with `delete`.
//
// Derive `class X final : public com::Object<X, Interface>` and give X a
// `void* Answer(REFIID iid)` that returns `this` cast to the interface asked for, or nullptr.
// Objects are apartment-bound: counts are atomic only so that a stray Release on another thread
// does not corrupt memory.
#pragma once

#include <atomic>
#include <utility>

#include "com/unknown.h"

namespace com {

// Objects alive in this module (each module has its own copy: libraries are built with hidden
// visibility), for DllCanUnloadNow.
inline std::atomic<long> g_moduleObjects{0};

template <class Derived, class Interface>
class Object : public Interface {
  public:
    template <class... Args>
    static ComPtr<Derived> Create(Args&&... args) {
        return ComPtr<Derived>::Attach(new Derived(std::forward<Args>(args)...));
    }

    HRESULT WAGELINK_CALL QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(this);
        } else {
            *object = static_cast<Derived*>(this)->Answer(iid);
        }
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG WAGELINK_CALL AddRef() override { return ++refs_; }
    ULONG WAGELINK_CALL Release() override {
        ULONG left = --refs_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

  protected:
    Object() { ++g_moduleObjects; }
    ~Object() { --g_moduleObjects; }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

  private:
    std::atomic<ULONG> refs_{1};
};

}  // namespace com
