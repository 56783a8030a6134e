// GenLen: the byte length of a text in the system's ANSI code page (messages/code_page.h): 2 for a
// character the code page writes with two bytes, 1 for any other (a character the code page cannot
// represent included). Characters are counted as UTF-16 units, so a character outside the BMP
// counts once per unit.
#pragma once

#include <cstdint>
#include <string_view>

namespace messages {

// An overflow fault when the text has more than 32767 units or measures more than 32767.
std::int16_t GenLen(std::string_view utf8);

}  // namespace messages
