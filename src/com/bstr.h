// BSTR: length-prefixed UTF-16 strings, and UTF-8 <-> UTF-16 conversion.
//
// Rules of the boundary:
//  1. A BSTR is allocated by SysAllocString*/Bstr and freed by SysFreeString, never by delete/free.
//  2. A null BSTR is the empty text; SysStringLen(nullptr) is 0.
//  3. An in-parameter BSTR is owned by the caller; an out-parameter BSTR is allocated by the callee
//     and owned by the caller afterwards. A callee that fails leaves its out-parameter null.
//  4. Embedded NUL characters are part of the text: the length prefix, not a terminator, decides.
#pragma once

#include <string>
#include <string_view>

#include "base/utf.h"
#include "com/types.h"

namespace com {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
// Cuts `text` to its first `length` characters (length <= its own), giving back the room the
// rest took; returns the string, which may have moved.
BSTR ShortenString(BSTR text, UINT length) noexcept;

std::string BstrToUtf8(BSTR text);

// Owns one BSTR.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8);
    explicit Bstr(std::u16string_view utf16);
    Bstr(const Bstr& other);
    Bstr(Bstr&& other) noexcept : p_(other.Detach()) {}
    Bstr& operator=(Bstr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Bstr() { SysFreeString(p_); }

    static Bstr Attach(BSTR p) {
        Bstr b;
        b.p_ = p;
        return b;
    }
    BSTR Detach() noexcept {
        BSTR p = p_;
        p_ = nullptr;
        return p;
    }
    BSTR get() const { return p_; }
    // Frees the current text and hands out the slot for an out-parameter.
    BSTR* Receive() {
        SysFreeString(p_);
        p_ = nullptr;
        return &p_;
    }
    // The slot itself, for an in/out parameter the callee may replace (freeing the old text).
    BSTR* InOut() { return &p_; }
    UINT size() const { return SysStringLen(p_); }
    std::u16string_view view() const { return {p_ ? p_ : u"", size()}; }
    std::string utf8() const { return BstrToUtf8(p_); }

  private:
    BSTR p_ = nullptr;
};

}  // namespace com
