// The four exports of the platform's library.
#include "com/server_exports.h"
#include "platform/objects.h"

WAGELINK_SERVER_EXPORTS(platform::PlatformClasses, platform::PlatformIdentity)
