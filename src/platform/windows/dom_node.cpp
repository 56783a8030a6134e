#include "platform/dom_node.h"

#include "xml/msxml/access.h"

namespace platform {

std::optional<xml::Element> ElementOf(com::IDispatch* object) {
    using namespace xml::msxml;
    if (!object) return std::nullopt;
    IUnknown* unknown = reinterpret_cast<IUnknown*>(object);
    Ref<IXMLDOMDocument> document;
    if (SUCCEEDED(unknown->QueryInterface(kIXMLDOMDocument,
                                          reinterpret_cast<void**>(document.Receive())))) {
        IXMLDOMElement* root = nullptr;
        document->get_documentElement(&root);
        if (!root) return std::nullopt;
        return xml::Element(xml::NodeRef::Adopt(root));
    }
    IXMLDOMNode* node = nullptr;
    unknown->QueryInterface(kIXMLDOMNode, reinterpret_cast<void**>(&node));
    xml::NodeRef ref = xml::NodeRef::Adopt(node);
    if (!ref || TypeOf(ref.get()) != NODE_ELEMENT) return std::nullopt;
    return xml::Element(std::move(ref));
}

}  // namespace platform
