#include "base/utf.h"

#include <cstdint>
#include <cstring>

#include "base/fault.h"

namespace base {

namespace {

[[noreturn]] void Malformed(const char* what) {
    ThrowTypeMismatch(what);
}

char* PutUtf8(char* w, char32_t cp) {
    if (cp < 0x800) {
        *w++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
        *w++ = static_cast<char>(0xE0 | (cp >> 12));
        *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
        *w++ = static_cast<char>(0xF0 | (cp >> 18));
        *w++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *w++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *w++ = static_cast<char>(0x80 | (cp & 0x3F));
    return w;
}

enum class Decoded { kOk, kMalformed, kTruncated };

// Decodes one UTF-8 sequence at `i` (not ASCII) into `cp`, advancing `i` past it; rejects
// overlong forms and surrogates, leaving `i` where it was.
Decoded DecodeSequence(std::string_view s, std::size_t& i, char32_t& cp) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    int extra;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        return Decoded::kMalformed;
    }
    if (i + extra >= s.size()) return Decoded::kTruncated;
    for (int k = 1; k <= extra; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return Decoded::kMalformed;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return Decoded::kMalformed;
    i += extra + 1;
    return Decoded::kOk;
}

char32_t NextCodePoint(std::string_view s, std::size_t& i) {
    char32_t cp = 0;
    switch (DecodeSequence(s, i, cp)) {
        case Decoded::kOk:
            return cp;
        case Decoded::kTruncated:
            Malformed("Truncated UTF-8 text");
        case Decoded::kMalformed:
            break;
    }
    Malformed("Malformed UTF-8 text");
}

// Markup and most values are ASCII: runs of it are copied eight characters at a time, tested
// with one mask, instead of character by character.
constexpr std::uint64_t kAsciiBytes = 0x8080808080808080ull;
constexpr std::uint64_t kAsciiUnits = 0xFF80FF80FF80FF80ull;

// Copies the ASCII run of `utf8` that begins at `i` into `w`, advancing both.
void CopyAscii(std::string_view utf8, std::size_t& i, char16_t*& w) {
    for (std::uint64_t eight; i + 8 <= utf8.size(); i += 8, w += 8) {
        std::memcpy(&eight, utf8.data() + i, 8);
        if (eight & kAsciiBytes) break;
        for (int k = 0; k < 8; ++k) w[k] = static_cast<char16_t>(utf8[i + k]);
    }
    while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80)
        *w++ = static_cast<char16_t>(utf8[i++]);
}

// Copies the ASCII run of `utf16` that begins at `i` into `w`, advancing both.
void CopyAscii(std::u16string_view utf16, std::size_t& i, char*& w) {
    for (std::uint64_t four[2]; i + 8 <= utf16.size(); i += 8, w += 8) {
        std::memcpy(four, utf16.data() + i, 16);
        if ((four[0] | four[1]) & kAsciiUnits) break;
        for (int k = 0; k < 8; ++k) w[k] = static_cast<char>(utf16[i + k]);
    }
    while (i < utf16.size() && utf16[i] < 0x80) *w++ = static_cast<char>(utf16[i++]);
}

}  // namespace

std::size_t Utf8ToUtf16(std::string_view utf8, char16_t* out) {
    char16_t* w = out;
    for (std::size_t i = 0; i < utf8.size();) {
        CopyAscii(utf8, i, w);
        if (i == utf8.size()) break;
        char32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *w++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *w++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *w++ = static_cast<char16_t>(cp);
        }
    }
    return static_cast<std::size_t>(w - out);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    // Never more UTF-16 units than UTF-8 bytes: write into a buffer of that size, then trim.
    std::u16string out(utf8.size(), u'\0');
    out.resize(Utf8ToUtf16(utf8, out.data()));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    // Sized exactly first, so that a long text is never held at three times its length.
    // One byte per unit, and one or two more above 0x7F and 0x7FF; a low surrogate adds one
    // byte to the three of its high one, for the four of the pair.
    std::size_t bytes = utf16.size();
    for (char16_t u : utf16) {
        const bool low = u >= 0xDC00 && u <= 0xDFFF;
        bytes += low ? 0 : (u >= 0x80) + (u >= 0x800);
    }
    std::string out(bytes, '\0');
    char* w = out.data();
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        CopyAscii(utf16, i, w);
        if (i == utf16.size()) break;
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF)
                Malformed("Unpaired surrogate in UTF-16 text");
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            Malformed("Unpaired surrogate in UTF-16 text");
        }
        w = PutUtf8(w, c);
    }
    return out;
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        // Every byte but a continuation byte starts a character; four-byte ones take two units.
        if ((c & 0xC0) != 0x80) ++units;
        if (c >= 0xF0) ++units;
    }
    return units;
}

std::string WellFormedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        char32_t cp = 0;
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            out += text[i++];
        } else if (DecodeSequence(text, i, cp) == Decoded::kOk) {
            out.append(text.substr(start, i - start));
        } else {
            out += "\xEF\xBF\xBD";  // U+FFFD for the byte that begins no character
            ++i;
        }
    }
    return out;
}

}  // namespace base
