// The escaping of the writer every tree is written with, byte for byte as the platform's replies
// have always been written: in text '&', '<', '>' and carriage returns escaped, in attribute
// values also '"', tabs and line feeds; everything else as UTF-8 as it stands.
#pragma once

#include <string>
#include <string_view>

namespace xml {

// Whether an attribute of that name declares a namespace (xmlns, xmlns:prefix).
bool IsNamespaceDeclaration(std::string_view name);

void AppendEscapedText(std::string& out, std::string_view text);
void AppendEscapedAttribute(std::string& out, std::string_view value);
// A processing instruction's text with its line ends as one line feed each, as everywhere else
// in the document (a tree builder may leave them as they came there).
void AppendLineFeeds(std::string& out, std::string_view text);

}  // namespace xml
