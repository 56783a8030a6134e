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

Bstr::Bstr(std::string_view utf8) {
    // Converted straight into the string's own block: room for one unit per byte, then the
    // length set to the units written (and the block shrunk when much of it stays unused).
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(utf8.size()));
    if (!text) throw std::bad_alloc();
    std::size_t units = 0;
    try {
        units = base::Utf8ToUtf16(utf8, text);
    } catch (...) {
        SysFreeString(text);
        throw;
    }
    text[units] = u'\0';
    *Header(text) = static_cast<std::uint32_t>(units * sizeof(OLECHAR));
    if (units < utf8.size() / 2) {
        void* smaller = std::realloc(Header(text), kPrefix + (units + 1) * sizeof(OLECHAR));
        if (smaller) text = reinterpret_cast<BSTR>(static_cast<char*>(smaller) + kPrefix);
    }
    p_ = text;
}

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
