#include "platform/integration_kit.h"

namespace platform {

IntegrationKit& SharedIntegrationKit() {
    // Stateless, so one serves every thread alike; no per-thread object outlives a thread's use of
    // the server (see com/module_lifetime.h).
    static IntegrationKit kit;
    return kit;
}

}  // namespace platform
