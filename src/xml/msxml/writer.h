// The writer of xml/writer.h over an MSXML tree, so that it gives byte for byte what the Linux
// build's tree gives: the default namespace declaration that Wine's MSXML cannot hand out as an
// attribute is read from MSXML's own text of the start tag, and the XML declaration, which MSXML
// keeps as a node, is left out.
#pragma once

#include <functional>
#include <string>

#include "xml/msxml/access.h"
#include "xml/writer.h"

namespace xml::msxml {

struct MsxmlFace {
    using Node = IXMLDOMNode*;

    static NodeKind Kind(Node node);
    static std::string Name(Node node);
    static std::string Value(Node node);
    static std::string LeadingText(Node) { return {}; }
    static bool HasChildren(Node node);
    static void ForEachChild(Node node, const std::function<void(Node)>& f);
    static void ForEachAttribute(
        Node element, const std::function<void(const std::string&, const std::string&)>& f);
    static bool AtTop(Node child);
};

}  // namespace xml::msxml
