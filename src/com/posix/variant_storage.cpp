// VARIANT and SAFEARRAY storage of our own, where no oleaut32 exists.
#include <cstdlib>
#include <cstring>

#include "com/hresult.h"
#include "com/unknown.h"
#include "com/variant.h"

namespace com {

void VariantInit(VARIANT* v) {
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) return E_POINTER;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt & VT_ARRAY) {
            SafeArrayDestroy(v->parray);
        } else {
            switch (v->vt) {
                case VT_BSTR:
                    SysFreeString(v->bstrVal);
                    break;
                case VT_DISPATCH:
                case VT_UNKNOWN:
                    if (v->punkVal) v->punkVal->Release();
                    break;
                default:
                    break;
            }
        }
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_POINTER;
    if (dest == src) return S_OK;
    VARIANT copy = *src;
    if (!(src->vt & VT_BYREF)) {
        if (src->vt & VT_ARRAY) {
            if (src->parray && FAILED(SafeArrayCopy(src->parray, &copy.parray)))
                return E_OUTOFMEMORY;
        } else if (src->vt == VT_BSTR && src->bstrVal) {
            copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
            if (!copy.bstrVal) return E_OUTOFMEMORY;
        } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
            src->punkVal->AddRef();
        }
    }
    VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_POINTER;
    VARIANT plain = Dereference(*src);
    return VariantCopy(dest, &plain);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
    if (vt != VT_VARIANT) return nullptr;
    auto* array = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
    if (!array) return nullptr;
    array->cDims = 1;
    array->cbElements = sizeof(VARIANT);
    array->rgsabound[0] = {elements, lowerBound};
    if (elements) {
        array->pvData = std::calloc(elements, sizeof(VARIANT));
        if (!array->pvData) {
            std::free(array);
            return nullptr;
        }
        for (ULONG i = 0; i < elements; ++i) VariantInit(static_cast<VARIANT*>(array->pvData) + i);
    }
    return array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (!array) return S_OK;
    VARIANT* items = SafeArrayElements(array);
    for (ULONG i = 0; i < SafeArrayCount(array); ++i) VariantClear(items + i);
    std::free(array->pvData);
    std::free(array);
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!source) return S_OK;
    SAFEARRAY* copy =
        SafeArrayCreateVector(VT_VARIANT, source->rgsabound[0].lLbound, SafeArrayCount(source));
    if (!copy) return E_OUTOFMEMORY;
    for (ULONG i = 0; i < SafeArrayCount(source); ++i) {
        if (FAILED(VariantCopy(SafeArrayElements(copy) + i, SafeArrayElements(source) + i))) {
            SafeArrayDestroy(copy);
            return E_OUTOFMEMORY;
        }
    }
    *out = copy;
    return S_OK;
}

}  // namespace com
