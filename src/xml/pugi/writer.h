// XML text of a pugixml tree, as xml/escape.h writes it: no XML declaration, no indentation, an
// empty element as <a/>, namespace declarations before the other attributes.
//
// The text is appended to a string the caller owns, so that a large reply can be written piece
// by piece into one buffer. Running out of memory throws std::bad_alloc: nothing is dropped.
#pragma once

#include <pugixml.hpp>
#include <string>

namespace xml {

// Appends `node` and everything below it.
void WriteNode(std::string& out, pugi::xml_node node);

// Appends the document's top-level nodes but `hidden`, each on a line of its own, without the
// line break after the last. With `tail`, the root element's start tag ends in '>' and all that
// follows it, its end tag first, goes to `*tail` instead, children ignored: the text between the
// two is the root's content, written elsewhere.
void WriteDocument(std::string& out, pugi::xml_node document, pugi::xml_node hidden,
                   std::string* tail = nullptr);

}  // namespace xml
