// The system's COM for the files of this folder, which hand our types to it unchanged: they have
// the system's layouts (com/types.h). Include it after every header of ours: <windows.h> defines
// as macros names that ours declare (S_OK, E_FAIL, SUCCEEDED, DISPATCH_METHOD).
#pragma once

#include "base/utf.h"
#include "com/guid.h"
#include "com/variant.h"

// After ours, for the reason above; it brings oleauto.h and ole2.h.
#include <windows.h>

#include <string>
#include <string_view>

namespace com::system {

inline ::BSTR Bstr(com::BSTR text) {
    return reinterpret_cast<::BSTR>(text);
}
inline const wchar_t* Text(const com::OLECHAR* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline ::VARIANT* Variant(com::VARIANT* v) {
    return reinterpret_cast<::VARIANT*>(v);
}
inline const ::VARIANT* Variant(const com::VARIANT* v) {
    return reinterpret_cast<const ::VARIANT*>(v);
}
inline ::SAFEARRAY* Array(com::SAFEARRAY* a) {
    return reinterpret_cast<::SAFEARRAY*>(a);
}
inline const ::GUID& Guid(const com::GUID& g) {
    return reinterpret_cast<const ::GUID&>(g);
}

// UTF-8 to the system's wide text, and back.
inline std::wstring Wide(std::string_view utf8) {
    std::u16string units = base::Utf8ToUtf16(utf8);
    return {units.begin(), units.end()};
}
inline std::string Utf8(std::wstring_view wide) {
    return base::Utf16ToUtf8({reinterpret_cast<const char16_t*>(wide.data()), wide.size()});
}

}  // namespace com::system
