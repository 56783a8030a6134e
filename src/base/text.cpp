#include "base/text.h"

namespace base {

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

std::size_t NoCaseHash::operator()(std::string_view text) const noexcept {
    // FNV-1a over the folded bytes.
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : text)
        hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
    return static_cast<std::size_t>(hash);
}

std::string Trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    std::size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) return "";
    return std::string(text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1));
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace base
