// The text of a request file as the host hands it to Transact: UTF-8, read from the file's own
// encoding. A byte order mark decides it (UTF-8, UTF-16 in either byte order); else the XML
// declaration's `encoding` (GBK, GB18030, GB2312, Big5, UTF-16LE, ISO-8859-1, ... as iconv knows
// them; UTF-16 without a mark is seen by its first characters); else UTF-8, checked.
#pragma once

#include <string>

namespace cli {

// How the fault for a request that is not UTF-8, and names no other encoding, begins.
inline constexpr const char* kNotUtf8 = "the request is not UTF-8 text";

// A type-mismatch fault for a byte the encoding cannot read (naming its offset and the
// encoding), and for an encoding iconv does not know.
std::string RequestText(std::string bytes);

}  // namespace cli
