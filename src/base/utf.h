// UTF-8 <-> UTF-16 conversion. Malformed input (an unpaired surrogate, a bad or overlong UTF-8
// sequence) is a type-mismatch fault, never undefined behaviour.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace base
