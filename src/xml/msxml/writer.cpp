#include "xml/msxml/writer.h"

#include <optional>

#include "xml/escape.h"

namespace xml::msxml {

namespace {

void Attribute(std::string& out, const std::string& name, const std::string& value) {
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscapedAttribute(out, value);
    out += '"';
}

// The value of the element's default namespace declaration, read from MSXML's own text of the
// element's start tag: Wine's MSXML cannot hand that declaration out as an attribute. MSXML
// writes a value between double quotes with those and '&', '<' and '>' as references.
std::optional<std::string> DefaultNamespace(IXMLDOMNode* element) {
    Ref<IXMLDOMNode> alone;
    Bstr text;
    if (FAILED(element->cloneNode(VARIANT_FALSE, alone.Receive())) || !alone ||
        FAILED(alone->get_xml(text.Receive())))
        return std::nullopt;
    const std::string tag = text.Utf8();
    const std::size_t start = tag.find(" xmlns=\"");
    const std::size_t end = start == std::string::npos ? start : tag.find('"', start + 8);
    if (end == std::string::npos || tag.find('>') < start) return std::nullopt;
    std::string value;
    for (std::size_t i = start + 8; i < end; ++i) {
        static constexpr std::pair<std::string_view, char> kReferences[] = {
            {"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
        bool replaced = false;
        for (auto [reference, c] : kReferences)
            if (std::string_view(tag).substr(i, reference.size()) == reference) {
                value += c;
                i += reference.size() - 1;
                replaced = true;
                break;
            }
        if (!replaced) value += tag[i];
    }
    return value;
}

void Attributes(std::string& out, IXMLDOMNode* element) {
    Ref<IXMLDOMNamedNodeMap> attributes;
    Succeed(element->get_attributes(attributes.Receive()), "read attributes");
    long count = 0;
    if (attributes) attributes->get_length(&count);
    for (bool declarations : {true, false})
        for (long i = 0; i < count; ++i) {
            IXMLDOMNode* item = nullptr;
            const HRESULT hr = attributes->get_item(i, &item);
            NodeRef attribute = NodeRef::Adopt(item);
            if (FAILED(hr) || !attribute) {
                if (hr == E_OUTOFMEMORY && !DefaultNamespace(element)) base::ThrowOutOfMemory();
                if (declarations)
                    if (std::optional<std::string> uri = DefaultNamespace(element))
                        Attribute(out, "xmlns", *uri);
                continue;
            }
            const std::string name = NameOf(attribute.get());
            if (IsNamespaceDeclaration(name) == declarations)
                Attribute(out, name, ValueOf(attribute.get()));
        }
}

void StartTag(std::string& out, IXMLDOMNode* element, const std::string& name) {
    out += '<';
    out += name;
    Attributes(out, element);
}

// The XML declaration, which MSXML keeps as a node and the tree of the Linux build does not.
bool IsDeclaration(IXMLDOMNode* node) {
    return TypeOf(node) == NODE_PROCESSING_INSTRUCTION && NameOf(node) == "xml";
}

}  // namespace

void WriteNode(std::string& out, IXMLDOMNode* node) {
    switch (TypeOf(node)) {
        case NODE_ELEMENT: {
            const std::string name = NameOf(node);
            StartTag(out, node, name);
            NodeRef child = FirstOf(node);
            if (!child) {
                out += "/>";
                return;
            }
            out += '>';
            for (; child; child = NextOf(child.get())) WriteNode(out, child.get());
            out += "</";
            out += name;
            out += '>';
            return;
        }
        case NODE_TEXT:
            AppendEscapedText(out, ValueOf(node));
            return;
        case NODE_CDATA_SECTION:
            out += "<![CDATA[";
            out += ValueOf(node);
            out += "]]>";
            return;
        case NODE_COMMENT:
            out += "<!--";
            out += ValueOf(node);
            out += "-->";
            return;
        case NODE_PROCESSING_INSTRUCTION: {
            out += "<?";
            out += NameOf(node);
            const std::string data = ValueOf(node);
            if (!data.empty()) {
                out += ' ';
                AppendLineFeeds(out, data);
            }
            out += "?>";
            return;
        }
        default:
            return;
    }
}

// As the Linux writer: the top-level nodes each on a line of their own; with `tail`, the root's
// end tag and what follows it go there, its children left out.
void WriteDocument(std::string& out, IXMLDOMNode* document, std::string* tail) {
    std::string* to = &out;
    bool first = true;
    for (NodeRef child = FirstOf(document); child; child = NextOf(child.get())) {
        const DOMNodeType type = TypeOf(child.get());
        if (type == NODE_TEXT || IsDeclaration(child.get())) continue;
        if (!first) *to += '\n';
        first = false;
        if (tail && to == &out && type == NODE_ELEMENT) {
            const std::string name = NameOf(child.get());
            StartTag(out, child.get(), name);
            out += '>';
            to = tail;
            *to += "</";
            *to += name;
            *to += '>';
        } else {
            WriteNode(*to, child.get());
        }
    }
}

}  // namespace xml::msxml
