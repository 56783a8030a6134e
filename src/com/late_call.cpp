#include "com/late_call.h"

#include <algorithm>

#include "base/fault.h"
#include "com/error_info.h"
#include "com/hresult.h"

namespace com {

VARIANT ByRef(Variant& value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = value.get();
    return v;
}

namespace {

// Script objects that know their names only through IDispatchEx (a VBScript class instance
// answers GetIDsOfNames with E_NOTIMPL) are asked through it, without regard to case.
HRESULT GetDispIdEx(IDispatch* target, BSTR name, DISPID* id) {
    ComPtr<IDispatchEx> ex = ComPtr<IDispatch>(target).As<IDispatchEx>(IID_IDispatchEx);
    if (!ex) return E_NOTIMPL;
    return ex->GetDispID(name, fdexNameCaseInsensitive, id);
}

}  // namespace

DISPID GetDispId(IDispatch* target, std::string_view name) {
    if (!target) base::ThrowObjectNotSet();
    Bstr wide(name);
    LPOLESTR names[] = {wide.get()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (hr == E_NOTIMPL) hr = GetDispIdEx(target, wide.get(), &id);
    if (FAILED(hr))
        throw base::Fault(base::kObjectLacksMember,
                          "Object doesn't support this property or method: " + std::string(name));
    return id;
}

Variant CallByName(IDispatch* target, std::string_view name, WORD flags,
                   const std::vector<VARIANT>& args) {
    return CallById(target, GetDispId(target, name), name, flags, args);
}

Variant CallById(IDispatch* target, DISPID id, std::string_view name, WORD flags,
                 const std::vector<VARIANT>& args) {
    if (!target) base::ThrowObjectNotSet();
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO info{};
    UINT argErr = 0;
    HRESULT hr = target->Invoke(id, IID_NULL, 0, flags, &params, result.Receive(), &info, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        std::int32_t number = info.scode ? HresultToFaultNumber(info.scode) : info.wCode;
        std::string description = BstrToUtf8(info.bstrDescription);
        ClearExcepInfo(&info);
        throw base::Fault(number, description);
    }
    ClearExcepInfo(&info);
    if (FAILED(hr)) {
        throw base::Fault(hr, "Call of " + std::string(name) + " failed");
    }
    return result;
}

Variant GetProperty(IDispatch* target, std::string_view name) {
    return CallByName(target, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD);
}

}  // namespace com
