// Whether a text is a well-formed XML document without a document type declaration, checked in
// one pass before the tree is built.
//
// The tree builder (pugixml) is fast and small because it is lenient: it takes an undefined
// entity, a duplicate attribute, a '<' in an attribute value, a second root element or a byte
// that is no UTF-8 without complaint. A request that breaks any rule of XML 1.0 must be refused
// as the platform's own parser refuses it, so every rule is checked here first: characters
// (UTF-8, and only those XML allows), names, the XML declaration, start and end tags and their
// nesting, attributes (quoted, unique, without '<'), references (the five predefined entities and
// character references to allowed characters), comments, CDATA sections, processing
// instructions, and one root element with nothing but comments, processing instructions and
// blanks around it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

enum class Formedness { kWellFormed, kNotWellFormed, kNoRootElement, kDoctype };

struct FormednessResult {
    Formedness status = Formedness::kWellFormed;
    std::string reason;  // what is wrong, for a failure
    int line = 0;
};

// Elements nested deeper than `maxDepth` make the text not well-formed: the request limits refuse
// them first, this only bounds the memory of the check.
FormednessResult CheckWellFormed(std::string_view text, std::size_t maxDepth);

// True when `name` is an XML name (the fifth edition's rules).
bool IsXmlName(std::string_view name);

}  // namespace xml
