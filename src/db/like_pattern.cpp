#include "db/like_pattern.h"

#include <optional>
#include <vector>

namespace db {

namespace {

// One element of a pattern: any text, any character, a character, or a class of characters.
struct Element {
    enum Kind { kAnyText, kAnyCharacter, kCharacter, kClass } kind;
    char32_t character = 0;                               // kCharacter
    std::vector<std::pair<char32_t, char32_t>> ranges{};  // kClass
    bool negated = false;                                 // kClass
};

// The code points of UTF-8 text (a byte that begins no character stands for itself).
std::u32string CodePoints(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80         ? 1
                           : (b >> 5) == 6  ? 2
                           : (b >> 4) == 14 ? 3
                           : (b >> 3) == 30 ? 4
                                            : 1;
        char32_t c = length == 1 ? b : b & (0x7F >> length);
        if (i + length > text.size()) {
            out.push_back(b);
            ++i;
            continue;
        }
        for (int k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(c);
        i += length;
    }
    return out;
}

char32_t Folded(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

// The class that begins at `at` (a '['), with `at` moved past its ']'; nullopt when none closes.
std::optional<Element> ClassAt(const std::u32string& p, std::size_t& at) {
    std::size_t i = at + 1;
    Element e{Element::kClass};
    if (i < p.size() && p[i] == '^') {
        e.negated = true;
        ++i;
    }
    const std::size_t first = i;
    for (; i < p.size() && (p[i] != ']' || i == first); ++i) {
        if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != ']') {
            e.ranges.emplace_back(p[i], p[i + 2]);
            i += 2;
        } else {
            e.ranges.emplace_back(p[i], p[i]);
        }
    }
    if (i >= p.size()) return std::nullopt;
    at = i + 1;
    return e;
}

std::vector<Element> Parse(std::string_view pattern) {
    const std::u32string p = CodePoints(pattern);
    std::vector<Element> elements;
    for (std::size_t at = 0; at < p.size();) {
        if (p[at] == '%') {
            elements.push_back({Element::kAnyText});
        } else if (p[at] == '_') {
            elements.push_back({Element::kAnyCharacter});
        } else if (p[at] == '[') {
            if (std::optional<Element> c = ClassAt(p, at)) {
                elements.push_back(std::move(*c));
                continue;
            }
            elements.push_back({Element::kCharacter, p[at]});
        } else {
            elements.push_back({Element::kCharacter, p[at]});
        }
        ++at;
    }
    return elements;
}

bool InClass(const Element& e, char32_t c) {
    bool in = false;
    for (const auto& [low, high] : e.ranges)
        in = in || (c >= low && c <= high) ||
             (Folded(c) >= Folded(low) && Folded(c) <= Folded(high));
    return in != e.negated;
}

bool Matches(const Element& e, char32_t c) {
    if (e.kind == Element::kAnyCharacter) return true;
    if (e.kind == Element::kCharacter) return Folded(e.character) == Folded(c);
    return InClass(e, c);
}

void AppendUtf8(std::string& to, char32_t c) {
    if (c < 0x80) {
        to += static_cast<char>(c);
    } else if (c < 0x800) {
        to += static_cast<char>(0xC0 | (c >> 6));
        to += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        to += static_cast<char>(0xE0 | (c >> 12));
        to += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        to += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        to += static_cast<char>(0xF0 | (c >> 18));
        to += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        to += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        to += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A character of a class as the regular expression's class holds it.
void AppendClassCharacter(std::string& to, char32_t c) {
    if (c == ']' || c == '\\' || c == '^' || c == '-' || c == '[') to += '\\';
    AppendUtf8(to, c);
}

}  // namespace

bool LikeMatches(std::string_view pattern, std::string_view text) {
    const std::vector<Element> p = Parse(pattern);
    const std::u32string t = CodePoints(text);
    // Backtracking only to the last %: linear in practice, at worst the pattern's length times
    // the text's.
    std::size_t pi = 0, ti = 0;
    std::optional<std::size_t> star, starText;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi].kind == Element::kAnyText) {
            star = ++pi;
            starText = ti;
        } else if (pi < p.size() && Matches(p[pi], t[ti])) {
            ++pi;
            ++ti;
        } else if (star) {
            pi = *star;
            ti = ++*starText;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi].kind == Element::kAnyText) ++pi;
    return pi == p.size();
}

bool HasCharacterClass(std::string_view pattern) {
    for (const Element& e : Parse(pattern))
        if (e.kind == Element::kClass) return true;
    return false;
}

std::string LikeAsRegex(std::string_view pattern) {
    std::string regex = "(?s)^";  // '.' matches a line end too, as '_' does
    for (const Element& e : Parse(pattern)) {
        switch (e.kind) {
            case Element::kAnyText:
                regex += ".*";
                break;
            case Element::kAnyCharacter:
                regex += '.';
                break;
            case Element::kCharacter:
                if (e.character < 0x80 &&
                    std::string_view(".[]()*+?{}|^$\\").find(static_cast<char>(e.character)) !=
                        std::string_view::npos)
                    regex += '\\';
                AppendUtf8(regex, e.character);
                break;
            case Element::kClass:
                regex += e.negated ? "[^" : "[";
                for (const auto& [low, high] : e.ranges) {
                    AppendClassCharacter(regex, low);
                    if (high != low) {
                        regex += '-';
                        AppendClassCharacter(regex, high);
                    }
                }
                regex += ']';
                break;
        }
    }
    return regex + "$";
}

}  // namespace db
