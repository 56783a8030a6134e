#include "xml/escape.h"

#include <array>

namespace xml {

namespace {

// The replacement of each byte that must be escaped, empty for one written as it stands.
using Escapes = std::array<std::string_view, 256>;

constexpr Escapes TextEscapes() {
    Escapes e{};
    e['&'] = "&amp;";
    e['<'] = "&lt;";
    e['>'] = "&gt;";
    e['\r'] = "&#13;";
    return e;
}

constexpr Escapes AttributeEscapes() {
    Escapes e = TextEscapes();
    e['"'] = "&quot;";
    e['\n'] = "&#10;";
    e['\t'] = "&#9;";
    return e;
}

constexpr Escapes kText = TextEscapes();
constexpr Escapes kAttribute = AttributeEscapes();

void Escaped(std::string& out, std::string_view text, const Escapes& escapes) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view escape = escapes[static_cast<unsigned char>(text[i])];
        if (escape.empty()) continue;
        out.append(text.substr(run, i - run));
        out += escape;
        run = i + 1;
    }
    out.append(text.substr(run));
}

}  // namespace

bool IsNamespaceDeclaration(std::string_view name) {
    return name.substr(0, 5) == "xmlns" && (name.size() == 5 || name[5] == ':');
}

void AppendEscapedText(std::string& out, std::string_view text) {
    Escaped(out, text, kText);
}

void AppendEscapedAttribute(std::string& out, std::string_view value) {
    Escaped(out, value, kAttribute);
}

void AppendLineFeeds(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
}

}  // namespace xml
