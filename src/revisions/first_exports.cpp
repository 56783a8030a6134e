// The four exports, and the host's two, of the first revision's server library,
// libwagelink-rev1.so.
#include "com/server_exports.h"
#include "component/host_control.h"
#include "revisions/revisions.h"

WAGELINK_SERVER_EXPORTS(revisions::FirstRevisionClasses, revisions::FirstRevisionIdentity)
WAGELINK_HOST_CONTROL_EXPORTS()
