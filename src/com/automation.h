// The base of automation objects whose members are a static dispatch table `T::kMembers`
// (see com/dispatch.h): reference counting, IDispatch's type-info answers (none), and
// GetIDsOfNames/Invoke over the table.
#pragma once

#include "com/dispatch.h"
#include "com/object.h"

namespace com {

template <class T, class Interface = IDispatch>
class Automation : public Object<T, Interface> {
  public:
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
