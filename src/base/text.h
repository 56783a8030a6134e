// ASCII case folding and trimming, the text helpers every layer shares. Letters outside ASCII are
// left as they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace base {

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

// Hashing and equality without regard to ASCII case, for maps searched by a name as it is
// written, without a folded copy of it.
struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return EqualNoCase(a, b);
    }
};
template <class Value>
using NoCaseMap = std::unordered_map<std::string, Value, NoCaseHash, NoCaseEqual>;

// Without blanks (space, tab, carriage return, line feed) at either end.
std::string Trim(std::string_view text);

// `text` with every `from` (not empty) replaced by `to`, left to right; what `to` brings in is not
// searched again.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

}  // namespace base
