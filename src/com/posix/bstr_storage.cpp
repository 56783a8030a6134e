// BSTR storage of our own, where no oleaut32 exists: the layout oleaut32 uses.
#include <cstdlib>
#include <cstring>

#include "com/bstr.h"

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

BSTR ShortenString(BSTR text, UINT length) noexcept {
    const UINT room = SysStringLen(text);
    text[length] = u'\0';
    *Header(text) = static_cast<std::uint32_t>(length * sizeof(OLECHAR));
    if (length >= room / 2) return text;
    void* smaller = std::realloc(Header(text), kPrefix + (length + 1) * sizeof(OLECHAR));
    return smaller ? reinterpret_cast<BSTR>(static_cast<char*>(smaller) + kPrefix) : text;
}

}  // namespace com
