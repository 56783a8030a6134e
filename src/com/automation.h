// The base of automation objects whose members are a static dispatch table `T::kMembers`
// (see com/dispatch.h): reference counting, IDispatch's type-info answers (none),
// GetIDsOfNames/Invoke over the table, and ISupportErrorInfo, by which a client that calls through
// the vtable learns that a failed call left its description in the thread's error info.
#pragma once

#include "com/dispatch.h"
#include "com/object.h"

namespace com {

template <class T, class Interface = IDispatch>
class Automation : public Object<T, Interface>, public ISupportErrorInfo {
    using Base = Object<T, Interface>;

  public:
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
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT WAGELINK_CALL GetTypeInfo(UINT, LCID, void**) override { return E_NOTIMPL; }
    HRESULT WAGELINK_CALL GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return DispatchGetIDsOfNames(T::kMembers, names, count, ids);
    }
    HRESULT WAGELINK_CALL Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* info, UINT* argErr) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return DispatchInvoke(T::kMembers, static_cast<T&>(*this), id, flags, params, result, info,
                              argErr);
    }
};

}  // namespace com
