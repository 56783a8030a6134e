#include "com/variant.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/fault.h"
#include "base/number.h"
#include "com/hresult.h"
#include "com/unknown.h"

namespace com {

VARIANT Dereference(const VARIANT& v) {
    if (!(v.vt & VT_BYREF)) return v;
    VARTYPE base = v.vt & ~VT_BYREF;
    VARIANT out;
    VariantInit(&out);
    if (base == VT_VARIANT) return v.pvarVal ? Dereference(*v.pvarVal) : out;
    out.vt = base;
    if (!v.byref) return out;
    if (base & VT_ARRAY) {
        out.parray = *v.pparray;
        return out;
    }
    switch (base) {
        case VT_I2:
            out.iVal = *v.piVal;
            break;
        case VT_I4:
            out.lVal = *v.plVal;
            break;
        case VT_R8:
            out.dblVal = *v.pdblVal;
            break;
        case VT_BOOL:
            out.boolVal = *v.pboolVal;
            break;
        case VT_ERROR:
            out.scode = *v.pscode;
            break;
        case VT_BSTR:
            out.bstrVal = *v.pbstrVal;
            break;
        case VT_DISPATCH:
            out.pdispVal = *v.ppdispVal;
            break;
        case VT_UNKNOWN:
            out.punkVal = *v.ppunkVal;
            break;
        default:
            out.vt = VT_EMPTY;
            break;
    }
    return out;
}

ULONG SafeArrayCount(const SAFEARRAY* array) {
    return array ? array->rgsabound[0].cElements : 0;
}

VARIANT* SafeArrayElements(SAFEARRAY* array) {
    return array ? static_cast<VARIANT*>(array->pvData) : nullptr;
}

Variant::Variant(const Variant& other) {
    VariantInit(&v_);
    if (FAILED(VariantCopy(&v_, &other.v_))) throw std::bad_alloc();
}

Variant Variant::Null() {
    Variant v;
    v.v_.vt = VT_NULL;
    return v;
}

Variant Variant::Missing() {
    return FromError(DISP_E_PARAMNOTFOUND);
}

Variant Variant::FromShort(SHORT value) {
    Variant v;
    v.v_.vt = VT_I2;
    v.v_.iVal = value;
    return v;
}

Variant Variant::FromLong(LONG value) {
    Variant v;
    v.v_.vt = VT_I4;
    v.v_.lVal = value;
    return v;
}

Variant Variant::FromDouble(double value) {
    Variant v;
    v.v_.vt = VT_R8;
    v.v_.dblVal = value;
    return v;
}

Variant Variant::FromBool(bool value) {
    Variant v;
    v.v_.vt = VT_BOOL;
    v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::FromText(std::string_view utf8) {
    return FromBstr(Bstr(utf8));
}

Variant Variant::FromBstr(Bstr value) {
    Variant v;
    v.v_.vt = VT_BSTR;
    v.v_.bstrVal = value.Detach();
    return v;
}

Variant Variant::FromDispatch(IDispatch* value) {
    Variant v;
    v.v_.vt = VT_DISPATCH;
    v.v_.pdispVal = value;
    if (value) value->AddRef();
    return v;
}

Variant Variant::FromError(SCODE code) {
    Variant v;
    v.v_.vt = VT_ERROR;
    v.v_.scode = code;
    return v;
}

Variant Variant::FromArray(SAFEARRAY* owned) {
    Variant v;
    v.v_.vt = VT_ARRAY | VT_VARIANT;
    v.v_.parray = owned;
    return v;
}

Variant Variant::Attach(VARIANT& raw) {
    Variant v;
    v.v_ = raw;
    VariantInit(&raw);
    return v;
}

Variant Variant::CopyOf(const VARIANT& raw) {
    Variant v;
    if (FAILED(VariantCopyInd(&v.v_, &raw))) throw std::bad_alloc();
    return v;
}

bool IsMissing(const VARIANT& v) {
    VARIANT d = Dereference(v);
    return d.vt == VT_ERROR && d.scode == DISP_E_PARAMNOTFOUND;
}

bool IsNull(const VARIANT& v) {
    return Dereference(v).vt == VT_NULL;
}

namespace {

[[noreturn]] void InvalidUseOfNull() {
    base::ThrowInvalidUseOfNull();
}

// The number a scalar VARIANT denotes, for the integer and double conversions.
double NumericValue(const VARIANT& raw) {
    VARIANT v = Dereference(raw);
    switch (v.vt) {
        case VT_EMPTY:
            return 0;
        case VT_NULL:
            InvalidUseOfNull();
        case VT_I2:
            return v.iVal;
        case VT_I4:
            return v.lVal;
        case VT_R8:
            return v.dblVal;
        case VT_BOOL:
            return v.boolVal ? -1 : 0;
        case VT_BSTR: {
            auto n = base::WholeNumber(BstrToUtf8(v.bstrVal));
            if (!n) base::ThrowTypeMismatch();
            return *n;
        }
        default:
            base::ThrowTypeMismatch();
    }
}

}  // namespace

std::string ToText(const VARIANT& raw) {
    VARIANT v = Dereference(raw);
    switch (v.vt) {
        case VT_EMPTY:
            return "";
        case VT_NULL:
            InvalidUseOfNull();
        case VT_I2:
            return std::to_string(v.iVal);
        case VT_I4:
            return std::to_string(v.lVal);
        case VT_R8:
            return base::FormatNumber(v.dblVal);
        case VT_BOOL:
            return v.boolVal ? "True" : "False";
        case VT_BSTR:
            return BstrToUtf8(v.bstrVal);
        default:
            base::ThrowTypeMismatch();
    }
}

SHORT ToShort(const VARIANT& v) {
    return base::ToInt16(NumericValue(v));
}
LONG ToLong(const VARIANT& v) {
    return base::ToInt32(NumericValue(v));
}
double ToDouble(const VARIANT& v) {
    return NumericValue(v);
}
bool ToBool(const VARIANT& raw) {
    VARIANT v = Dereference(raw);
    if (v.vt == VT_BSTR) {
        std::string t = BstrToUtf8(v.bstrVal);
        if (t == "True" || t == "true" || t == "TRUE") return true;
        if (t == "False" || t == "false" || t == "FALSE") return false;
    }
    return NumericValue(v) != 0;
}

IDispatch* ToDispatch(const VARIANT& raw) {
    VARIANT v = Dereference(raw);
    if (v.vt == VT_DISPATCH) return v.pdispVal;
    if (v.vt == VT_EMPTY) return nullptr;
    if (v.vt == VT_UNKNOWN) {
        if (!v.punkVal) return nullptr;
        base::ThrowTypeMismatch();
    }
    base::ThrowTypeMismatch();
}

}  // namespace com
