// The COM-compatible binary layer of Wagelink.
//
// What it mirrors: the Windows types and interfaces an in-process automation server and its hosts
// need - GUID/IID/CLSID, HRESULT, BSTR (oleaut32 SysAllocString family), VARIANT with the
// VT_EMPTY/NULL/I2/I4/R8/BOOL/BSTR/DISPATCH/UNKNOWN/ERROR/VARIANT/ARRAY types and their BYREF
// forms, a 1-D SAFEARRAY of VARIANT, IUnknown, IDispatch (with DISPPARAMS and EXCEPINFO),
// IClassFactory, per-thread error info (number and description, in place of IErrorInfo), and for
// hosts a registry file and activation by CLSID or ProgID (in place of the system registry and
// CoCreateInstance).
//
// What it leaves out: apartments and marshalling, ITypeInfo/ITypeLib of its own (GetTypeInfo
// answers E_NOTIMPL where the system has no type library to read), IErrorInfo objects of its own,
// named arguments, LCIDs (accepted and ignored), CY/DATE/DECIMAL and multi-dimensional arrays.
//
// On Windows these types stay, and the functions behind them are the system's (com/windows/ hands
// our types to oleaut32 and ole32 unchanged): the vtable slot order of every interface is the
// Windows one (pure virtual methods, no virtual destructor), every method is called as COM calls
// it (WAGELINK_CALL), and the layouts of GUID, VARIANT, DISPPARAMS, EXCEPINFO and SAFEARRAY are
// the Windows ones, 64-bit and 32-bit. Elsewhere com/posix/ is that runtime.
#pragma once

#include <cstdint>

// COM's calling convention (stdcall on 32-bit Windows; elsewhere the platform's only one), and how
// a module makes a C function public (on Windows its .def file names it).
#if defined(_WIN32)
#define WAGELINK_CALL __stdcall
#define WAGELINK_EXPORT
#else
#define WAGELINK_CALL
#define WAGELINK_EXPORT __attribute__((visibility("default")))
#endif

namespace com {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using SCODE = std::int32_t;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

}  // namespace com
