// MessageResource: the message texts of the server in the user's language.
//
// Catalogs are data files (data/messages.zh-CN.txt, data/messages.en-US.txt, one
// "IDENTIFIER<TAB>TEXT" per line) built into the library; WAGELINK_LANG picks one (zh-CN by
// default), by its language as a user or a locale writes it (zh_CN, en, en_US.UTF-8). With
// substitution on, %1, %2 and %3 take the arguments; a missing argument (and one beyond the array)
// reads as the empty text. An identifier missing from the catalog is a fault.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One element of LoadMessage's argument array; nullopt is the missing-argument marker.
using MessageArgument = std::optional<std::string>;

// `text` with %1, %2 and %3 replaced by the arguments; a missing argument (and one beyond the
// array) reads as the empty text.
std::string Substitute(const std::string& text, const std::vector<MessageArgument>& arguments);

// The catalog of a language setting, by its primary language in any case: zh-CN for "zh",
// "zh_CN", "ZH-cn" and the empty setting; en-US for "en", "en_US.UTF-8", "en-GB". A fault naming
// the catalogs for any other.
std::string CatalogLanguage(std::string_view setting);

class MessageResource {
  public:
    // Loads the catalog of `language` ("" means WAGELINK_LANG); a fault for a language without a
    // catalog.
    explicit MessageResource(const std::string& language = "");

    std::string LoadMessage(const std::string& id, int substitute,
                            const std::vector<MessageArgument>& arguments) const;
    const std::string& language() const { return language_; }
    // Every identifier of the catalog, for completeness checks.
    std::vector<std::string> Identifiers() const;

  private:
    std::string language_;
    const std::map<std::string, std::string>* catalog_;
};

}  // namespace platform
