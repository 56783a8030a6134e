// IUnknown, IDispatch and IClassFactory with their Windows slot order, and ComPtr.
//
// Rules of the boundary:
//  1. Every interface pointer handed out is AddRef'd; the receiver Releases it.
//  2. An in-parameter interface pointer is borrowed for the call; keep it only after AddRef.
//  3. On failure an out-parameter interface pointer is set to null.
#pragma once

#include <utility>

#include "com/guid.h"
#include "com/hresult.h"
#include "com/variant.h"

namespace com {

struct IUnknown {
    virtual HRESULT WAGELINK_CALL QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG WAGELINK_CALL AddRef() = 0;
    virtual ULONG WAGELINK_CALL Release() = 0;
};

struct DISPPARAMS {
    VARIANT* rgvarg;            // arguments in reverse order
    DISPID* rgdispidNamedArgs;  // named arguments (only DISPID_PROPERTYPUT is understood)
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT(WAGELINK_CALL* pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_VALUE = 0;  // an object's default member

struct IDispatch : IUnknown {
    virtual HRESULT WAGELINK_CALL GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT WAGELINK_CALL GetTypeInfo(UINT index, LCID lcid, void** typeInfo) = 0;
    virtual HRESULT WAGELINK_CALL GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                                DISPID* ids) = 0;
    virtual HRESULT WAGELINK_CALL Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                         UINT* argErr) = 0;
};

// Script engines' extension of IDispatch; only its first method, by which a late call finds a
// name that GetIDsOfNames does not answer, is used here.
struct IDispatchEx : IDispatch {
    virtual HRESULT WAGELINK_CALL GetDispID(BSTR name, DWORD flags, DISPID* id) = 0;
};
constexpr DWORD fdexNameCaseInsensitive = 0x00000008;

// Tells a client whether a failed call of an interface left error info to read.
struct ISupportErrorInfo : IUnknown {
    virtual HRESULT WAGELINK_CALL InterfaceSupportsErrorInfo(REFIID iid) = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT WAGELINK_CALL CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT WAGELINK_CALL LockServer(BOOL lock) = 0;
};

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const IID IID_IClassFactory;
extern const IID IID_IDispatchEx;
extern const IID IID_ISupportErrorInfo;

void ClearExcepInfo(EXCEPINFO* info);

// Owns one counted interface reference.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference of `p` (AddRef).
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    ComPtr(ComPtr<U> o) : p_(o.Detach()) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() {
        if (p_) p_->Release();
    }

    // Adopts a reference the caller already owns (no AddRef).
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    T* Detach() noexcept { return std::exchange(p_, nullptr); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Releases the current reference and hands out the slot for an out-parameter.
    T** Receive() {
        ComPtr().swap(*this);
        return &p_;
    }
    void swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }

    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, reinterpret_cast<void**>(out.Receive()));
        return out;
    }

  private:
    T* p_ = nullptr;
};

// True when both pointers denote the same object (COM identity through IUnknown).
bool SameObject(IUnknown* a, IUnknown* b);

}  // namespace com
