// The message services of one server instance: message texts by identifier (GetResString,
// GetResStringArg), byte lengths (GenLen) and the translation of built-in payroll item names
// (Lang, unLang). The MessageResource is created at first use and kept (unless the texts are
// fixed); nothing is cached beyond it, and nothing here traps a fault.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "messages/gen_len.h"
#include "messages/item_names.h"
#include "platform/components.h"

namespace messages {

using platform::MessageArgument;

// The argument array of GetResStringArg: by position up to the last given argument, with the
// missing marker (nullopt) for each omitted one before it; empty when none is given.
std::vector<MessageArgument> ArgumentArray(const MessageArgument& arg1, const MessageArgument& arg2,
                                           const MessageArgument& arg3);

// A message text the server holds itself, for an interface revision without a message resource.
struct FixedText {
    std::string_view id;
    std::string_view text;
};

class Messages {
  public:
    // With `fixedTexts` every message comes from them (an identifier missing there is a fault)
    // and no message resource is created.
    explicit Messages(std::span<const ItemName> itemNames,
                      std::span<const FixedText> fixedTexts = {})
        : itemNames_(itemNames), fixedTexts_(fixedTexts) {}

    // Creates the message resource now, when the texts come from one: a language without a
    // catalog is then a fault of the caller's set-up, not of its first message.
    void Prepare();

    std::string GetResString(const std::string& resId);
    // The text with the arguments put in; the identifier itself when no argument is given.
    std::string GetResStringArg(const std::string& resId,
                                const MessageArgument& arg1 = std::nullopt,
                                const MessageArgument& arg2 = std::nullopt,
                                const MessageArgument& arg3 = std::nullopt);
    // A plain message: the identifier's text followed by "！".
    std::string Plain(const std::string& resId) { return GetResString(resId) + "！"; }

    std::string Lang(const std::string& cnString);
    // The answer is remembered for the instance; the reference stays valid as long as it.
    const std::string& unLang(const std::string& lString);

  private:
    std::string Load(const std::string& resId, int substitute,
                     const std::vector<MessageArgument>& arguments);

    std::span<const ItemName> itemNames_;
    std::span<const FixedText> fixedTexts_;
    std::unique_ptr<platform::MessageResource> resource_;
    // unLang's lower-cased row texts, each fetched once, when first needed, and its answers.
    std::vector<std::optional<std::string>> lowerNames_;
    std::unordered_map<std::string, std::string> unLangAnswers_;
};

}  // namespace messages
