#include "com/bstr.h"

#include <new>

namespace com {

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
    p_ = ShortenString(text, static_cast<UINT>(units));
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
