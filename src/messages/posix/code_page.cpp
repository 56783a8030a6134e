#include "messages/code_page.h"

#include <iconv.h>

#include <cstdlib>
#include <string>

#include "base/fault.h"
#include "base/utf.h"

namespace messages {

struct CodePage::Converter {
    iconv_t cd;
};

CodePage::CodePage() {
    const char* named = std::getenv("WAGELINK_CODEPAGE");
    std::string page = std::string("CP") + (named && *named ? named : "936");
    iconv_t cd = iconv_open(page.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw base::Fault(base::kInvalidArgument, "Unknown code page " + page);
    converter_ = std::make_unique<Converter>(Converter{cd});
}

CodePage::~CodePage() {
    iconv_close(converter_->cd);
}

int CodePage::Measure(char16_t unit) {
    std::string utf8 = base::Utf16ToUtf8(std::u16string_view(&unit, 1));
    char out[8];
    char* in = utf8.data();
    std::size_t inLeft = utf8.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    iconv(converter_->cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t rc = iconv(converter_->cd, &in, &inLeft, &outPtr, &outLeft);
    if (rc == static_cast<std::size_t>(-1)) return 1;
    return sizeof out - outLeft >= 2 ? 2 : 1;
}

}  // namespace messages
