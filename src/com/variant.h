// VARIANT and the 1-D SAFEARRAY of VARIANT, with VB-style conversions.
//
// Rules of the boundary:
//  1. A VARIANT owns what it holds (a BSTR, a counted reference, an array) unless VT_BYREF is set;
//     VariantClear releases it and leaves VT_EMPTY.
//  2. A VT_BYREF VARIANT points into storage owned by the caller; clearing it releases nothing.
//  3. An out-parameter VARIANT is initialised by the callee; the caller clears it.
//  4. The missing optional argument is VT_ERROR holding DISP_E_PARAMNOTFOUND.
#pragma once

#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/types.h"

namespace com {

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

enum VarType : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        std::int64_t llVal;
        LONG lVal;
        SHORT iVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        SHORT* piVal;
        LONG* plVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } record;
    };
};
static_assert(sizeof(VARIANT) == (sizeof(void*) == 8 ? 24 : 16),
              "VARIANT must keep the Windows layout");

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
// Deep copy: BSTRs and arrays are duplicated, references AddRef'd; BYREF copies the pointer.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Like VariantCopy, but a BYREF source is dereferenced into an owned value.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);

// One-dimensional arrays of VARIANT only (vt must be VT_VARIANT).
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** out);
ULONG SafeArrayCount(const SAFEARRAY* array);
VARIANT* SafeArrayElements(SAFEARRAY* array);

// Follows VT_BYREF (and VT_BYREF|VT_VARIANT) to the VARIANT-shaped value it denotes.
// Values reached through a typed reference are returned as a non-owning copy.
VARIANT Dereference(const VARIANT& v);

// Owns one VARIANT.
class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant other) noexcept {
        std::swap(v_, other.v_);
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    static Variant Null();
    static Variant Missing();
    static Variant FromShort(SHORT value);
    static Variant FromLong(LONG value);
    static Variant FromDouble(double value);
    static Variant FromBool(bool value);
    static Variant FromText(std::string_view utf8);
    static Variant FromBstr(Bstr value);
    static Variant FromDispatch(IDispatch* value);  // AddRef's
    static Variant FromError(SCODE code);
    static Variant FromArray(SAFEARRAY* owned);
    // Takes ownership of a raw VARIANT, leaving the source empty.
    static Variant Attach(VARIANT& raw);
    // A copy of `raw` with BYREF followed: what a callee reads from a by-reference argument.
    static Variant CopyOf(const VARIANT& raw);

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARTYPE type() const { return v_.vt; }
    VARIANT Detach() noexcept {
        VARIANT v = v_;
        VariantInit(&v_);
        return v;
    }
    // Clears and hands out the slot for an out-parameter.
    VARIANT* Receive() {
        VariantClear(&v_);
        return &v_;
    }

  private:
    VARIANT v_;
};

bool IsMissing(const VARIANT& v);
bool IsNull(const VARIANT& v);

// Conversions with VB semantics: overflow is fault 6, an unconvertible value fault 13, Null
// converted to text or number is fault 94. Text converts to a number only when the whole text
// (blanks around it allowed) is a number; rounding to integers is half to even.
std::string ToText(const VARIANT& v);
SHORT ToShort(const VARIANT& v);
LONG ToLong(const VARIANT& v);
double ToDouble(const VARIANT& v);
bool ToBool(const VARIANT& v);
// The dispatch reference held (directly or by reference), not AddRef'd; null when Nothing.
IDispatch* ToDispatch(const VARIANT& v);

}  // namespace com
