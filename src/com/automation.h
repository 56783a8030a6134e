// The base of automation objects whose members are a static dispatch table `T::kMembers`
// (see com/dispatch.h): reference counting, IDispatch's type information (that of the interface
// `T::DescribingInterface()` names, where the module's type library describes it; com/type_info.h),
// GetIDsOfNames/Invoke over the table, and ISupportErrorInfo, by which a client that calls through
// the vtable learns that a failed call left its description in the thread's error info.
#pragma once

#include "com/dispatch.h"
#include "com/object.h"
#include "com/type_info.h"

namespace com {

template <class T, class Interface = IDispatch>
class Automation : public Object<T, Interface>, public ISupportErrorInfo {
    using Base = Object<T, Interface>;

  public:
    // The interface whose type information describes the object; a class with a type library
    // entry names its own.
    const IID* DescribingInterface() const { return nullptr; }

    // IUnknown for both faces of the object; its identity is the first.
    HRESULT WAGELINK_CALL QueryInterface(REFIID iid, void** object) override {
        if (object && iid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        return Base::QueryInterface(iid, object);
    }
    ULONG WAGELINK_CALL AddRef() override { return Base::AddRef(); }
    ULONG WAGELINK_CALL Release() override { return Base::Release(); }

    // Every interface the object answers sets error info when a call fails (com::Guarded).
    HRESULT WAGELINK_CALL InterfaceSupportsErrorInfo(REFIID iid) override {
        return static_cast<T*>(this)->Answer(iid) ? S_OK : S_FALSE;
    }

    HRESULT WAGELINK_CALL GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        IUnknown* info = TypeInfo();
        *count = info ? 1 : 0;
        if (info) info->Release();
        return S_OK;
    }
    HRESULT WAGELINK_CALL GetTypeInfo(UINT index, LCID, void** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        *typeInfo = TypeInfo();
        return *typeInfo ? S_OK : E_NOTIMPL;
    }
    HRESULT WAGELINK_CALL GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return DispatchGetIDsOfNames(T::kMembers, names, count, ids);
    }
    HRESULT WAGELINK_CALL Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* info, UINT* argErr) override {
        static_assert(WellFormedMembers(T::kMembers),
                      "a member table row without a name or function, or a DISPID or name twice");
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return DispatchInvoke(T::kMembers, static_cast<T&>(*this), id, flags, params, result, info,
                              argErr);
    }

  private:
    IUnknown* TypeInfo() {
        const IID* iid = static_cast<T*>(this)->DescribingInterface();
        return iid ? static_cast<IUnknown*>(ModuleTypeInfo(*iid)) : nullptr;
    }
};

// The Answer of an object that is reached through IDispatch alone.
inline void* AnswerDispatchOnly(IDispatch* self, REFIID iid) {
    return iid == IID_IDispatch ? self : nullptr;
}

// A member's result that is an object (Nothing when null).
inline void ReturnObject(ComPtr<IDispatch> object, VARIANT* out) {
    out->vt = VT_DISPATCH;
    out->pdispVal = object.Detach();
}

}  // namespace com
