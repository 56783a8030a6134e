#include "messages/messages.h"

#include "base/fault.h"
#include "base/text.h"
#include "platform/message_resource.h"

namespace messages {

std::vector<MessageArgument> ArgumentArray(const MessageArgument& arg1, const MessageArgument& arg2,
                                           const MessageArgument& arg3) {
    if (arg3) return {arg1, arg2, arg3};
    if (arg2) return {arg1, arg2};
    if (arg1) return {arg1};
    return {};
}

std::string Messages::Load(const std::string& resId, int substitute,
                           const std::vector<MessageArgument>& arguments) {
    if (fixedTexts_.empty()) {
        if (!resource_) resource_ = platform::NewMessageResource();
        return resource_->LoadMessage(resId, substitute, arguments);
    }
    for (const FixedText& fixed : fixedTexts_) {
        if (fixed.id != resId) continue;
        std::string text(fixed.text);
        return substitute ? platform::Substitute(text, arguments) : text;
    }
    throw base::Fault(base::kInvalidArgument, "Message " + resId + " is not a fixed text");
}

void Messages::Prepare() {
    if (fixedTexts_.empty() && !resource_) resource_ = platform::NewMessageResource();
}

std::string Messages::GetResString(const std::string& resId) {
    return Load(resId, 0, {});
}

std::string Messages::GetResStringArg(const std::string& resId, const MessageArgument& arg1,
                                      const MessageArgument& arg2, const MessageArgument& arg3) {
    std::vector<MessageArgument> arguments = ArgumentArray(arg1, arg2, arg3);
    if (arguments.empty()) return resId;
    return Load(resId, 1, arguments);
}

std::string Messages::Lang(const std::string& cnString) {
    for (const ItemName& row : itemNames_)
        if (row.builtIn == cnString) return GetResString(std::string(row.id));
    return cnString;
}

const std::string& Messages::unLang(const std::string& lString) {
    auto known = unLangAnswers_.find(lString);
    if (known != unLangAnswers_.end()) return known->second;
    std::string wanted = base::AsciiLower(lString);
    std::string answer = lString;
    lowerNames_.resize(itemNames_.size());
    for (std::size_t i = 0; i < itemNames_.size(); ++i) {
        if (!lowerNames_[i])
            lowerNames_[i] = base::AsciiLower(GetResString(std::string(itemNames_[i].id)));
        if (*lowerNames_[i] == wanted) {
            answer = itemNames_[i].builtIn;
            break;
        }
    }
    return unLangAnswers_.emplace(lString, std::move(answer)).first->second;
}

}  // namespace messages
