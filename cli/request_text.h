// The text of a request file as the host hands it to Transact: UTF-8, with a byte order mark
// telling another encoding. A file that begins with the UTF-16 mark (either byte order) is read
// as UTF-16; the UTF-8 mark is dropped; anything else is taken as UTF-8 as it stands.
#pragma once

#include <string>

namespace cli {

// A type-mismatch fault for UTF-16 text of an odd number of bytes or with unpaired surrogates.
std::string RequestText(std::string bytes);

}  // namespace cli
