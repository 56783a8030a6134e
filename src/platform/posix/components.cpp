// On Linux the server's components are the platform's own, in process.
#include "platform/components.h"

#include "platform/integration_kit.h"
#include "platform/message_resource.h"
#include "platform/row_xml_mapper.h"

namespace platform {

const IntegrationKit& SharedIntegrationKit() {
    // Stateless, so one serves every thread alike; no per-thread object outlives a thread's use of
    // the server (see com/module_lifetime.h).
    static const InProcessIntegrationKit kit;
    return kit;
}

std::unique_ptr<RowXmlMapper> NewRowXmlMapper() {
    return std::make_unique<InProcessRowXmlMapper>();
}

std::unique_ptr<MessageResource> NewMessageResource() {
    return std::make_unique<InProcessMessageResource>();
}

}  // namespace platform
