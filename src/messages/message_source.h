// Where the server's message texts come from: the message resource, created when a MessageSource
// is made and kept with it. On Linux the component runs in process; on Windows it is the
// registered component, created by its class identifier through the system's COM, so that a
// platform's own message resource takes the place of ours, and called by name (LoadMessage).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/message_resource.h"

namespace messages {

class MessageSource {
  public:
    // A fault when the resource cannot be made (no catalog for the language; on Windows, no
    // registered component).
    MessageSource();
    ~MessageSource();
    MessageSource(const MessageSource&) = delete;
    MessageSource& operator=(const MessageSource&) = delete;

    std::string LoadMessage(const std::string& id, int substitute,
                            const std::vector<platform::MessageArgument>& arguments);

  private:
    struct Resource;
    std::unique_ptr<Resource> resource_;
};

}  // namespace messages
