#include "message_groups.h"

#include "base/fault.h"
#include "platform/message_resource.h"

namespace cli {

namespace {

constexpr std::string_view kPlainEnd = "！";  // after a plain message's text
constexpr std::string_view kWhy = "：";       // between a writer's failure and its cause

std::vector<std::string> Pieces(const std::string& text) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            pieces.emplace_back();
            ++i;
        } else {
            pieces.back() += text[i];
        }
    }
    return pieces;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

MessageGroups::MessageGroups() {
    try {
        const platform::InProcessMessageResource catalog;
        for (const std::string& id : catalog.Identifiers())
            templates_.emplace_back(id, Pieces(catalog.LoadMessage(id, 0, {})));
    } catch (const base::Fault&) {
        // No catalog for the language: each message stands for itself.
    }
}

// The literal pieces in order, the arguments between them any text; a plain message's mark may
// follow.
bool MessageGroups::Matches(const std::vector<std::string>& pieces,
                            const std::string& message) const {
    std::string_view rest(message);
    if (rest.substr(0, pieces.front().size()) != pieces.front()) return false;
    rest.remove_prefix(pieces.front().size());
    if (pieces.size() == 1) return rest.empty() || rest == kPlainEnd;
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        const std::size_t at = rest.find(pieces[i]);
        if (at == std::string_view::npos) return false;
        rest.remove_prefix(at + pieces[i].size());
    }
    return EndsWith(rest, pieces.back());
}

std::string MessageGroups::WholeMatch(const std::string& message) const {
    std::string best;
    std::size_t bestLiteral = 0;
    for (const auto& [id, pieces] : templates_) {
        std::size_t literal = 0;
        for (const std::string& p : pieces) literal += p.size();
        // The template that explains most of the text: "[%1]" matches anything in brackets.
        if (literal >= bestLiteral && Matches(pieces, message)) {
            best = id;
            bestLiteral = literal;
        }
    }
    return best;
}

std::string MessageGroups::GroupOf(const std::string& message) const {
    if (std::string id = WholeMatch(message); !id.empty()) return id;
    const std::size_t why = message.find(kWhy);
    if (why != std::string::npos) {
        const std::string failure = WholeMatch(message.substr(0, why));
        if (!failure.empty())
            return failure + std::string(kWhy) + GroupOf(message.substr(why + kWhy.size()));
    }
    // A plain message after a value of the record ("10" of "10月数据已做月结！").
    std::string best;
    std::size_t bestLength = 0;
    for (const auto& [id, pieces] : templates_) {
        const std::string& text = pieces.front();
        if (pieces.size() != 1 || text.size() <= bestLength) continue;
        if (EndsWith(message, text) || EndsWith(message, text + std::string(kPlainEnd))) {
            best = id;
            bestLength = text.size();
        }
    }
    return best.empty() ? message : best;
}

}  // namespace cli
