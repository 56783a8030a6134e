// XML text of a tree, written once for both DOMs (pugixml's and MSXML's) so that the two give the
// same bytes: the escaping of xml/escape.h, no XML declaration, no indentation, an empty element
// as <a/>, namespace declarations before the other attributes, the top-level nodes each on a line
// of their own.
//
// A DOM answers the writer through a face over its node type `Node`:
//   Kind(node)                        the NodeKind of the node
//   Name(node), Value(node)           its name and value (a processing instruction's data)
//   LeadingText(element)              text a DOM keeps in the element itself ("" if none)
//   HasChildren(node)
//   ForEachChild(node, f)             f(child) for each child, in order
//   ForEachAttribute(element, f)      f(name, value) for each attribute, in order
//   AtTop(child)                      whether a child of the document is written (not whitespace
//                                     text, not what the DOM keeps of its own)
// The text is appended to a string the caller owns, so that a large reply can be written piece by
// piece into one buffer. Running out of memory throws std::bad_alloc: nothing is dropped.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "xml/escape.h"

namespace xml {

enum class NodeKind { kElement, kText, kCData, kComment, kProcessingInstruction, kOther };

template <class Face>
class Writer {
  public:
    using Node = typename Face::Node;

    explicit Writer(Face face = {}) : face_(std::move(face)) {}

    // Appends `node` and everything below it.
    void WriteNode(std::string& out, Node node) const {
        switch (face_.Kind(node)) {
            case NodeKind::kElement: {
                const auto name = face_.Name(node);
                StartTag(out, node, name);
                const auto leading = face_.LeadingText(node);
                if (IsEmpty(leading) && !face_.HasChildren(node)) {
                    out += "/>";
                    return;
                }
                out += '>';
                AppendEscapedText(out, leading);
                face_.ForEachChild(node, [&](Node child) { WriteNode(out, child); });
                out += "</";
                out += name;
                out += '>';
                return;
            }
            case NodeKind::kText:
                AppendEscapedText(out, face_.Value(node));
                return;
            case NodeKind::kCData:
                out += "<![CDATA[";
                out += face_.Value(node);
                out += "]]>";
                return;
            case NodeKind::kComment:
                out += "<!--";
                out += face_.Value(node);
                out += "-->";
                return;
            case NodeKind::kProcessingInstruction: {
                out += "<?";
                out += face_.Name(node);
                const auto data = face_.Value(node);
                if (!IsEmpty(data)) {
                    out += ' ';
                    AppendLineFeeds(out, data);
                }
                out += "?>";
                return;
            }
            case NodeKind::kOther:
                return;
        }
    }

    // Appends the document's top-level nodes, each on a line of its own, without the line break
    // after the last. With `tail`, the root element's start tag ends in '>' and all that follows
    // it, its end tag first, goes to `*tail` instead, children left out: the text between the two
    // is the root's content, written elsewhere.
    void WriteDocument(std::string& out, Node document, std::string* tail = nullptr) const {
        std::string* to = &out;
        bool first = true;
        face_.ForEachChild(document, [&](Node child) {
            if (!face_.AtTop(child)) return;
            if (!first) *to += '\n';
            first = false;
            if (tail && to == &out && face_.Kind(child) == NodeKind::kElement) {
                const auto name = face_.Name(child);
                StartTag(out, child, name);
                out += '>';
                to = tail;
                *to += "</";
                *to += name;
                *to += '>';
            } else {
                WriteNode(*to, child);
            }
        });
    }

  private:
    template <class Text>
    static bool IsEmpty(const Text& text) {
        return std::string_view(text).empty();
    }

    template <class Name>
    void StartTag(std::string& out, Node element, const Name& name) const {
        out += '<';
        out += name;
        for (bool declarations : {true, false})
            face_.ForEachAttribute(element, [&](const auto& attribute, const auto& value) {
                if (IsNamespaceDeclaration(attribute) != declarations) return;
                out += ' ';
                out += attribute;
                out += "=\"";
                AppendEscapedAttribute(out, value);
                out += '"';
            });
    }

    Face face_;
};

}  // namespace xml
