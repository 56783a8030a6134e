#include "request_text.h"

#include <string_view>

#include "base/fault.h"
#include "base/utf.h"

namespace cli {

namespace {

std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2) base::ThrowTypeMismatch("the UTF-16 request has an odd number of bytes");
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
        auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
        units[i] = static_cast<char16_t>(hi << 8 | lo);
    }
    return base::Utf16ToUtf8(units);
}

}  // namespace

std::string RequestText(std::string bytes) {
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") return bytes.erase(0, 3);
    if (text.substr(0, 2) == "\xFF\xFE") return FromUtf16(text.substr(2), false);
    if (text.substr(0, 2) == "\xFE\xFF") return FromUtf16(text.substr(2), true);
    return bytes;
}

}  // namespace cli
