// BSTRs are the system's (oleaut32): a script or client frees what we hand it with its own
// SysFreeString.
#include "com/bstr.h"
#include "com/windows/system.h"

namespace com {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    return reinterpret_cast<BSTR>(::SysAllocStringLen(system::Text(text), length));
}

BSTR SysAllocString(const OLECHAR* text) {
    return reinterpret_cast<BSTR>(::SysAllocString(system::Text(text)));
}

void SysFreeString(BSTR text) {
    ::SysFreeString(system::Bstr(text));
}

UINT SysStringLen(BSTR text) {
    return ::SysStringLen(system::Bstr(text));
}

BSTR ShortenString(BSTR text, UINT length) noexcept {
    ::BSTR shortened = system::Bstr(text);
    // Asked for its own first characters, the system keeps them in place and gives back the rest.
    if (::SysReAllocStringLen(&shortened, shortened, length))
        return reinterpret_cast<BSTR>(shortened);
    // Kept at its size: the length before the characters tells where the text ends.
    text[length] = u'\0';
    reinterpret_cast<std::uint32_t*>(text)[-1] = length * sizeof(OLECHAR);
    return text;
}

}  // namespace com
