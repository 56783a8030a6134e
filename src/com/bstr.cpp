#include "com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace com {

namespace {

// Layout: a 32-bit byte count, then the characters, then a NUL character.
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

std::uint32_t* Header(BSTR text) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - kPrefix);
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    *reinterpret_cast<std::uint32_t*>(block) = static_cast<std::uint32_t>(bytes);
    auto* chars = reinterpret_cast<OLECHAR*>(block + kPrefix);
    if (text) {
        std::memcpy(chars, text, bytes);
    } else {
        std::memset(chars, 0, bytes);
    }
    chars[length] = u'\0';
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    UINT n = 0;
    while (text[n]) ++n;
    return SysAllocStringLen(text, n);
}

void SysFreeString(BSTR text) {
    if (text) std::free(Header(text));
}

UINT SysStringLen(BSTR text) {
    return text ? *Header(text) / sizeof(OLECHAR) : 0;
}

std::string BstrToUtf8(BSTR text) {
    return base::Utf16ToUtf8({text ? text : u"", SysStringLen(text)});
}

Bstr::Bstr(std::string_view utf8) : Bstr(std::u16string_view(base::Utf8ToUtf16(utf8))) {}

Bstr::Bstr(std::u16string_view utf16)
    : p_(SysAllocStringLen(utf16.data(), static_cast<UINT>(utf16.size()))) {
    if (!p_) throw std::bad_alloc();
}

Bstr::Bstr(const Bstr& other) : p_(nullptr) {
    if (other.p_) {
        p_ = SysAllocStringLen(other.p_, other.size());
        if (!p_) throw std::bad_alloc();
    }
}

}  // namespace com
