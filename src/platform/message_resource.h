// The message resource in process: the server's own on Linux, and what the platform library's
// MessageResource object (platform/objects.h) answers with.
//
// Catalogs are data files (data/messages.zh-CN.txt, data/messages.en-US.txt, one
// "IDENTIFIER<TAB>TEXT" per line) built into the library; WAGELINK_LANG picks one (zh-CN by
// default), by its language as a user or a locale writes it (zh_CN, en, en_US.UTF-8).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/components.h"

namespace platform {

// `text` with %1, %2 and %3 replaced by the arguments; a missing argument (and one beyond the
// array) reads as the empty text.
std::string Substitute(const std::string& text, const std::vector<MessageArgument>& arguments);

// The catalog of a language setting, by its primary language in any case: zh-CN for "zh",
// "zh_CN", "ZH-cn" and the empty setting; en-US for "en", "en_US.UTF-8", "en-GB". A fault naming
// the catalogs for any other.
std::string CatalogLanguage(std::string_view setting);

class InProcessMessageResource final : public MessageResource {
  public:
    // Loads the catalog of `language` ("" means WAGELINK_LANG); a fault for a language without a
    // catalog.
    explicit InProcessMessageResource(const std::string& language = "");

    std::string LoadMessage(const std::string& id, int substitute,
                            const std::vector<MessageArgument>& arguments) const override;
    const std::string& language() const { return language_; }
    // Every identifier of the catalog, for completeness checks.
    std::vector<std::string> Identifiers() const;

  private:
    std::string language_;
    const std::map<std::string, std::string>* catalog_;
};

}  // namespace platform
