#include "xml/writer.h"

#include <array>
#include <cstring>
#include <string_view>

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

void Escaped(std::string& out, const char* text, const Escapes& escapes) {
    const char* run = text;
    for (const char* p = text; *p; ++p) {
        const std::string_view escape = escapes[static_cast<unsigned char>(*p)];
        if (escape.empty()) continue;
        out.append(run, p);
        out += escape;
        run = p + 1;
    }
    out += run;
}

// A processing instruction's text with its line ends as one line feed each, as everywhere else
// in the document (the tree builder leaves them as they came there).
void LineFeeds(std::string& out, const char* text) {
    for (const char* p = text; *p; ++p) {
        if (*p != '\r') {
            out += *p;
        } else {
            out += '\n';
            if (p[1] == '\n') ++p;
        }
    }
}

void Attributes(std::string& out, pugi::xml_node element) {
    for (bool declarations : {true, false})
        for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
            if (IsNamespaceDeclaration(a.name()) != declarations) continue;
            out += ' ';
            out += a.name();
            out += "=\"";
            Escaped(out, a.value(), kAttribute);
            out += '"';
        }
}

}  // namespace

bool IsNamespaceDeclaration(const char* name) {
    return std::strncmp(name, "xmlns", 5) == 0 && (name[5] == '\0' || name[5] == ':');
}

void WriteNode(std::string& out, pugi::xml_node node) {
    switch (node.type()) {
        case pugi::node_element:
            out += '<';
            out += node.name();
            Attributes(out, node);
            if (!node.first_child() && !*node.value()) {
                out += "/>";
                return;
            }
            out += '>';
            Escaped(out, node.value(), kText);  // its first text, when kept in the element
            for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
                WriteNode(out, child);
            out += "</";
            out += node.name();
            out += '>';
            return;
        case pugi::node_pcdata:
            Escaped(out, node.value(), kText);
            return;
        case pugi::node_cdata:
            out += "<![CDATA[";
            out += node.value();
            out += "]]>";
            return;
        case pugi::node_comment:
            out += "<!--";
            out += node.value();
            out += "-->";
            return;
        case pugi::node_pi:
            out += "<?";
            out += node.name();
            if (*node.value()) {
                out += ' ';
                LineFeeds(out, node.value());
            }
            out += "?>";
            return;
        default:
            return;
    }
}

void WriteDocument(std::string& out, pugi::xml_node document, pugi::xml_node hidden,
                   std::string* tail) {
    std::string* to = &out;
    bool first = true;
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling()) {
        if (child == hidden || child.type() == pugi::node_pcdata) continue;
        if (!first) *to += '\n';
        first = false;
        if (tail && to == &out && child.type() == pugi::node_element) {
            out += '<';
            out += child.name();
            Attributes(out, child);
            out += '>';
            to = tail;
            *to += "</";
            *to += child.name();
            *to += '>';
        } else {
            WriteNode(*to, child);
        }
    }
}

}  // namespace xml
