// The writer of xml/writer.h over a pugixml tree.
#pragma once

#include <pugixml.hpp>
#include <string>

#include "xml/writer.h"

namespace xml {

// What the writer reads of a pugixml node. `hidden`: a top-level node of the document's own (its
// nursery of new elements) that is never written.
struct PugiFace {
    using Node = pugi::xml_node;
    pugi::xml_node hidden;

    static NodeKind Kind(Node node) {
        switch (node.type()) {
            case pugi::node_element:
                return NodeKind::kElement;
            case pugi::node_pcdata:
                return NodeKind::kText;
            case pugi::node_cdata:
                return NodeKind::kCData;
            case pugi::node_comment:
                return NodeKind::kComment;
            case pugi::node_pi:
                return NodeKind::kProcessingInstruction;
            default:
                return NodeKind::kOther;
        }
    }
    static const char* Name(Node node) { return node.name(); }
    static const char* Value(Node node) { return node.value(); }
    // An element's first text, when the parser kept it in the element itself.
    static const char* LeadingText(Node element) { return element.value(); }
    static bool HasChildren(Node node) { return static_cast<bool>(node.first_child()); }
    template <class F>
    static void ForEachChild(Node node, F f) {
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
            f(child);
    }
    template <class F>
    static void ForEachAttribute(Node element, F f) {
        for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
            f(a.name(), a.value());
    }
    bool AtTop(Node child) const { return child != hidden && child.type() != pugi::node_pcdata; }
};

}  // namespace xml
