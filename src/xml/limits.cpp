#include "xml/limits.h"

#include <algorithm>
#include <array>

namespace xml {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Walks the markup of a document: comments, CDATA sections and processing instructions are
// skipped whole; start tags are read name by name.
class Scanner {
  public:
    Scanner(std::string_view text, const Limits& limits) : text_(text), limits_(limits) {}

    std::optional<std::string> Run() {
        while (at_ < text_.size()) {
            std::size_t open = text_.find('<', at_);
            if (open == std::string_view::npos) break;
            at_ = open;
            if (!Markup()) break;  // not well-formed: the parser says where
            if (broken_) return broken_;
        }
        return broken_;
    }

  private:
    bool Skip(std::string_view opening, std::string_view closing) {
        if (text_.substr(at_, opening.size()) != opening) return false;
        std::size_t end = text_.find(closing, at_ + opening.size());
        if (end == std::string_view::npos) {
            at_ = text_.size();
            return true;
        }
        at_ = end + closing.size();
        return true;
    }

    // One piece of markup at '<'; false when it cannot be read.
    bool Markup() {
        const char next = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
        if (next == '!') {
            if (Skip("<!--", "-->") || Skip("<![CDATA[", "]]>")) return true;
            return false;  // a declaration: the parser refuses it
        }
        if (next == '?') return Skip("<?", "?>");
        if (next == '/') {
            if (depth_ > 0) --depth_;
            at_ += 2;
            return true;
        }
        ++at_;
        return StartTag();
    }

    // A name runs to a blank, '=', '/' or '>'.
    std::size_t Name() {
        static const auto kEnds = [] {
            std::array<bool, 256> ends{};
            for (unsigned char c : std::string_view(" \t\r\n=/>")) ends[c] = true;
            return ends;
        }();
        std::size_t begin = at_;
        while (at_ < text_.size() && !kEnds[static_cast<unsigned char>(text_[at_])]) ++at_;
        return at_ - begin;
    }

    void SkipSpaces() {
        while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
    }

    bool StartTag() {
        if (Name() > limits_.maxNameLength)
            return Break("an element name is longer than", limits_.maxNameLength);
        if (++depth_ > limits_.maxDepth)
            return Break("elements are nested deeper than", limits_.maxDepth);
        for (std::size_t attributes = 0;;) {
            SkipSpaces();
            if (at_ >= text_.size()) return false;
            if (text_[at_] == '>') break;
            if (text_.substr(at_, 2) == "/>") {
                --depth_;
                break;
            }
            if (Name() > limits_.maxNameLength)
                return Break("an attribute name is longer than", limits_.maxNameLength);
            if (++attributes > limits_.maxAttributes)
                return Break("an element has more attributes than", limits_.maxAttributes);
            SkipSpaces();
            if (at_ >= text_.size() || text_[at_] != '=') return false;
            ++at_;
            SkipSpaces();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return false;
            std::size_t close = text_.find(text_[at_], at_ + 1);
            if (close == std::string_view::npos) return false;
            at_ = close + 1;
        }
        ++at_;
        return true;
    }

    bool Break(const char* what, std::size_t limit) {
        const long line = 1 + std::count(text_.begin(), text_.begin() + at_, '\n');
        broken_ = "The request exceeds a limit: " + std::string(what) + " " +
                  std::to_string(limit) + " (line " + std::to_string(line) + ")";
        return true;
    }

    std::string_view text_;
    const Limits& limits_;
    std::size_t at_ = 0;
    std::size_t depth_ = 0;
    std::optional<std::string> broken_;
};

}  // namespace

std::optional<std::string> BrokenLimit(std::string_view text, const Limits& limits) {
    return Scanner(text, limits).Run();
}

}  // namespace xml
