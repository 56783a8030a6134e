#include "request_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "base/fault.h"
#include "base/text.h"

namespace cli {

namespace {

struct CloseConverter {
    void operator()(iconv_t converter) const { iconv_close(converter); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, CloseConverter>;

std::string Hex(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

// `bytes` in `encoding`, as UTF-8.
std::string ToUtf8(std::string_view bytes, const std::string& encoding) {
    iconv_t raw = iconv_open("UTF-8", encoding.c_str());
    if (raw == reinterpret_cast<iconv_t>(-1))
        base::ThrowTypeMismatch("the request's encoding " + encoding + " is not known");
    Converter converter(raw);
    std::string out(bytes.size() * 3 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    while (inLeft > 0) {
        if (iconv(converter.get(), &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
            continue;
        const std::size_t offset = bytes.size() - inLeft;
        if (errno == E2BIG) {  // room for a few characters more than the estimate
            const std::size_t used = out.size() - toLeft;
            out.resize(out.size() * 2);
            to = out.data() + used;
            toLeft = out.size() - used;
            continue;
        }
        base::ThrowTypeMismatch(
            "the request is not " + encoding + " text: " +
            (errno == EINVAL ? "it ends inside a character"
                             : "the byte " + Hex(static_cast<unsigned char>(bytes[offset])) +
                                   " at offset " + std::to_string(offset) + " cannot be read"));
    }
    out.resize(out.size() - toLeft);
    return out;
}

// The encoding an XML declaration names ("" when there is none, or no declaration).
std::string DeclaredEncoding(std::string_view text) {
    if (text.substr(0, 5) != "<?xml") return "";
    std::string_view declaration = text.substr(0, text.find("?>"));
    const std::size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) return "";
    const std::size_t open = declaration.find_first_of("'\"", key);
    if (open == std::string_view::npos) return "";
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) return "";
    return std::string(declaration.substr(open + 1, close - open - 1));
}

// The offset of the first byte that begins no UTF-8 character, or none.
std::optional<std::size_t> FirstBadUtf8Byte(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t length = b < 0x80                 ? 1
                                   : b >= 0xC2 && b <= 0xDF ? 2
                                   : b >= 0xE0 && b <= 0xEF ? 3
                                   : b >= 0xF0 && b <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size()) return i;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return i;
        // No overlong three- or four-byte forms, no surrogates, nothing beyond U+10FFFF.
        const auto second = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
        if ((b == 0xE0 && second < 0xA0) || (b == 0xED && second >= 0xA0) ||
            (b == 0xF0 && second < 0x90) || (b == 0xF4 && second >= 0x90))
            return i;
        i += length;
    }
    return std::nullopt;
}

bool IsUtf8Name(const std::string& encoding) {
    const std::string name = base::AsciiLower(encoding);
    return name.empty() || name == "utf-8" || name == "utf8";
}

}  // namespace

std::string RequestText(std::string bytes) {
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") return bytes.erase(0, 3);
    if (text.substr(0, 2) == "\xFF\xFE") return ToUtf8(text.substr(2), "UTF-16LE");
    if (text.substr(0, 2) == "\xFE\xFF") return ToUtf8(text.substr(2), "UTF-16BE");
    // UTF-16 without a mark: "<?" with a NUL beside each character.
    if (text.substr(0, 4) == std::string_view("<\0?\0", 4)) return ToUtf8(text, "UTF-16LE");
    if (text.substr(0, 4) == std::string_view("\0<\0?", 4)) return ToUtf8(text, "UTF-16BE");
    const std::string encoding = DeclaredEncoding(text);
    if (!IsUtf8Name(encoding)) return ToUtf8(text, encoding);
    if (std::optional<std::size_t> bad = FirstBadUtf8Byte(text))
        base::ThrowTypeMismatch(std::string(kNotUtf8) + ": the byte " +
                                Hex(static_cast<unsigned char>(text[*bad])) + " at offset " +
                                std::to_string(*bad) + " begins no UTF-8 character" +
                                (encoding.empty() ? " (the request declares no encoding)" : ""));
    return bytes;
}

}  // namespace cli
