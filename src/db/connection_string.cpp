#include "db/connection_string.h"

#include "base/fault.h"
#include "base/text.h"
#include "db/types.h"

namespace db {

namespace {

[[noreturn]] void Malformed(const std::string& why) {
    throw base::Fault(kProviderError, "The connection string is malformed: " + why);
}

bool IsPasswordKey(std::string_view key) {
    return key == "password" || key == "pwd";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads a value from `at` up to the ';' that ends it (or the end), unquoting it.
std::string ReadValue(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at++];
        std::string value;
        for (;; ++at) {
            if (at >= text.size()) Malformed("a quoted value does not end");
            if (text[at] != quote) {
                value += text[at];
            } else if (at + 1 < text.size() && text[at + 1] == quote) {
                value += quote;
                ++at;
            } else {
                ++at;
                break;
            }
        }
        while (at < text.size() && IsBlank(text[at])) ++at;
        if (at < text.size() && text[at] != ';') Malformed("text follows a quoted value");
        return value;
    }
    std::size_t end = text.find(';', at);
    if (end == std::string_view::npos) end = text.size();
    std::string value = base::Trim(text.substr(at, end - at));
    at = end;
    return value;
}

}  // namespace

ConnectionString::ConnectionString(std::string_view text) {
    bool afterPassword = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t eq = text.find('=', at);
        std::size_t semicolon = text.find(';', at);
        if (eq == std::string_view::npos ||
            (semicolon != std::string_view::npos && semicolon < eq)) {
            // Blanks between two ';' name nothing; other text without '=' is most often the rest
            // of a value that held a ';'.
            const std::string part = base::Trim(text.substr(at, semicolon - at));
            if (!part.empty() && afterPassword)
                Malformed(
                    "text without a key follows the password; a password that holds ';' "
                    "goes in quotes: Password=\"...\"");
            if (!part.empty())
                Malformed("'" + part +
                          "' has no key; a value that holds ';' goes in quotes: Data "
                          "Source=\"C:\\pay;roll.db\"");
            if (semicolon == std::string_view::npos) break;
            at = semicolon + 1;
            continue;
        }
        std::string key = base::AsciiLower(base::Trim(text.substr(at, eq - at)));
        at = eq + 1;
        std::string value = ReadValue(text, at);
        if (afterPassword) afterPassword_ = key;
        afterPassword = IsPasswordKey(key);
        if (!key.empty()) pairs_[key] = std::move(value);
        if (at < text.size()) ++at;  // the ';'
    }
}

bool ConnectionString::FollowsPassword(std::string_view key) const {
    return !afterPassword_.empty() && base::AsciiLower(key) == afterPassword_;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
    auto it = pairs_.find(base::AsciiLower(key));
    if (it == pairs_.end()) return std::nullopt;
    return it->second;
}

}  // namespace db
