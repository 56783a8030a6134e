// The first revision's messages: fixed Chinese texts, whatever the user's language, in place of
// the message resource. They are the zh-CN texts of the same checks, apart from the answer to a
// document without a root, and there are none for the checks that revision does not have.
#pragma once

#include <span>

#include "messages/messages.h"

namespace revisions {

std::span<const messages::FixedText> FirstRevisionTexts();

}  // namespace revisions
