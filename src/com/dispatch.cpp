#include "com/dispatch.h"

#include <functional>

#include "base/text.h"

namespace com {

namespace {

// Never throws: without memory for the texts the EXCEPINFO carries the number alone.
void FillExcepInfo(EXCEPINFO* info, const ErrorInfo& error) noexcept {
    if (!info) return;
    *info = EXCEPINFO{};
    info->scode = FaultNumberToHresult(error.number);
    try {
        info->bstrSource = Bstr("Wagelink").Detach();
        info->bstrDescription = Bstr(error.description).Detach();
    } catch (...) {
    }
}

}  // namespace

VARIANT* DispatchArguments::PutValue() const {
    for (UINT i = 0; i < params_->cNamedArgs; ++i)
        if (params_->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) return &params_->rgvarg[i];
    return nullptr;
}

BstrArgument::BstrArgument(const DispatchArguments& args, UINT index) {
    if (!args.Given(index)) throw ArgumentError{index, DISP_E_PARAMNOTOPTIONAL};
    VARIANT& raw = args.Raw(index);
    if (raw.vt == (VT_BYREF | VT_BSTR)) {
        target_ = raw.pbstrVal;
        return;
    }
    if (raw.vt == (VT_BYREF | VT_VARIANT)) variantTarget_ = raw.pvarVal;
    if (raw.vt == VT_BSTR) {
        borrowed_ = &raw.bstrVal;
        return;
    }
    try {
        local_ = Bstr(ToText(raw));
    } catch (const base::Fault&) {
        throw ArgumentError{index, DISP_E_TYPEMISMATCH};
    }
}

BSTR* BstrArgument::ref() {
    if (target_) return target_;
    if (borrowed_) {
        // The callee may replace the text: it gets a copy, so the caller's stays as it was.
        local_ = Bstr::Attach(SysAllocStringLen(*borrowed_, SysStringLen(*borrowed_)));
        if (*borrowed_ && !local_.get()) throw std::bad_alloc();
        borrowed_ = nullptr;
    }
    return local_.InOut();
}

void BstrArgument::WriteBack() {
    if (!variantTarget_) return;
    Variant updated = Variant::FromBstr(std::move(local_));
    VariantClear(variantTarget_);
    *variantTarget_ = updated.Detach();
}

DispatchArgument::DispatchArgument(const DispatchArguments& args, UINT index) {
    if (!args.Given(index)) return;  // an omitted object reads as Nothing
    VARIANT& raw = args.Raw(index);
    if (raw.vt == (VT_BYREF | VT_DISPATCH)) {
        target_ = raw.ppdispVal;
        return;
    }
    if (raw.vt == (VT_BYREF | VT_VARIANT)) variantTarget_ = raw.pvarVal;
    try {
        local_ = original_ = ToDispatch(raw);
    } catch (const base::Fault&) {
        throw ArgumentError{index, DISP_E_TYPEMISMATCH};
    }
}

void DispatchArgument::WriteBack() {
    // A callee that replaced a by-reference object hands its new reference to the caller.
    if (!variantTarget_ || local_ == original_) return;
    VariantClear(variantTarget_);
    variantTarget_->vt = VT_DISPATCH;
    variantTarget_->pdispVal = local_;
}

VARIANT* VariantArgument(const DispatchArguments& args, UINT index, Variant& missing) {
    if (index >= args.count()) {
        missing = Variant::Missing();
        return missing.get();
    }
    VARIANT& raw = args.Raw(index);
    return raw.vt == (VT_BYREF | VT_VARIANT) ? raw.pvarVal : &raw;
}

HRESULT LookUpDispIds(std::span<const std::string_view> names, std::span<const DISPID> ids,
                      LPOLESTR* asked, UINT count, DISPID* out) {
    if (!asked || !out) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        out[i] = DISPID_UNKNOWN;
        if (i > 0) {  // names of arguments are not supported
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        std::string name;
        try {
            name =
                base::Utf16ToUtf8(asked[i] ? std::u16string_view(asked[i]) : std::u16string_view());
        } catch (const base::Fault&) {
            return DISP_E_UNKNOWNNAME;
        }
        bool found = false;
        for (std::size_t k = 0; k < names.size() && !found; ++k) {
            if (base::EqualNoCase(names[k], name)) {
                out[i] = ids[k];
                found = true;
            }
        }
        if (!found) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

namespace {

// A member without parameters that is given arguments, as in `rs("name")` or
// `rs.Fields("name")`: the arguments belong to the default member of the object it returns,
// as automation collections take them.
HRESULT InvokeDefaultOfResult(WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                              UINT* argErr,
                              const std::function<HRESULT(DispatchArguments&, VARIANT*)>& call) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant object;
    HRESULT hr = InvokeMember(0, 0, flags, &none, object.get(), excepInfo, argErr, call);
    if (FAILED(hr)) return hr;
    const VARIANT value = Dereference(*object.get());
    if (value.vt != VT_DISPATCH || !value.pdispVal) return DISP_E_BADPARAMCOUNT;
    return value.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, flags, params, result, excepInfo,
                                  argErr);
}

}  // namespace

HRESULT InvokeMember(UINT minArgs, UINT maxArgs, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* excepInfo, UINT* argErr,
                     const std::function<HRESULT(DispatchArguments&, VARIANT*)>& call) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if ((params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    if (params->cNamedArgs > 0 &&
        !(flags & DISPATCH_PROPERTYPUT && params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
          params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT))
        return DISP_E_NONAMEDARGS;
    DispatchArguments args(params);
    if (args.count() > maxArgs && maxArgs == 0 && params->cNamedArgs == 0 &&
        !(flags & DISPATCH_PROPERTYPUT))
        return InvokeDefaultOfResult(flags, params, result, excepInfo, argErr, call);
    if (args.count() < minArgs || args.count() > maxArgs) return DISP_E_BADPARAMCOUNT;
    Variant scratch;
    if (!result) result = scratch.get();
    VariantClear(result);
    try {
        ClearErrorInfo();
        HRESULT hr = call(args, result);
        if (SUCCEEDED(hr)) return hr;
        // A member that failed by HRESULT: its error info, if it left one, says why.
        auto error = TakeErrorInfo(hr);
        FillExcepInfo(excepInfo, error ? *error : ErrorInfo{hr, "Call failed"});
        return DISP_E_EXCEPTION;
    } catch (const ArgumentError& e) {
        if (argErr) *argErr = params->cArgs - 1 - e.index;
        return e.hr;
    } catch (...) {
        // Without memory for the description the error info is empty; the number still tells.
        const HRESULT hr = ReportCurrentException();
        auto error = TakeErrorInfo(hr);
        FillExcepInfo(excepInfo, error ? *error : ErrorInfo{HresultToFaultNumber(hr), {}});
        return DISP_E_EXCEPTION;
    }
}

}  // namespace com
