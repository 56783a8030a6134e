#include "messages/message_source.h"

namespace messages {

struct MessageSource::Resource {
    platform::MessageResource component;
};

MessageSource::MessageSource() : resource_(std::make_unique<Resource>()) {}
MessageSource::~MessageSource() = default;

std::string MessageSource::LoadMessage(const std::string& id, int substitute,
                                       const std::vector<platform::MessageArgument>& arguments) {
    return resource_->component.LoadMessage(id, substitute, arguments);
}

}  // namespace messages
