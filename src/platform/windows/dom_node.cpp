#include "platform/dom_node.h"

// After ours: <windows.h> defines macros that names of ours might meet.
#include <msxml2.h>
#include <windows.h>

namespace platform {

namespace {

constexpr GUID kIXMLDOMNode = {
    0x2933bf80, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr GUID kIXMLDOMDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

template <class T>
T* Query(IUnknown* object, const GUID& iid) {
    T* answer = nullptr;
    if (FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(&answer)))) return nullptr;
    return answer;
}

}  // namespace

std::optional<xml::Element> ElementOf(com::IDispatch* object) {
    if (!object) return std::nullopt;
    IUnknown* unknown = reinterpret_cast<IUnknown*>(object);
    if (IXMLDOMDocument* document = Query<IXMLDOMDocument>(unknown, kIXMLDOMDocument)) {
        IXMLDOMElement* root = nullptr;
        document->get_documentElement(&root);
        document->Release();
        if (!root) return std::nullopt;
        return xml::Element(xml::NodeRef::Adopt(root));
    }
    xml::NodeRef node = xml::NodeRef::Adopt(Query<IXMLDOMNode>(unknown, kIXMLDOMNode));
    DOMNodeType type = NODE_INVALID;
    if (!node || FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) return std::nullopt;
    return xml::Element(std::move(node));
}

}  // namespace platform
