#include "xml/pugi/writer.h"

#include "xml/escape.h"

namespace xml {

namespace {

void Attributes(std::string& out, pugi::xml_node element) {
    for (bool declarations : {true, false})
        for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
            if (IsNamespaceDeclaration(a.name()) != declarations) continue;
            out += ' ';
            out += a.name();
            out += "=\"";
            AppendEscapedAttribute(out, a.value());
            out += '"';
        }
}

}  // namespace

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
            AppendEscapedText(out, node.value());  // its first text, when kept in the element
            for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
                WriteNode(out, child);
            out += "</";
            out += node.name();
            out += '>';
            return;
        case pugi::node_pcdata:
            AppendEscapedText(out, node.value());
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
                AppendLineFeeds(out, node.value());
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
