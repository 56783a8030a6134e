#include "platform/message_resource.h"

#include <cstdlib>
#include <mutex>
#include <string_view>

#include "base/fault.h"
#include "base/text.h"
#include "platform/embedded_data.h"

namespace platform {

namespace {

std::map<std::string, std::string> ParseCatalog(std::string_view text) {
    std::map<std::string, std::string> catalog;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::size_t tab = line.find('\t');
        if (!line.empty() && line[0] != '#' && tab != std::string_view::npos)
            catalog.emplace(line.substr(0, tab), line.substr(tab + 1));
        start = end + 1;
    }
    return catalog;
}

const std::map<std::string, std::string>& Catalog(const std::string& language) {
    static const auto zh = ParseCatalog(wagelink::embedded::messages_zh_CN());
    static const auto en = ParseCatalog(wagelink::embedded::messages_en_US());
    return language == "zh-CN" ? zh : en;
}

}  // namespace

std::string CatalogLanguage(std::string_view setting) {
    // A locale name's encoding (".UTF-8") and modifier ("@euro") say nothing of the language.
    std::string_view tag = setting.substr(0, setting.find_first_of(".@"));
    std::string primary = base::AsciiLower(tag.substr(0, tag.find_first_of("-_")));
    if (primary.empty() || primary == "zh") return "zh-CN";
    if (primary == "en") return "en-US";
    throw base::Fault(base::kInvalidArgument,
                      "No messages in language " + std::string(setting) +
                          ": WAGELINK_LANG may name zh-CN (the default) or en-US");
}

std::string Substitute(const std::string& text, const std::vector<MessageArgument>& arguments) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            std::size_t index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < arguments.size() && arguments[index]) out += *arguments[index];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

InProcessMessageResource::InProcessMessageResource(const std::string& language) {
    const char* chosen = language.empty() ? std::getenv("WAGELINK_LANG") : language.c_str();
    language_ = CatalogLanguage(chosen ? chosen : "");
    catalog_ = &Catalog(language_);
}

std::string InProcessMessageResource::LoadMessage(
    const std::string& id, int substitute, const std::vector<MessageArgument>& arguments) const {
    auto it = catalog_->find(id);
    if (it == catalog_->end())
        throw base::Fault(base::kInvalidArgument,
                          "Message " + id + " is not in the " + language_ + " catalog");
    return substitute ? Substitute(it->second, arguments) : it->second;
}

std::vector<std::string> InProcessMessageResource::Identifiers() const {
    std::vector<std::string> ids;
    for (const auto& [id, text] : *catalog_) ids.push_back(id);
    return ids;
}

}  // namespace platform
