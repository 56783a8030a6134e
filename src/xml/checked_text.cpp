#include "xml/checked_text.h"

#include <limits>

#include "xml/well_formed.h"

namespace xml {

namespace {

// Whether the text holds nothing but prolog: blanks, a declaration, comments, processing
// instructions.
bool OnlyProlog(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (text.substr(i, 2) == "<?" || text.substr(i, 4) == "<!--") {
            const std::string_view close = text[i + 1] == '?' ? "?>" : "-->";
            const std::size_t end = text.find(close, i + 2);
            if (end == std::string_view::npos) return false;
            i = end + close.size();
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

ParseResult ParseFailure(ParseStatus status, std::string reason, int line) {
    return {status, std::move(reason), line};
}

ParseResult CheckText(std::string_view text, const Limits& limits) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return ParseFailure(ParseStatus::kOverLimit,
                            "The request exceeds a limit: it is larger than 2 GiB");
    if (text.find('\0') != std::string_view::npos)
        return ParseFailure(ParseStatus::kNotWellFormed, "the text holds a NUL character");
    if (std::optional<std::string> broken = BrokenLimit(text, limits))
        return ParseFailure(ParseStatus::kOverLimit, *broken);
    const FormednessResult formed = CheckWellFormed(text, limits.maxDepth);
    switch (formed.status) {
        case Formedness::kWellFormed:
            return {};
        case Formedness::kNoRootElement:
        case Formedness::kNotWellFormed:
            // Prolog alone, however malformed, is a document without its root element.
            return ParseFailure(
                OnlyProlog(text) ? ParseStatus::kNoRootElement : ParseStatus::kNotWellFormed,
                formed.reason, formed.line);
        case Formedness::kDoctype:
            break;
    }
    return ParseFailure(ParseStatus::kNotWellFormed, formed.reason, formed.line);
}

std::size_t ByteOrderMark(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

}  // namespace xml
