// The four exports, and the host's two, of the second revision's server library,
// libwagelink-rev2.so.
#include "com/server_exports.h"
#include "component/host_control.h"
#include "revisions/revisions.h"

WAGELINK_SERVER_EXPORTS(revisions::SecondRevisionClasses, revisions::SecondRevisionIdentity)
WAGELINK_HOST_CONTROL_EXPORTS()
