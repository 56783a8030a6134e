// VARIANTs and SAFEARRAYs are the system's (oleaut32): what a script hands us and what we hand it
// are freed by whichever side owns them, with the same allocator.
#include "com/variant.h"
#include "com/windows/system.h"

namespace com {

void VariantInit(VARIANT* v) {
    ::VariantInit(system::Variant(v));
}

HRESULT VariantClear(VARIANT* v) {
    return ::VariantClear(system::Variant(v));
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    return ::VariantCopy(system::Variant(dest), const_cast<::VARIANT*>(system::Variant(src)));
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
    return ::VariantCopyInd(system::Variant(dest), const_cast<::VARIANT*>(system::Variant(src)));
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
    if (vt != VT_VARIANT) return nullptr;
    return reinterpret_cast<SAFEARRAY*>(::SafeArrayCreateVector(vt, lowerBound, elements));
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    return ::SafeArrayDestroy(system::Array(array));
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** out) {
    return ::SafeArrayCopy(system::Array(source), reinterpret_cast<::SAFEARRAY**>(out));
}

}  // namespace com
