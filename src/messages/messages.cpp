#include "messages/messages.h"

#include "base/text.h"

namespace messages {

std::vector<MessageArgument> ArgumentArray(const MessageArgument& arg1, const MessageArgument& arg2,
                                           const MessageArgument& arg3) {
    if (arg3) return {arg1, arg2, arg3};
    if (arg2) return {arg1, arg2};
    if (arg1) return {arg1};
    return {};
}

platform::MessageResource& Messages::Resource() {
    if (!resource_) resource_.emplace();
    return *resource_;
}

std::string Messages::GetResString(const std::string& resId) {
    return Resource().LoadMessage(resId, 0, {});
}

std::string Messages::GetResStringArg(const std::string& resId, const MessageArgument& arg1,
                                      const MessageArgument& arg2, const MessageArgument& arg3) {
    std::vector<MessageArgument> arguments = ArgumentArray(arg1, arg2, arg3);
    if (arguments.empty()) return resId;
    return Resource().LoadMessage(resId, 1, arguments);
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
