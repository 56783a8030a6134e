#include "xml/msxml/writer.h"

#include <optional>

namespace xml::msxml {

namespace {

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

// The XML declaration, which MSXML keeps as a node and the tree of the Linux build does not.
bool IsDeclaration(IXMLDOMNode* node) {
    return TypeOf(node) == NODE_PROCESSING_INSTRUCTION && NameOf(node) == "xml";
}

}  // namespace

NodeKind MsxmlFace::Kind(Node node) {
    switch (TypeOf(node)) {
        case NODE_ELEMENT:
            return NodeKind::kElement;
        case NODE_TEXT:
            return NodeKind::kText;
        case NODE_CDATA_SECTION:
            return NodeKind::kCData;
        case NODE_COMMENT:
            return NodeKind::kComment;
        case NODE_PROCESSING_INSTRUCTION:
            return NodeKind::kProcessingInstruction;
        default:
            return NodeKind::kOther;
    }
}

std::string MsxmlFace::Name(Node node) {
    return NameOf(node);
}

std::string MsxmlFace::Value(Node node) {
    return ValueOf(node);
}

bool MsxmlFace::HasChildren(Node node) {
    return static_cast<bool>(FirstOf(node));
}

void MsxmlFace::ForEachChild(Node node, const std::function<void(Node)>& f) {
    for (NodeRef child = FirstOf(node); child; child = NextOf(child.get())) f(child.get());
}

void MsxmlFace::ForEachAttribute(
    Node element, const std::function<void(const std::string&, const std::string&)>& f) {
    Ref<IXMLDOMNamedNodeMap> attributes;
    Succeed(element->get_attributes(attributes.Receive()), "read attributes");
    long count = 0;
    if (attributes) attributes->get_length(&count);
    for (long i = 0; i < count; ++i) {
        IXMLDOMNode* item = nullptr;
        const HRESULT hr = attributes->get_item(i, &item);
        NodeRef attribute = NodeRef::Adopt(item);
        if (FAILED(hr) || !attribute) {
            if (hr == E_OUTOFMEMORY && !DefaultNamespace(element)) base::ThrowOutOfMemory();
            if (std::optional<std::string> uri = DefaultNamespace(element)) f("xmlns", *uri);
            continue;
        }
        f(NameOf(attribute.get()), ValueOf(attribute.get()));
    }
}

bool MsxmlFace::AtTop(Node child) {
    return TypeOf(child) != NODE_TEXT && !IsDeclaration(child);
}

}  // namespace xml::msxml
