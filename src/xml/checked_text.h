// What a text must pass before any tree is built from it, whichever DOM builds the tree: the
// request limits (xml/limits.h), no NUL, and every rule of XML 1.0 (xml/well_formed.h), a
// document type declaration refused; so that the builder's own leniency, or its handling of
// entities and external resources, never shows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "xml/document.h"

namespace xml {

ParseResult CheckText(std::string_view text, const Limits& limits);

ParseResult ParseFailure(ParseStatus status, std::string reason, int line = 0);

// The length of the UTF-8 byte order mark the text begins with: 3, or 0 without one.
std::size_t ByteOrderMark(std::string_view text);

}  // namespace xml
