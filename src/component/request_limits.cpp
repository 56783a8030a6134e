#include "component/request_limits.h"

#include <cstdlib>

#include "base/fault.h"
#include "base/utf.h"
#include "xml/document.h"

namespace component {

namespace {

constexpr std::size_t kDefaultMaxRequestBytes = std::size_t{256} << 20;

[[noreturn]] void OverLimit(const std::string& what) {
    base::ThrowInvalidArgument("The request exceeds a limit: " + what);
}

}  // namespace

std::size_t MaxRequestBytes() {
    static const std::size_t limit = [] {
        const char* named = std::getenv("WAGELINK_MAX_REQUEST_BYTES");
        if (!named || !*named) return kDefaultMaxRequestBytes;
        char* end = nullptr;
        unsigned long long value = std::strtoull(named, &end, 10);
        return *end || value == 0 ? kDefaultMaxRequestBytes : static_cast<std::size_t>(value);
    }();
    return limit;
}

void CheckRequestSize(std::size_t length) {
    if (length > MaxRequestBytes())
        OverLimit("it is larger than " + std::to_string(MaxRequestBytes()) + " bytes");
}

void CheckRootTag(const std::string& rootTag) {
    if (rootTag.empty()) return;
    if (base::Utf16Length(rootTag) > kLongestRootTag)
        OverLimit("roottag is longer than " + std::to_string(kLongestRootTag) + " characters");
    if (!xml::IsName(rootTag))
        base::ThrowInvalidArgument("roottag '" + rootTag + "' is not an XML name");
}

}  // namespace component
