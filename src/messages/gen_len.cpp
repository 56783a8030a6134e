#include "messages/gen_len.h"

#include <mutex>
#include <string>
#include <unordered_map>

#include "base/fault.h"
#include "base/utf.h"
#include "messages/code_page.h"

namespace messages {

namespace {

// The code page's width of each character met so far, for the process: a per-thread table would
// need per-thread clean-up at every thread's exit, which a DLL cannot count on.
class Widths {
  public:
    // The bytes of `units` in the code page; an overflow fault past 32767.
    int Of(std::u16string_view units) {
        std::lock_guard lock(mutex_);
        int total = 0;
        for (char16_t unit : units) {
            // ASCII is one byte in every ANSI code page; surrogate halves have no ANSI form.
            total += unit < 0x80 || IsSurrogate(unit) ? 1 : Width(unit);
            if (total > 32767) base::ThrowOverflow();
        }
        return total;
    }

  private:
    static bool IsSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDFFF; }
    int Width(char16_t unit) {
        auto known = widths_.find(unit);
        if (known != widths_.end()) return known->second;
        return widths_[unit] = codePage_.Measure(unit);
    }

    std::mutex mutex_;
    CodePage codePage_;
    std::unordered_map<char16_t, int> widths_;
};

}  // namespace

std::int16_t GenLen(std::string_view utf8) {
    std::u16string units = base::Utf8ToUtf16(utf8);
    if (units.size() > 32767) base::ThrowOverflow();
    static Widths widths;
    return static_cast<std::int16_t>(widths.Of(units));
}

}  // namespace messages
