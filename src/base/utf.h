// UTF-8 <-> UTF-16 conversion. Malformed input (an unpaired surrogate, a bad or overlong UTF-8
// sequence) is a type-mismatch fault, never undefined behaviour.
#pragma once

#include <string>
#include <string_view>

namespace base {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Converts into `out`, which has room for utf8.size() units; returns the units written.
std::size_t Utf8ToUtf16(std::string_view utf8, char16_t* out);

// `text` with every byte that begins no well-formed character replaced by U+FFFD: for texts a
// driver gives as bytes, perhaps cut in the middle of a character.
std::string WellFormedUtf8(std::string_view text);

// The UTF-16 units of well-formed UTF-8 text, counted without converting it.
std::size_t Utf16Length(std::string_view utf8);

}  // namespace base
