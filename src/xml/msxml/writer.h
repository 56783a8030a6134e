// XML text of an MSXML tree, byte for byte as xml/pugi/writer.h writes pugixml's: the same
// escaping (xml/escape.h), no XML declaration, an empty element as <a/>, namespace declarations
// before the other attributes.
#pragma once

#include <string>

#include "xml/msxml/access.h"

namespace xml::msxml {

// Appends `node` and everything below it.
void WriteNode(std::string& out, IXMLDOMNode* node);

// Appends the document's top-level nodes, each on a line of its own. With `tail`, the root
// element's start tag ends in '>' and its end tag and all that follows go to `*tail`, children
// left out.
void WriteDocument(std::string& out, IXMLDOMNode* document, std::string* tail = nullptr);

}  // namespace xml::msxml
