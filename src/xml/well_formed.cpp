#include "xml/well_formed.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace xml {

namespace {

bool IsChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsNameStart(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
    return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// The ASCII characters a name may start with, and those it may hold after the first.
const std::array<bool, 128> kAsciiNameStart = [] {
    std::array<bool, 128> start{};
    for (int c = 0; c < 128; ++c) start[c] = IsNameStart(static_cast<char32_t>(c));
    return start;
}();
const std::array<bool, 128> kAsciiNameChar = [] {
    std::array<bool, 128> name{};
    for (int c = 0; c < 128; ++c) name[c] = IsNameChar(static_cast<char32_t>(c));
    return name;
}();

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One character of UTF-8 text; `length` is 0 where the bytes are not UTF-8 (a stray or missing
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
struct Decoded {
    char32_t c = 0;
    std::size_t length = 0;
};

Decoded Decode(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return {};
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return {};
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return {};
    return {c, length};
}

// Bytes that end a run of plain character data: markup, references, the ']' of a possible "]]>",
// control characters (only tab, line feed and carriage return are allowed) and the lead bytes
// of characters that must be decoded to be checked.
const std::array<bool, 256> kDataStops = [] {
    std::array<bool, 256> stops{};
    for (int b = 0; b < 0x20; ++b) stops[b] = b != '\t' && b != '\n' && b != '\r';
    for (int b = 0x80; b < 0x100; ++b) stops[b] = true;
    stops['<'] = stops['&'] = stops[']'] = true;
    return stops;
}();

// Bytes that end a run of plain characters in an attribute value: its quotes, markup,
// references, control characters and the lead bytes of characters that must be decoded.
const std::array<bool, 256> kValueStops = [] {
    std::array<bool, 256> stops = kDataStops;
    stops[']'] = false;
    stops['"'] = stops['\''] = true;
    return stops;
}();

class Checker {
  public:
    Checker(std::string_view text, std::size_t maxDepth) : text_(text), maxDepth_(maxDepth) {}

    FormednessResult Run() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;  // a byte order mark
        if (text_.substr(at_, 5) == "<?xml" && at_ + 5 < text_.size() &&
            (IsSpace(text_[at_ + 5]) || text_[at_ + 5] == '?') && !Declaration())
            return Failure();
        if (!Misc()) return Failure();
        if (doctype_)
            return {Formedness::kDoctype, "document type declarations are not accepted", Line()};
        if (at_ == text_.size()) return {Formedness::kNoRootElement, "no root element", Line()};
        if (text_[at_] != '<' || !StartTag() || !Contents() || !Misc()) return Failure();
        if (at_ != text_.size()) {
            Fail("extra content at the end of the document");
            return Failure();
        }
        return {};
    }

  private:
    bool Fail(const char* reason) {
        if (reason_.empty()) reason_ = reason;
        return false;
    }

    FormednessResult Failure() const {
        return {Formedness::kNotWellFormed, reason_.empty() ? "not well-formed" : reason_, Line()};
    }

    int Line() const {
        const std::size_t end = std::min(at_, text_.size());
        return 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + end, '\n'));
    }

    bool AtEnd() const { return at_ >= text_.size(); }

    bool Literal(std::string_view literal) {
        if (text_.substr(at_, literal.size()) != literal) return false;
        at_ += literal.size();
        return true;
    }

    bool Spaces() {
        const std::size_t begin = at_;
        while (!AtEnd() && IsSpace(text_[at_])) ++at_;
        return at_ > begin;
    }

    // One character at `at_`, which must be one XML allows.
    bool Character() {
        const Decoded d = Decode(text_, at_);
        if (d.length == 0) return Fail("the text is not UTF-8");
        if (!IsChar(d.c)) return Fail("a character that XML does not allow");
        at_ += d.length;
        return true;
    }

    // Characters up to `end` (not included), all of which XML allows.
    bool Characters(std::size_t end) {
        while (at_ < end) {
            const auto b = static_cast<unsigned char>(text_[at_]);
            if (b >= 0x20 && b < 0x80) {
                ++at_;
            } else if (!Character()) {
                return false;
            }
        }
        return true;
    }

    // A name at `at_`; empty when none starts there.
    std::string_view Name() {
        const std::size_t begin = at_;
        for (bool first = true; !AtEnd(); first = false) {
            const auto b = static_cast<unsigned char>(text_[at_]);
            if (b < 0x80) {
                if (!(first ? kAsciiNameStart : kAsciiNameChar)[b]) break;
                ++at_;
                continue;
            }
            const Decoded d = Decode(text_, at_);
            if (d.length == 0 || !(first ? IsNameStart(d.c) : IsNameChar(d.c))) break;
            at_ += d.length;
        }
        return text_.substr(begin, at_ - begin);
    }

    bool Eq() {
        Spaces();
        if (!Literal("=")) return Fail("'=' expected");
        Spaces();
        return true;
    }

    // A quoted value of the XML declaration, checked by `valid`.
    template <typename Valid>
    bool DeclarationValue(Valid valid) {
        if (!Eq() || AtEnd() || (text_[at_] != '"' && text_[at_] != '\'')) return false;
        const std::size_t end = text_.find(text_[at_], at_ + 1);
        if (end == std::string_view::npos || !valid(text_.substr(at_ + 1, end - at_ - 1)))
            return Fail("a malformed XML declaration");
        at_ = end + 1;
        return true;
    }

    bool Declaration() {
        at_ += 5;
        if (!Spaces() || !Literal("version")) return Fail("a malformed XML declaration");
        // Version 1, in any minor version the platform's parser takes ("1.", "1.0", "1.1" ...).
        if (!DeclarationValue([](std::string_view v) {
                return v.substr(0, 2) == "1." && std::all_of(v.begin() + 2, v.end(), [](char c) {
                           return c >= '0' && c <= '9';
                       });
            }))
            return false;
        bool space = Spaces();
        if (space && Literal("encoding")) {
            const auto encodingName = [](std::string_view v) {
                return !v.empty() &&
                       ((v[0] >= 'a' && v[0] <= 'z') || (v[0] >= 'A' && v[0] <= 'Z')) &&
                       std::all_of(v.begin(), v.end(), [](char c) {
                           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                  (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
                       });
            };
            if (!DeclarationValue(encodingName)) return false;
            space = Spaces();
        }
        if (space && Literal("standalone")) {
            if (!DeclarationValue([](std::string_view v) { return v == "yes" || v == "no"; }))
                return false;
            Spaces();
        }
        return Literal("?>") || Fail("a malformed XML declaration");
    }

    // Blanks, comments and processing instructions around the root element; a document type
    // declaration is noted.
    bool Misc() {
        for (;;) {
            Spaces();
            if (text_.substr(at_, 4) == "<!--") {
                if (!Comment()) return false;
            } else if (text_.substr(at_, 2) == "<?") {
                if (!ProcessingInstruction()) return false;
            } else if (text_.substr(at_, 9) == "<!DOCTYPE") {
                doctype_ = true;
                return true;
            } else {
                return true;
            }
        }
    }

    bool Comment() {
        at_ += 4;
        const std::size_t dashes = text_.find("--", at_);
        if (dashes == std::string_view::npos) return Fail("a comment is not closed");
        if (dashes + 2 >= text_.size() || text_[dashes + 2] != '>')
            return Fail("a double hyphen within a comment");
        if (!Characters(dashes)) return false;
        at_ = dashes + 3;
        return true;
    }

    bool CData() {
        at_ += 9;
        const std::size_t end = text_.find("]]>", at_);
        if (end == std::string_view::npos) return Fail("a CDATA section is not closed");
        if (!Characters(end)) return false;
        at_ = end + 3;
        return true;
    }

    bool ProcessingInstruction() {
        at_ += 2;
        const std::string_view target = Name();
        if (target.empty()) return Fail("a processing instruction without a name");
        if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
            (target[2] | 0x20) == 'l')
            return Fail("an XML declaration is allowed only at the start of the document");
        if (Literal("?>")) return true;
        if (!Spaces()) return Fail("a malformed processing instruction");
        const std::size_t end = text_.find("?>", at_);
        if (end == std::string_view::npos) return Fail("a processing instruction is not closed");
        if (!Characters(end)) return false;
        at_ = end + 2;
        return true;
    }

    // An entity or character reference at '&'.
    bool Reference() {
        ++at_;
        if (Literal("#")) {
            const bool hex = Literal("x");
            char32_t value = 0;
            std::size_t digits = 0;
            for (; !AtEnd() && text_[at_] != ';'; ++at_, ++digits) {
                const char c = text_[at_];
                int digit = c >= '0' && c <= '9'          ? c - '0'
                            : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                            : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                          : -1;
                if (digit < 0) return Fail("a malformed character reference");
                value = std::min<char32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
            }
            if (digits == 0 || !Literal(";") || !IsChar(value))
                return Fail("a character reference to a character that XML does not allow");
            return true;
        }
        const std::string_view name = Name();
        if (!Literal(";")) return Fail("a reference without its ';'");
        if (name != "amp" && name != "lt" && name != "gt" && name != "quot" && name != "apos")
            return Fail("an entity that is not defined");
        return true;
    }

    bool CharacterData() {
        while (!AtEnd()) {
            const auto b = static_cast<unsigned char>(text_[at_]);
            if (!kDataStops[b]) {
                ++at_;
            } else if (b == '<') {
                return true;
            } else if (b == '&') {
                if (!Reference()) return false;
            } else if (b == ']') {
                if (text_.substr(at_, 3) == "]]>") return Fail("']]>' in character data");
                ++at_;
            } else if (!Character()) {
                return false;
            }
        }
        return true;
    }

    bool AttributeValue() {
        if (AtEnd() || (text_[at_] != '"' && text_[at_] != '\''))
            return Fail("an attribute value without quotes");
        const char quote = text_[at_++];
        while (!AtEnd() && text_[at_] != quote) {
            const char c = text_[at_];
            if (!kValueStops[static_cast<unsigned char>(c)]) {
                ++at_;
            } else if (c == '<') {
                return Fail("'<' in an attribute value");
            } else if (c == '&') {
                if (!Reference()) return false;
            } else if (c == '"' || c == '\'') {
                ++at_;  // the other quote
            } else if (!Character()) {
                return false;
            }
        }
        if (!Literal(std::string_view(&quote, 1))) return Fail("an attribute value is not closed");
        return true;
    }

    bool DistinctAttributes() {
        if (attributes_.size() < 2) return true;
        std::sort(attributes_.begin(), attributes_.end());
        return std::adjacent_find(attributes_.begin(), attributes_.end()) == attributes_.end() ||
               Fail("an attribute is given twice");
    }

    bool StartTag() {
        ++at_;
        const std::string_view name = Name();
        if (name.empty()) return Fail("an element without a name");
        attributes_.clear();
        for (;;) {
            const bool space = Spaces();
            if (Literal(">")) {
                if (open_.size() >= maxDepth_) return Fail("elements are nested too deep");
                open_.push_back(name);
                return DistinctAttributes();
            }
            if (Literal("/>")) return DistinctAttributes();
            if (AtEnd() || !space) return Fail("a malformed start tag");
            const std::string_view attribute = Name();
            if (attribute.empty()) return Fail("a malformed attribute");
            attributes_.push_back(attribute);
            if (!Eq() || !AttributeValue()) return false;
        }
    }

    bool EndTag() {
        at_ += 2;
        if (Name() != open_.back()) return Fail("an end tag that does not match its start tag");
        Spaces();
        if (!Literal(">")) return Fail("a malformed end tag");
        open_.pop_back();
        return true;
    }

    // Everything inside the root element, up to and with its end tag.
    bool Contents() {
        while (!open_.empty()) {
            if (AtEnd()) return Fail("the document ends inside an element");
            if (text_[at_] != '<') {
                if (!CharacterData()) return false;
            } else if (text_.substr(at_, 2) == "</") {
                if (!EndTag()) return false;
            } else if (text_.substr(at_, 4) == "<!--") {
                if (!Comment()) return false;
            } else if (text_.substr(at_, 9) == "<![CDATA[") {
                if (!CData()) return false;
            } else if (text_.substr(at_, 2) == "<?") {
                if (!ProcessingInstruction()) return false;
            } else if (text_.substr(at_, 2) == "<!") {
                return Fail("a declaration inside an element");
            } else if (!StartTag()) {
                return false;
            }
        }
        return true;
    }

    std::string_view text_;
    std::size_t maxDepth_;
    std::size_t at_ = 0;
    bool doctype_ = false;
    std::vector<std::string_view> open_;
    std::vector<std::string_view> attributes_;
    std::string reason_;
};

}  // namespace

FormednessResult CheckWellFormed(std::string_view text, std::size_t maxDepth) {
    return Checker(text, maxDepth).Run();
}

bool IsXmlName(std::string_view name) {
    std::size_t at = 0;
    while (at < name.size()) {
        const Decoded d = Decode(name, at);
        if (d.length == 0 || !(at == 0 ? IsNameStart(d.c) : IsNameChar(d.c))) return false;
        at += d.length;
    }
    return !name.empty();
}

}  // namespace xml
