// The bounds a document must keep to be parsed, so that hostile input costs time and memory
// linear in its size: names no longer than maxNameLength, at most maxAttributes attributes on one
// element, elements nested at most maxDepth deep. (Text size is bounded by the caller; document
// type declarations are refused by the parser itself.)
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace xml {

struct Limits {
    std::size_t maxNameLength = 256;
    std::size_t maxAttributes = 256;
    std::size_t maxDepth = 256;
};

// The first bound `text` breaks, as a description with its line; nullopt when it keeps them all.
// One pass over the text, before any parsing: markup that is not well-formed is left for the
// parser to report.
std::optional<std::string> BrokenLimit(std::string_view text, const Limits& limits);

}  // namespace xml
