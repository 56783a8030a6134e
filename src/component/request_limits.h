// The bounds of a request, so that what a caller sends costs time and memory linear in its size:
// the request text (WAGELINK_MAX_REQUEST_BYTES, 256 MiB by default: room for well over 100,000
// records), the `roottag` of a QUERY (a valid XML name of at most 64 characters, as it names every
// exported record and selects the conditions), and the bounds of the XML itself (xml/limits.h).
// A request beyond a bound is refused with a fault that says which.
#pragma once

#include <cstddef>
#include <string>

namespace component {

inline constexpr std::size_t kLongestRootTag = 64;

// The largest request text in bytes (UTF-8) and in UTF-16 units.
std::size_t MaxRequestBytes();

// A fault when `length` (bytes or UTF-16 units of the request) exceeds MaxRequestBytes().
void CheckRequestSize(std::size_t length);

// A fault unless `rootTag` is empty or a valid XML name of at most kLongestRootTag characters.
void CheckRootTag(const std::string& rootTag);

}  // namespace component
