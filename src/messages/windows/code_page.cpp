#include "messages/code_page.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/fault.h"
#include "base/number.h"

namespace messages {

struct CodePage::Converter {
    UINT page;
};

CodePage::CodePage() {
    UINT page = CP_ACP;
    if (const char* named = std::getenv("WAGELINK_CODEPAGE"); named && *named) {
        auto number = base::WholeNumber(named);
        CPINFO info;
        if (!number || *number <= 0 || *number > 65535 ||
            !::GetCPInfo(static_cast<UINT>(*number), &info))
            throw base::Fault(base::kInvalidArgument, std::string("Unknown code page CP") + named);
        page = static_cast<UINT>(*number);
    }
    converter_ = std::make_unique<Converter>(Converter{page});
}

CodePage::~CodePage() = default;

int CodePage::Measure(char16_t unit) {
    const wchar_t text = static_cast<wchar_t>(unit);
    char out[8];
    BOOL unmappable = FALSE;
    // A character the code page cannot write comes out as its default character: one byte.
    int n = ::WideCharToMultiByte(
        converter_->page, 0, &text, 1, out, sizeof out, nullptr,
        converter_->page == CP_UTF7 || converter_->page == CP_UTF8 ? nullptr : &unmappable);
    if (n <= 0 || unmappable) return 1;
    return n >= 2 ? 2 : 1;
}

}  // namespace messages
