#include "com/late_call.h"

#include <algorithm>
#include <new>
#include <optional>

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

namespace {

// One Invoke: S_OK with the result, or the failure as the fault it stands for in `fault`.
HRESULT TryInvoke(IDispatch* target, DISPID id, std::string_view name, WORD flags,
                  const std::vector<VARIANT>& args, Variant& result,
                  std::optional<base::Fault>& fault) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    UINT argErr = 0;
    HRESULT hr = target->Invoke(id, IID_NULL, 0, flags, &params, result.Receive(), &info, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        std::int32_t number = info.scode ? HresultToFaultNumber(info.scode) : info.wCode;
        std::string description = BstrToUtf8(info.bstrDescription);
        ClearExcepInfo(&info);
        fault.emplace(number, description);
        return hr;
    }
    ClearExcepInfo(&info);
    if (FAILED(hr)) fault.emplace(hr, "Call of " + std::string(name) + " failed");
    return hr;
}

// What kind of object a fault names: script languages' objects answer IDispatchEx.
std::string KindOf(IDispatch* target) {
    return ComPtr<IDispatch>(target).As<IDispatchEx>(IID_IDispatchEx) ? "a script object"
                                                                      : "an automation object";
}

}  // namespace

Variant CallById(IDispatch* target, DISPID id, std::string_view name, WORD flags,
                 const std::vector<VARIANT>& args) {
    if (!target) base::ThrowObjectNotSet();
    Variant result;
    std::optional<base::Fault> fault;
    if (FAILED(TryInvoke(target, id, name, flags, args, result, fault))) throw *fault;
    return result;
}

Variant GetProperty(IDispatch* target, std::string_view name) {
    if (!target) base::ThrowObjectNotSet();
    DISPID id = DISPID_UNKNOWN;
    try {
        id = GetDispId(target, name);
    } catch (const base::Fault& f) {
        throw base::Fault(f.number(), f.description() + " (" + KindOf(target) + ")");
    }
    // Automation clients answer a property read in different forms: VB's member access asks for
    // a property or method at once, which our objects and VBScript's answer; a COM object may
    // answer only a property get, a JScript object refuses a value property read as a method,
    // and some objects answer only a method call. The first form that works gives the value;
    // the object's own error, when one raised one, is what a failure of every form tells.
    constexpr WORD kForms[] = {DISPATCH_PROPERTYGET | DISPATCH_METHOD, DISPATCH_PROPERTYGET,
                               DISPATCH_METHOD};
    std::optional<base::Fault> told;
    bool raised = false;  // `told` is the object's own error
    for (WORD form : kForms) {
        Variant result;
        std::optional<base::Fault> fault;
        const HRESULT hr = TryInvoke(target, id, name, form, {}, result, fault);
        if (SUCCEEDED(hr)) return result;
        // A callee that ran out of memory is not asked again in another form.
        if (fault->number() == base::kOutOfMemory) throw *fault;
        if (!told || (hr == DISP_E_EXCEPTION && !raised)) told = std::move(fault);
        raised = raised || hr == DISP_E_EXCEPTION;
    }
    throw base::Fault(told->number(), "Cannot read the property " + std::string(name) + " of " +
                                          KindOf(target) + ": " + told->description());
}

}  // namespace com
