// The four exports, and the host's two, of the in-process server.
#include "com/server_exports.h"
#include "component/class_factory.h"
#include "component/host_control.h"
#include "component/registration.h"

WAGELINK_SERVER_EXPORTS(component::ServerClasses, component::ServerIdentity)
WAGELINK_HOST_CONTROL_EXPORTS()
