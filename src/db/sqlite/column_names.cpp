#include "db/sqlite/column_names.h"

#include <optional>
#include <vector>

#include "base/text.h"

namespace db::sqlite {

namespace {

enum class TokenKind { kWord, kQuotedName, kOther, kEnd };

struct Token {
    TokenKind kind;
    std::size_t begin;
    std::size_t end;
};

bool IsWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool IsWordPart(unsigned char c) {
    return IsWordStart(c) || (c >= '0' && c <= '9') || c == '$';
}

// Splits SQL into the tokens that matter for a select list: names (bare or quoted), and
// everything else one token at a time, strings and numbers whole, blanks and comments skipped.
class Tokens {
  public:
    explicit Tokens(std::string_view sql) : sql_(sql) {}

    Token Next() {
        SkipBlanksAndComments();
        const std::size_t begin = at_;
        if (at_ >= sql_.size()) return {TokenKind::kEnd, begin, begin};
        const unsigned char c = static_cast<unsigned char>(sql_[at_]);
        if (IsWordStart(c)) {
            while (at_ < sql_.size() && IsWordPart(static_cast<unsigned char>(sql_[at_]))) ++at_;
            return {TokenKind::kWord, begin, at_};
        }
        if (c == '"' || c == '`' || c == '[') {
            SkipQuoted(c == '[' ? ']' : static_cast<char>(c));
            return {TokenKind::kQuotedName, begin, at_};
        }
        if (c == '\'') {
            SkipQuoted('\'');
        } else if (c >= '0' && c <= '9') {
            while (at_ < sql_.size() && IsWordPart(static_cast<unsigned char>(sql_[at_]))) ++at_;
        } else {
            ++at_;
        }
        return {TokenKind::kOther, begin, at_};
    }

  private:
    void SkipBlanksAndComments() {
        for (;;) {
            while (at_ < sql_.size() && (sql_[at_] == ' ' || sql_[at_] == '\t' ||
                                         sql_[at_] == '\r' || sql_[at_] == '\n'))
                ++at_;
            if (sql_.substr(at_, 2) == "--") {
                at_ = std::min(sql_.find('\n', at_), sql_.size());
            } else if (sql_.substr(at_, 2) == "/*") {
                std::size_t close = sql_.find("*/", at_ + 2);
                at_ = close == std::string_view::npos ? sql_.size() : close + 2;
            } else {
                return;
            }
        }
    }

    // From an opening quote past its closing one; a doubled closing quote stands for itself.
    void SkipQuoted(char close) {
        ++at_;
        while (at_ < sql_.size()) {
            if (sql_[at_++] != close) continue;
            if (close == ']' || at_ >= sql_.size() || sql_[at_] != close) return;
            ++at_;
        }
    }

    std::string_view sql_;
    std::size_t at_ = 0;
};

bool IsWord(std::string_view sql, const Token& token, std::string_view word) {
    return token.kind == TokenKind::kWord &&
           base::EqualNoCase(sql.substr(token.begin, token.end - token.begin), word);
}

bool IsChar(std::string_view sql, const Token& token, char c) {
    return token.kind == TokenKind::kOther && token.end == token.begin + 1 && sql[token.begin] == c;
}

bool IsName(const Token& token) {
    return token.kind == TokenKind::kWord || token.kind == TokenKind::kQuotedName;
}

// A keyword that ends the select list.
bool EndsSelectList(std::string_view sql, const Token& token) {
    for (std::string_view word : {"from", "where", "group", "having", "order", "limit", "union",
                                  "intersect", "except", "window"})
        if (IsWord(sql, token, word)) return true;
    return IsChar(sql, token, ';');
}

// The name a plain reference ([schema.][table.]column) gives its column; nullopt for anything
// else (an expression, an alias, a star).
std::optional<std::string> ReferencedName(std::string_view sql, const std::vector<Token>& item) {
    if (item.empty() || item.size() > 5 || item.size() % 2 == 0) return std::nullopt;
    for (std::size_t i = 0; i < item.size(); ++i) {
        const bool ok = i % 2 == 0 ? IsName(item[i]) : IsChar(sql, item[i], '.');
        if (!ok) return std::nullopt;
    }
    const Token& last = item.back();
    std::string_view text = sql.substr(last.begin, last.end - last.begin);
    if (last.kind == TokenKind::kWord) return std::string(text);
    const char close = text.front() == '[' ? ']' : text.front();
    std::string name(text.substr(1, text.size() - 2));
    return close == ']' ? name
                        : base::ReplaceAll(name, std::string(2, close), std::string(1, close));
}

}  // namespace

std::string NameColumnsAsWritten(std::string_view sql) {
    Tokens tokens(sql);
    if (!IsWord(sql, tokens.Next(), "select")) return std::string(sql);
    Token token = tokens.Next();
    if (IsWord(sql, token, "distinct") || IsWord(sql, token, "all")) token = tokens.Next();

    // Where each alias goes (after the end of its reference) and what it says.
    std::vector<std::pair<std::size_t, std::string>> aliases;
    std::vector<Token> item;
    int depth = 0;
    for (;; token = tokens.Next()) {
        const bool atTop = depth == 0;
        const bool itemEnds = token.kind == TokenKind::kEnd ||
                              (atTop && (IsChar(sql, token, ',') || EndsSelectList(sql, token)));
        if (itemEnds) {
            if (std::optional<std::string> name = ReferencedName(sql, item))
                aliases.emplace_back(item.back().end,
                                     " AS \"" + base::ReplaceAll(*name, "\"", "\"\"") + "\"");
            item.clear();
            if (!IsChar(sql, token, ',')) break;
            continue;
        }
        if (IsChar(sql, token, '(')) ++depth;
        if (IsChar(sql, token, ')') && depth > 0) --depth;
        item.push_back(token);
    }

    std::string out;
    out.reserve(sql.size() + aliases.size() * 16);
    std::size_t copied = 0;
    for (const auto& [at, alias] : aliases) {
        out.append(sql.substr(copied, at - copied)).append(alias);
        copied = at;
    }
    return out.append(sql.substr(copied));
}

}  // namespace db::sqlite
