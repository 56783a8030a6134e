#include "messages/gen_len.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "base/fault.h"
#include "base/utf.h"

namespace messages {

namespace {

// One iconv conversion from UTF-8 to the ANSI code page, per thread.
class AnsiCodePage {
  public:
    AnsiCodePage() {
        const char* named = std::getenv("WAGELINK_CODEPAGE");
        std::string page = std::string("CP") + (named && *named ? named : "936");
        cd_ = iconv_open(page.c_str(), "UTF-8");
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw base::Fault(base::kInvalidArgument, "Unknown code page " + page);
    }
    ~AnsiCodePage() { iconv_close(cd_); }
    AnsiCodePage(const AnsiCodePage&) = delete;
    AnsiCodePage& operator=(const AnsiCodePage&) = delete;

    // Bytes of one BMP character in the code page; 1 when it cannot be written there.
    int Width(char16_t unit) {
        auto known = widths_.find(unit);
        if (known != widths_.end()) return known->second;
        return widths_[unit] = Measure(unit);
    }

  private:
    int Measure(char16_t unit) {
        std::string utf8 = base::Utf16ToUtf8(std::u16string_view(&unit, 1));
        char out[8];
        char* in = utf8.data();
        std::size_t inLeft = utf8.size();
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
        if (rc == static_cast<std::size_t>(-1)) return 1;
        return sizeof out - outLeft >= 2 ? 2 : 1;
    }

    iconv_t cd_;
    std::unordered_map<char16_t, int> widths_;
};

bool IsSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDFFF;
}

}  // namespace

std::int16_t GenLen(std::string_view utf8) {
    std::u16string units = base::Utf8ToUtf16(utf8);
    if (units.size() > 32767) base::ThrowOverflow();
    thread_local AnsiCodePage codePage;
    int total = 0;
    for (char16_t unit : units) {
        // ASCII is one byte in every ANSI code page; surrogate halves have no ANSI form.
        total += unit < 0x80 || IsSurrogate(unit) ? 1 : codePage.Width(unit);
        if (total > 32767) base::ThrowOverflow();
    }
    return static_cast<std::int16_t>(total);
}

}  // namespace messages
